#pragma once

#include "platform/Apps.h"

#include <QHash>
#include <QList>
#include <QSet>

namespace lettergate {

// Scripted applications with recorded activations, launches and opened URLs.
class FakeApps final : public Apps {
public:
    std::optional<QString> bundleIdentifier(qint32 pid) override
    {
        ++bundleLookups[pid];
        if (!bundleIDs.contains(pid))
            return std::nullopt;
        return bundleIDs.value(pid);
    }
    std::optional<qint32> frontmostApp() override { return frontmost; }
    bool isTerminated(qint32 pid) override { return terminated.contains(pid); }
    bool activateApp(qint32 pid) override
    {
        activations.append(pid);
        if (terminated.contains(pid))
            return false;
        frontmost = pid;
        return true;
    }
    QIcon appIcon(qint32 pid) override
    {
        ++iconLookups[pid];
        return icons.value(pid);
    }
    QIcon iconForBundle(const QString &) override { return {}; }
    bool openApplication(const QString &bundleID) override
    {
        launches.append(bundleID);
        return installed.contains(bundleID);
    }
    QStringList categories(const QString &) override { return {}; }
    bool openUrl(const QUrl &url) override
    {
        openedUrls.append(url);
        return openUrlResult;
    }
    std::optional<quint32> activeWindow() override { return active; }
    // The window manager says which window is active.
    void reportActive(quint32 window)
    {
        active = window;
        emit activeWindowReported(window);
    }

    QHash<qint32, QString> bundleIDs;
    QHash<qint32, int> bundleLookups;
    QSet<qint32> terminated;
    // What openApplication can bring forward or launch.
    QSet<QString> installed;
    QHash<qint32, QIcon> icons;
    QHash<qint32, int> iconLookups;
    std::optional<qint32> frontmost;
    std::optional<quint32> active;
    bool openUrlResult = true;

    QList<qint32> activations;
    QList<QString> launches;
    QList<QUrl> openedUrls;
};

} // namespace lettergate
