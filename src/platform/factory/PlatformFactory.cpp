#include "platform/factory/PlatformFactory.h"

#include "platform/Log.h"
#include "platform/null/NullPlatform.h"
#include "platform/x11/DisplayProbe.h"
#include "platform/x11/X11Platform.h"

namespace {

bool runsOffscreen()
{
    return qgetenv("QT_QPA_PLATFORM") == "offscreen";
}

bool isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
}

// One line about what this session cannot do, so that missing features have a reason
// the user can read; the program keeps running with what works.
void reportSessionLimits(const X11Platform &platform)
{
    if (isWaylandSession()) {
        Log::warning(QStringLiteral("Wayland session: only XWayland windows can be listed, raised and pictured, "
                                    "and the trigger works only while an XWayland window has the focus"));
    } else if (!platform.hasWindowManager()) {
        Log::warning(QStringLiteral("no EWMH window manager is running: windows can be neither listed nor raised "
                                    "until one starts; the trigger, the clipboard and pasting work"));
    }
}

} // namespace

bool PlatformFactory::displayIsUsable(QString *reason)
{
    return runsOffscreen() || DisplayProbe::isReachable(reason);
}

std::unique_ptr<Platform> PlatformFactory::create()
{
    if (auto x11 = X11Platform::connect()) {
        reportSessionLimits(*x11);
        return x11;
    }
    return std::make_unique<NullPlatform>();
}
