# Sourced by the sanitizer and fuzz steps: libfuzzer_available succeeds when
# clang-14 can build and link a libFuzzer program on this machine.
libfuzzer_available() {
  command -v clang++-14 > /dev/null || return 1
  local probe status
  probe=$(mktemp -d)
  printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
    'extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }' > "$probe/probe.cpp"
  clang++-14 -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" > /dev/null 2>&1
  status=$?
  rm -rf "$probe"
  return $status
}
