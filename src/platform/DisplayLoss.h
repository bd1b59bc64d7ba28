#pragma once

#include <functional>

namespace lettergate {

// Qt ends the process with exit() when its connection to the display breaks (the
// server gone at a logout), without quitting the event loop, so nothing connected to
// aboutToQuit runs. What must reach the disk before that is registered here; the
// backend that sees the toolkit about to end the process runs it, once, while every
// object still lives.
namespace DisplayLoss {

void setLastWrites(std::function<void()> lastWrites);
void runLastWrites();

} // namespace DisplayLoss

} // namespace lettergate
