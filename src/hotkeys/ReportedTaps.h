#pragma once

#include "hotkeys/HotkeyConfig.h"
#include "platform/KeyTap.h"

#include <QList>
#include <QPointer>

namespace lettergate {

// Modifier taps the desktop reports rather than a key stream Lettergate hears: where no
// program may listen to the keyboard, the desktop's own key bindings run
// `lettergate tap MODIFIER` when that modifier is released with no other key. Each report
// reaches every enabled session as the modifier going down and coming up, which is all
// a double tap is timed on.
class ReportedTaps final : public KeyTap {
public:
    std::unique_ptr<KeyTapSession> create() override;
    void report(HotkeyConfig::ModifierKey modifier);

private:
    QList<QPointer<KeyTapSession>> m_sessions;
};

} // namespace lettergate
