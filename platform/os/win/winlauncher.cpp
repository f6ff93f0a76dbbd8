#include "platform/os/win/winlauncher.h"

#include "platform/os/launchpath.h"

#include <stdexcept>
#include <string>
#include <windows.h>

namespace kalvor {

namespace {

constexpr DWORD NotNormal
    = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;

}  // namespace

std::string WinLauncher::Dir(const std::string& path)
{
    if (!isUsablePath(path)) {
        return {};
    }
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string name;
    do {
        if ((found.dwFileAttributes & NotNormal) == 0) {
            name = found.cFileName;
        }
    } while (name.empty() && ::FindNextFileA(search, &found));
    ::FindClose(search);
    return name;
}

void WinLauncher::Shell(const std::string& path, int /*windowStyle*/)
{
    requireLaunchablePath(path);
    // The path as its own quoted first argument, so a folder with blanks is
    // not split into program and arguments.
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;  // the one style the program uses: normal, with the focus
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        throw std::runtime_error("cannot start " + path + ": error " + std::to_string(::GetLastError()));
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

}  // namespace kalvor
