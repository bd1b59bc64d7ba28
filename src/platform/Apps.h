#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace lettergate {

// Applications as the desktop knows them: identity, focus, icons and launching.
class Apps : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // The stable identifier of the application that owns pid (a desktop-file id on
    // Linux); nothing when the process is gone or has none.
    virtual std::optional<QString> bundleIdentifier(qint32 pid) = 0;
    // The process of the application in front, if any.
    virtual std::optional<qint32> frontmostApp() = 0;
    virtual bool isTerminated(qint32 pid) = 0;
    // Gives the application the focus; false when it could not be asked to.
    virtual bool activateApp(qint32 pid) = 0;
    virtual QIcon appIcon(qint32 pid) = 0;
    virtual QIcon iconForBundle(const QString &bundleID) = 0;
    // Brings the running application's most recently active window forward, restoring
    // it when minimised and wherever it is (another desktop), whichever of its processes
    // owns it; launches the application when it has no window. False when it has no
    // window and cannot be launched.
    virtual bool openApplication(const QString &bundleID) = 0;
    // The categories its desktop entry gives the application (such as
    // "TerminalEmulator"); empty without one.
    virtual QStringList categories(const QString &bundleID) = 0;
    // Hands the URL to the desktop's handler; answers whether it could be opened.
    virtual bool openUrl(const QUrl &url) = 0;
    // The window the window manager reports active, if it reports one.
    virtual std::optional<quint32> activeWindow() = 0;

signals:
    // Another process has come to the front, from the event loop; a backend that cannot
    // tell never says so.
    void frontmostAppChanged(qint32 pid);
    // The window manager has said which window is active (0: none), from the event loop,
    // whether or not it changed; a backend that cannot tell never says so.
    void activeWindowReported(quint32 window);
};

} // namespace lettergate
