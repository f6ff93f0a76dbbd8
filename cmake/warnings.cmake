# The warnings every library and program of the project is built with: link
# kalvor_warnings PRIVATE. Included by the main project and by the Windows
# test project, whichever comes first.
include_guard(GLOBAL)
add_library(kalvor_warnings INTERFACE)
target_compile_options(kalvor_warnings INTERFACE -Wall -Wextra)
