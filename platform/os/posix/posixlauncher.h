#pragma once

#include "platform/os/launcher.h"

namespace kalvor {

// File test and process launch on POSIX systems. The window style is left to
// the program started.
class PosixLauncher : public Launcher {
public:
    // A regular file (symbolic links followed) counts as normal; folders,
    // devices and names beginning with "." (hidden) do not.
    std::string Dir(const std::string& path) override;

    // Starts the program in a session of its own, with no arguments and this
    // process's environment, and does not wait for it. The intermediate
    // process is reaped here, so neither leaves a zombie behind. Throws
    // std::runtime_error with the reason when the program cannot be run.
    void Shell(const std::string& path, int windowStyle) override;
};

}  // namespace kalvor
