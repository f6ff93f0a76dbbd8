#pragma once

#include <string>

namespace kalvor {

// The file-existence test and the process launch the System Information
// launcher needs. Implementations: the operating system's, and fakes in the
// tests.
class Launcher {
public:
    // Window style "normal, with the focus", the only one the program uses.
    static constexpr int NormalFocus = 1;

    virtual ~Launcher() = default;

    // The name part of `path` when a normal file (not a folder, not hidden or
    // system) exists at that full path; otherwise the empty text. A path with
    // an embedded NUL names no file and gives the empty text.
    virtual std::string Dir(const std::string& path) = 0;

    // Starts the program at the full path `path` in a window of `windowStyle`
    // and returns without waiting for it; the program is not tracked.
    // Throws std::runtime_error when the program cannot be started,
    // including for a path with an embedded NUL.
    virtual void Shell(const std::string& path, int windowStyle) = 0;
};

}  // namespace kalvor
