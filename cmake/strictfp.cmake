# Floating point rounded exactly as written: no contraction of a*b-c into an
# FMA, and never any fast-math licence. Every unit whose results are compared
# bit for bit (the core, its reference and the programs that check them)
# links kalvor_strict_fp PRIVATE. Included by the main project and by the
# Windows test project, whichever comes first.
include_guard(GLOBAL)
add_library(kalvor_strict_fp INTERFACE)
target_compile_options(kalvor_strict_fp INTERFACE -ffp-contract=off -fno-fast-math)
