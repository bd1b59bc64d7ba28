#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <optional>

namespace lettergate {

class HotkeyManager;

// What the tray icon shows of the trigger: the program's icon and name while the
// trigger is in effect; the icon with a warning badge, and what is wrong, while not.
class TrayStatus final : public QObject {
    Q_OBJECT
public:
    explicit TrayStatus(HotkeyManager &trigger, QObject *parent = nullptr);

    bool isWarning() const;
    QIcon icon() const;
    QString toolTip() const;

signals:
    void changed();

private:
    HotkeyManager &m_trigger;
    const QIcon m_normalIcon;
    // The normal icon with the badge over its lower right corner: painted the first
    // time it is shown, not at every start-up where the trigger works.
    mutable std::optional<QIcon> m_warningIcon;
};

} // namespace lettergate
