#pragma once

#include "platform/os/launcher.h"

#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kalvor {

// A file system of named files and a launch that records instead of
// starting anything; paths in `unstartable` fail to start.
class FakeLauncher : public Launcher {
public:
    std::set<std::string> files;
    std::set<std::string> unstartable;

    std::vector<std::string> dirCalls;
    std::vector<std::pair<std::string, int>> shellCalls;

    std::string Dir(const std::string& path) override
    {
        dirCalls.push_back(path);
        if (files.count(path) == 0) {
            return {};
        }
        const auto slash = path.find_last_of("\\/");
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }

    void Shell(const std::string& path, int windowStyle) override
    {
        shellCalls.emplace_back(path, windowStyle);
        if (unstartable.count(path) != 0) {
            throw std::runtime_error("cannot start " + path);
        }
    }
};

}  // namespace kalvor
