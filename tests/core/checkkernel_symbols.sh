#!/usr/bin/env bash
# Fails when an instruction-set variant of the solution check's kernel
# (core/check/checkkernel<variant>.cpp) defines a weak symbol outside its own
# namespace kalvor_eigen_<variant>: an inline function or template
# instantiation that the linker could merge with another file's copy, so that
# code compiled for AVX-512 might run on a processor without it.
# Arguments: the nm program, a file listing the core's object files.
set -uo pipefail
nm=$1
objects=$2
checked=0
bad=0
while read -r object; do
  [[ "$object" =~ checkkernel(portable|avx2|avx512)\.cpp\.o$ ]] || continue
  variant=${BASH_REMATCH[1]}
  checked=$((checked + 1))
  # W, V: weak function or object; u: unique global (a static of an inline
  # function). Left alone, as they hold no instruction an instruction set
  # could change: the personality routine's reference; from clang, the
  # type descriptions of function types its undefined-behaviour sanitizer
  # compares (data), __clang_call_terminate (it only calls std::terminate)
  # and std::bad_alloc's constructor (it only stores the vtable pointer).
  strays=$("$nm" -C --defined-only "$object" | awk '$2 ~ /^[WVu]$/' \
    | grep -v "kalvor_eigen_$variant" | grep -v 'DW\.ref\.__gxx_personality_v0' \
    | grep -v -E ' V typeinfo (name )?for [^(]*\(.*\)$' \
    | grep -v -E ' W (__clang_call_terminate|std::bad_alloc::bad_alloc\(\))$')
  if [[ -n "$strays" ]]; then
    echo "checkkernel$variant defines weak symbols outside kalvor_eigen_$variant:"
    echo "$strays"
    bad=$((bad + 1))
  fi
done < "$objects"
echo "checked $checked kernel objects"
[[ $checked -ge 1 && $bad -eq 0 ]]
