#include "switcher/RunningApps.h"

#include "switcher/AppLetters.h"

#include <QHash>
#include <algorithm>

QList<AppEntry> buildApps(const QList<WindowInfo> &windows, QSet<QString> reserved, SettingsStore &settings)
{
    QList<qint32> order;
    QHash<qint32, QList<WindowInfo>> windowsByPid;
    for (const WindowInfo &window : windows) {
        auto found = windowsByPid.find(window.pid);
        if (found == windowsByPid.end()) {
            order.append(window.pid);
            found = windowsByPid.insert(window.pid, {});
        }
        found->append(window);
    }

    AppLetters letters(settings);
    QList<AppEntry> apps;
    apps.reserve(order.size());
    for (qint32 pid : order) {
        QList<WindowInfo> &appWindows = windowsByPid[pid];
        // Every window of a process carries the same identity; the front-most one speaks.
        const WindowInfo &front = appWindows.constFirst();
        AppEntry entry{pid, front.bundleID, front.appName, letters.letterFor(front.bundleID, front.appName), {}};
        std::stable_sort(appWindows.begin(), appWindows.end(),
                         [](const WindowInfo &a, const WindowInfo &b) { return a.id < b.id; });
        entry.windows = std::move(appWindows);
        if (entry.letter) {
            if (reserved.contains(*entry.letter))
                entry.letter = firstFreeLetter(reserved);
            reserved.insert(*entry.letter);
        }
        apps.append(std::move(entry));
    }
    return apps;
}
