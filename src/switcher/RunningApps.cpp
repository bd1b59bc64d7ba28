#include "switcher/RunningApps.h"

#include "switcher/AppLetters.h"

#include <QHash>
#include <algorithm>

QList<AppEntry> groupByProcess(const QList<WindowInfo> &windows)
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

    QList<AppEntry> apps;
    apps.reserve(order.size());
    for (qint32 pid : order) {
        QList<WindowInfo> &appWindows = windowsByPid[pid];
        // Every window of a process carries the same identity; the front-most one speaks.
        const WindowInfo &front = appWindows.constFirst();
        AppEntry entry{pid, front.bundleID, front.appName, std::nullopt, {}};
        std::stable_sort(appWindows.begin(), appWindows.end(),
                         [](const WindowInfo &a, const WindowInfo &b) { return a.id < b.id; });
        entry.windows = std::move(appWindows);
        apps.append(std::move(entry));
    }
    return apps;
}

QList<AppEntry> buildApps(const QList<WindowInfo> &windows, QSet<QString> reserved, SettingsStore &settings)
{
    AppLetters letters(settings);
    QList<AppEntry> apps = groupByProcess(windows);
    for (AppEntry &entry : apps) {
        entry.letter = letters.letterFor(entry.bundleID, entry.appName);
        if (entry.letter) {
            if (reserved.contains(*entry.letter))
                entry.letter = firstFreeLetter(reserved);
            reserved.insert(*entry.letter);
        }
    }
    return apps;
}
