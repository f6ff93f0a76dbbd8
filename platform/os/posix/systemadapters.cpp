#include "platform/os/systemadapters.h"

#include "platform/os/posix/posixlauncher.h"
#include "platform/os/posix/standinregistry.h"

namespace kalvor {

std::unique_ptr<Registry> makeSystemRegistry()
{
    return std::make_unique<StandInRegistry>();
}

std::unique_ptr<Launcher> makeSystemLauncher()
{
    return std::make_unique<PosixLauncher>();
}

}  // namespace kalvor
