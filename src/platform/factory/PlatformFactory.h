#pragma once

#include "platform/Platform.h"

#include <memory>

namespace PlatformFactory {

// Whether the program can show its windows here. On failure, reason says why.
bool displayIsUsable(QString *reason);

// The backend for this session. Call after the QGuiApplication exists.
std::unique_ptr<Platform> create();

} // namespace PlatformFactory
