#include "platform/os/posix/posixlauncher.h"

#include "platform/os/launchpath.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kalvor {

namespace {

std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void fail(const std::string& path, const char* what, int error)
{
    throw std::runtime_error("cannot start " + path + ": " + what + ": " + std::strerror(error));
}

// Writes the whole int to the pipe; for use between fork and exec, so only
// async-signal-safe calls.
void report(int fd, int error)
{
    const char* bytes = reinterpret_cast<const char*>(&error);
    std::size_t left = sizeof error;
    while (left > 0) {
        const ssize_t n = ::write(fd, bytes, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        bytes += n;
        left -= static_cast<std::size_t>(n);
    }
}

}  // namespace

std::string PosixLauncher::Dir(const std::string& path)
{
    if (!isUsablePath(path)) {
        return {};
    }
    const std::string name = nameOf(path);
    struct stat info {};
    if (name.empty() || name.front() == '.' || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    return name;
}

void PosixLauncher::Shell(const std::string& path, int /*windowStyle*/)
{
    requireLaunchablePath(path);
    // Everything the children need is prepared before fork: after it, in a
    // process that may have other threads, only async-signal-safe calls.
    std::string program = path;
    char* argv[] = {program.data(), nullptr};

    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        fail(path, "pipe", errno);
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(channel[0]);
        ::close(channel[1]);
        fail(path, "fork", error);
    }
    if (child == 0) {
        // Intermediate process: leaves the session, starts the program as its
        // own child and exits at once, so the program is adopted by init and
        // outlives this one without becoming anybody's zombie.
        ::close(channel[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::execve(argv[0], argv, environ);
            report(channel[1], errno);  // only reached when exec failed
            ::_exit(127);
        }
        if (grandchild < 0) {
            report(channel[1], errno);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    // The write end closes when the program has been executed (close-on-exec)
    // or has failed and reported why; end of file without data is success.
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(channel[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(channel[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        fail(path, "exec", error);
    }
    if (got != 0) {
        fail(path, "status pipe", got < 0 ? errno : EIO);
    }
}

}  // namespace kalvor
