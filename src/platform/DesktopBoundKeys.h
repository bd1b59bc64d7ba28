#pragma once

#include "platform/HotKeys.h"
#include "platform/KeyTap.h"

namespace lettergate {

// Where no program may take keys system-wide (a Wayland desktop binds keys to commands
// itself, and a session without a window system has no keys at all): nothing is
// registered and no key stream is offered.
class DesktopBoundHotKeys final : public HotKeys {
public:
    bool isSupported() const override { return false; }
    bool registerHotKey(HotKeyId, quint32, quint32) override { return false; }
    void unregisterHotKey(HotKeyId) override {}
};

class NoKeyTap final : public KeyTap {
public:
    std::unique_ptr<KeyTapSession> create() override { return nullptr; }
};

} // namespace lettergate
