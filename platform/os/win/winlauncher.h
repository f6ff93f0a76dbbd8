#pragma once

#include "platform/os/launcher.h"

namespace kalvor {

// File test and process launch through the Windows API.
class WinLauncher : public Launcher {
public:
    // Normal files only: folders and hidden, system or device entries give
    // the empty text. The name returned is as stored on disk.
    std::string Dir(const std::string& path) override;

    // CreateProcessA of exactly the file at `path` (no search, no arguments)
    // shown normally with the focus, the only style the program asks for;
    // both handles are closed at once, nothing waits for the program.
    void Shell(const std::string& path, int windowStyle) override;
};

}  // namespace kalvor
