#include "platform/factory/PlatformFactory.h"

#include "platform/null/NullPlatform.h"
#include "platform/x11/DisplayProbe.h"

namespace {

bool runsOffscreen()
{
    return qgetenv("QT_QPA_PLATFORM") == "offscreen";
}

} // namespace

bool PlatformFactory::displayIsUsable(QString *reason)
{
    return runsOffscreen() || DisplayProbe::isReachable(reason);
}

std::unique_ptr<Platform> PlatformFactory::create()
{
    return std::make_unique<NullPlatform>();
}
