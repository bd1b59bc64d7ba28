#pragma once

#include "platform/KeyTap.h"

#include <QPointer>

namespace lettergate {

class FakeKeyTapSession final : public KeyTapSession {
    Q_OBJECT
public:
    void setEnabled(bool enabled) override
    {
        m_enabled = enabled;
        if (enabled)
            ++enableCount;
    }
    bool isEnabled() const override { return m_enabled; }

    // What the system would deliver.
    void sendFlags(quint64 flags) { emit flagsChanged(flags); }
    void sendKeyDown() { emit keyDown(); }
    // The system switches the tap off and tells the listener why.
    void disableBySystem(quint32 type)
    {
        m_enabled = false;
        emit disabledBySystem(type);
    }
    // The system switches the tap off silently.
    void disableSilently() { m_enabled = false; }

    int enableCount = 0;

private:
    bool m_enabled = false;
};

// Hands out sessions the test can drive; `permitted` false makes creation fail.
class FakeKeyTap final : public KeyTap {
public:
    std::unique_ptr<KeyTapSession> create() override
    {
        ++creations;
        if (!permitted)
            return nullptr;
        auto session = std::make_unique<FakeKeyTapSession>();
        last = session.get();
        return session;
    }

    bool permitted = true;
    int creations = 0;
    QPointer<FakeKeyTapSession> last; // the most recent live session
};

} // namespace lettergate
