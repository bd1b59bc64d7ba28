#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class HotkeyManager;

// What the tray icon shows of the trigger: the program's icon and name while the
// trigger is in effect; the icon with a warning badge, and what is wrong, while not.
class TrayStatus final : public QObject {
    Q_OBJECT
public:
    explicit TrayStatus(HotkeyManager &trigger, QObject *parent = nullptr);

    bool isWarning() const;
    QIcon icon() const { return isWarning() ? m_warningIcon : m_normalIcon; }
    QString toolTip() const;

signals:
    void changed();

private:
    HotkeyManager &m_trigger;
    const QIcon m_normalIcon;
    // Painted once: the normal icon with the badge over its lower right corner.
    const QIcon m_warningIcon;
};
