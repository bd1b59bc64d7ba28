#include "switcher/RunningApps.h"

#include "switcher/AppLetters.h"

#include <QHash>
#include <algorithm>

namespace lettergate {

namespace {

// The index of the app the key belongs to: `next` for a key met for the first time.
template <typename Key>
qsizetype appIndex(QHash<Key, qsizetype> &indexes, const Key &key, qsizetype next)
{
    auto found = indexes.find(key);
    if (found == indexes.end())
        found = indexes.insert(key, next);
    return *found;
}

} // namespace

QList<AppEntry> groupByApplication(const QList<WindowInfo> &windows)
{
    QList<AppEntry> apps;
    QHash<QString, qsizetype> indexOfBundle;
    QHash<qint32, qsizetype> indexOfProcess;
    for (const WindowInfo &window : windows) {
        const qsizetype next = apps.size();
        const qsizetype index = window.bundleID ? appIndex(indexOfBundle, *window.bundleID, next)
                                                : appIndex(indexOfProcess, window.pid, next);
        // The front-most window names the app: its process is the one most recently in
        // front, whose name and icon the panel shows.
        if (index == next)
            apps.append(AppEntry{window.pid, window.bundleID, window.appName, std::nullopt, {}});
        apps[index].windows.append(window);
    }
    for (AppEntry &app : apps) {
        std::stable_sort(app.windows.begin(), app.windows.end(),
                         [](const WindowInfo &a, const WindowInfo &b) { return a.id < b.id; });
    }
    return apps;
}

QList<AppEntry> buildApps(const QList<WindowInfo> &windows, QSet<QString> reserved, SettingsStore &settings)
{
    AppLetters letters(settings);
    QList<AppEntry> apps = groupByApplication(windows);
    // A replacement keeps clear of every letter a listed app claims, and if it can, of
    // the letters stored for apps without a card, which reach them (when minimised, say).
    QSet<QString> stored;
    for (const QString &letter : letters.usedLetters())
        stored.insert(letter.toLower());
    QSet<QString> claimed;
    for (AppEntry &app : apps) {
        app.letter = letters.letterFor(app.bundleID, app.appName);
        if (app.letter)
            claimed.insert(*app.letter);
    }
    for (AppEntry &app : apps) {
        if (!app.letter)
            continue;
        if (reserved.contains(*app.letter)) {
            app.letter = firstFreeLetter(reserved + claimed + stored);
            if (*app.letter == AppLetters::exhausted)
                app.letter = firstFreeLetter(reserved + claimed);
        }
        reserved.insert(*app.letter);
    }
    return apps;
}

} // namespace lettergate
