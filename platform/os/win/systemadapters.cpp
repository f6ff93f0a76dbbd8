#include "platform/os/systemadapters.h"

#include "platform/os/win/winlauncher.h"
#include "platform/os/win/winregistry.h"

namespace kalvor {

std::unique_ptr<Registry> makeSystemRegistry()
{
    return std::make_unique<WinRegistry>();
}

std::unique_ptr<Launcher> makeSystemLauncher()
{
    return std::make_unique<WinLauncher>();
}

}  // namespace kalvor
