#pragma once

#include <QObject>

namespace lettergate {

// Whether the desktop runs a system tray (the notification area that shows the program's
// icon), and when one comes or goes. Qt docks the icon by itself whenever a tray appears;
// this is for what else follows the tray, such as a way to quit without it.
class SystemTray : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool isPresent() const = 0;

    // Whether an icon made while no tray runs appears when one starts (an X tray docks
    // it then). Where Qt fixes the way it shows the icon when the icon is made (the
    // status-notifier tray of Wayland desktops), a tray that starts later never shows it.
    virtual bool showsIconsMadeBeforeIt() const { return true; }
    // Told as the program's icon is made: from then on a tray of the second kind counts
    // as present only if one ran at that moment.
    virtual void iconMade() {}

signals:
    void presenceChanged(bool present);
};

} // namespace lettergate
