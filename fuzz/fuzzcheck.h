#pragma once

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kalvor {

// Stops the run when a property of the code under test does not hold. Under
// libFuzzer the abort is reported as a crash and the input is kept; under the
// replay program it fails the test. `input` is printed escaped so the failing
// text can be read in the log.
inline void fuzzCheck(bool holds, const char* what, std::string_view input = {})
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\ninput (%zu bytes): \"", what, input.size());
    for (unsigned char c : input.substr(0, 400)) {
        if (c >= 0x20 && c < 0x7f && c != '\\' && c != '"')
            std::fputc(c, stderr);
        else
            std::fprintf(stderr, "\\x%02x", c);
    }
    std::fprintf(stderr, "%s\"\n", input.size() > 400 ? "..." : "");
    std::abort();
}

// A double as the shortest text that reads back to it, for failure logs;
// independent of the process locale.
inline std::string numberText(double value)
{
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

}  // namespace kalvor
