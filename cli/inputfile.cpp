#include "cli/inputfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/messages.h"

namespace kalvor {

namespace {

enum class ReadResult { Whole, Failed, TooLarge };

// Appends everything `in` still holds to `bytes`, stopping past
// MaxInputBytes so that an endless input (a device, a pipe that never
// closes its end) cannot run the memory out.
ReadResult readAll(std::FILE* in, std::string& bytes)
{
    char buffer[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, in);
        if (got > MaxInputBytes - bytes.size())
            return ReadResult::TooLarge;
        bytes.append(buffer, got);
        if (got < sizeof buffer)
            return std::ferror(in) ? ReadResult::Failed : ReadResult::Whole;
    }
}

// The one line for an input that could not be read whole.
std::string readError(ReadResult result, const std::string& what, int error)
{
    if (result == ReadResult::TooLarge)
        return what + ": " + std::string(TooLargeFileReason);
    return "cannot read " + what + ": " + std::strerror(error);
}

}  // namespace

std::optional<std::string> readInput(const std::string& name, std::string& error)
{
    std::string bytes;
    if (name == "-") {
        errno = 0;
        const ReadResult result = readAll(stdin, bytes);
        if (result != ReadResult::Whole) {
            error = readError(result, "standard input", errno);
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
    const ReadResult result = readAll(in, bytes);
    const int readErrno = errno;
    std::fclose(in);
    if (result != ReadResult::Whole) {
        error = readError(result, name, readErrno);
        return std::nullopt;
    }
    return bytes;
}

}  // namespace kalvor
