#pragma once

#include "windows/WindowInfo.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <optional>

namespace lettergate {

// One application on the panel: every on-screen window of one application identity,
// whichever processes show them (terminals often run one process per window), and the
// letter that selects it in this showing.
struct AppEntry {
    // The process of the app's front-most window, the one most recently in front: it
    // names the app and gives its icon. A process shows the windows of one application
    // only, so no two entries of a list share it.
    qint32 pid = 0;
    std::optional<QString> bundleID;
    QString appName;
    // One character; "?" when every letter is taken; absent when the user cleared the
    // app's letter (it can still be clicked).
    std::optional<QString> letter;
    // Never empty; sorted by window id, so window 1 stays window 1 whichever is in front.
    QList<WindowInfo> windows;

    friend bool operator==(const AppEntry &, const AppEntry &) = default;
};

// Whether selecting the app opens a page of its windows; with one window it switches
// to that window straight away.
inline bool opensWindowPage(const AppEntry &app)
{
    return app.windows.size() >= 2;
}

} // namespace lettergate

Q_DECLARE_METATYPE(lettergate::AppEntry)
