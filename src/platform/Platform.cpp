#include "platform/Platform.h"

#include <QtGlobal>

namespace {
Platform *installed = nullptr;
}

Platform &Platform::current()
{
    Q_ASSERT_X(installed, "Platform::current", "no platform backend installed");
    return *installed;
}

bool Platform::isInstalled()
{
    return installed != nullptr;
}

void Platform::install(Platform *platform)
{
    installed = platform;
}
