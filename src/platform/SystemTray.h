#pragma once

#include <QObject>

// Whether the desktop runs a system tray (the notification area that shows the program's
// icon), and when one comes or goes. Qt docks the icon by itself whenever a tray appears;
// this is for what else follows the tray, such as a way to quit without it.
class SystemTray : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool isPresent() const = 0;

signals:
    void presenceChanged(bool present);
};
