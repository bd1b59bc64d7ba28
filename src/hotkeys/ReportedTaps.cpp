#include "hotkeys/ReportedTaps.h"

namespace lettergate {

namespace {

class ReportedTapSession final : public KeyTapSession {
public:
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    bool isEnabled() const override { return m_enabled; }

private:
    bool m_enabled = false;
};

} // namespace

std::unique_ptr<KeyTapSession> ReportedTaps::create()
{
    auto session = std::make_unique<ReportedTapSession>();
    m_sessions.removeAll(nullptr);
    m_sessions.append(session.get());
    return session;
}

void ReportedTaps::report(HotkeyConfig::ModifierKey modifier)
{
    m_sessions.removeAll(nullptr);
    const quint64 flag = ModifierKeys::flag(modifier);
    // A listener may end its session (and others) when the press completes a double tap:
    // each is checked before each signal.
    const QList<QPointer<KeyTapSession>> sessions = m_sessions;
    for (const quint64 flags : {flag, quint64(0)}) {
        for (const QPointer<KeyTapSession> &session : sessions) {
            if (session && session->isEnabled())
                emit session->flagsChanged(flags);
        }
    }
}

} // namespace lettergate
