#include "cli/inputfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kalvor {

namespace {

// Appends everything `in` still holds to `bytes`; false on a read error.
bool readAll(std::FILE* in, std::string& bytes)
{
    char buffer[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, in);
        bytes.append(buffer, got);
        if (got < sizeof buffer)
            return !std::ferror(in);
    }
}

} // namespace

std::optional<std::string> readInput(const std::string& name, std::string& error)
{
    std::string bytes;
    if (name == "-") {
        if (!readAll(stdin, bytes)) {
            error = std::string("cannot read standard input: ") + std::strerror(errno);
            return std::nullopt;
        }
        return bytes;
    }
    errno = 0;
    std::FILE* in = std::fopen(name.c_str(), "rb");
    if (!in) {
        error = "cannot open " + name + ": " + std::strerror(errno);
        return std::nullopt;
    }
    const bool ok = readAll(in, bytes);
    const int readErrno = errno;
    std::fclose(in);
    if (!ok) {
        error = "cannot read " + name + ": " + std::strerror(readErrno);
        return std::nullopt;
    }
    return bytes;
}

} // namespace kalvor
