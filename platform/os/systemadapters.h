#pragma once

#include "platform/os/launcher.h"
#include "platform/os/registry.h"

#include <memory>

namespace kalvor {

// The registry of this operating system: the real one on Windows; elsewhere
// a read-only stand-in whose only value is the MSINFO "PATH", holding the
// full path of a system-information program found on the PATH, if any.
std::unique_ptr<Registry> makeSystemRegistry();

// This operating system's file test and detached process launch.
std::unique_ptr<Launcher> makeSystemLauncher();

}  // namespace kalvor
