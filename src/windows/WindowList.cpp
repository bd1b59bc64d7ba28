#include "windows/WindowList.h"

#include "platform/Apps.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/WindowServer.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>
#include <cmath>

namespace lettergate {

namespace {

constexpr double minimumSide = 60.0;

// Written so that a NaN side (a hostile or broken reply) fails too.
bool isLargeEnough(const QRectF &bounds)
{
    return bounds.width() >= minimumSide && bounds.height() >= minimumSide;
}

// Looks each process up once per enumeration; an absent answer is remembered too.
class BundleIdentifiers {
public:
    explicit BundleIdentifiers(Apps &apps)
        : m_apps(apps)
    {
    }

    std::optional<QString> of(qint32 pid)
    {
        auto found = m_known.constFind(pid);
        if (found == m_known.constEnd())
            found = m_known.insert(pid, m_apps.bundleIdentifier(pid));
        return *found;
    }

private:
    Apps &m_apps;
    QHash<qint32, std::optional<QString>> m_known;
};

// The integer part of a side, as text, without the undefined behaviour of a cast.
QString truncated(double side)
{
    return QString::number(std::trunc(side), 'f', 0);
}

} // namespace

QList<WindowInfo> listWindows(Platform &platform, std::optional<qint32> excludedPid)
{
    const std::optional<QList<WindowRecord>> records = platform.windowServer().onScreenWindows();
    if (!records)
        return {};

    BundleIdentifiers bundleIdentifiers(platform.apps());
    QList<WindowInfo> windows;
    for (const WindowRecord &record : *records) {
        if (record.layer != 0 || !record.number || !record.ownerPid)
            continue;
        if (excludedPid && *record.ownerPid == *excludedPid)
            continue;
        const QRectF bounds = record.bounds.value_or(QRectF());
        if (!isLargeEnough(bounds))
            continue;
        windows.append(WindowInfo{*record.number, *record.ownerPid, bundleIdentifiers.of(*record.ownerPid),
                                  record.ownerName.value_or(QStringLiteral("?")), record.title.value_or(QString()),
                                  bounds});
    }
    return windows;
}

void printAllWindows(Platform &platform)
{
    const QList<WindowInfo> windows = listWindows(platform, static_cast<qint32>(QCoreApplication::applicationPid()));
    // One message: the header line carries the prefix, the window lines do not, and the
    // whole dump is written at once.
    QStringList lines{QStringLiteral("Enumerated ") + QString::number(windows.size()) + QStringLiteral(" windows:")};
    for (qsizetype i = 0; i < windows.size(); ++i) {
        const WindowInfo &window = windows.at(i);
        // Other applications' titles are hidden from us until the user grants the permission.
        const QString title = window.title.isEmpty() ? QStringLiteral("(no title / needs Screen Recording permission)")
                                                     : window.title;
        lines << QStringLiteral("  [") + QString::number(i) + QStringLiteral("] ") + window.appName
                     + QStringLiteral("  #") + QString::number(window.id) + QStringLiteral("  '") + title
                     + QStringLiteral("'  ") + truncated(window.bounds.width()) + u'x'
                     + truncated(window.bounds.height());
    }
    qCInfo(lcWindows).noquote() << lines.join(u'\n');
}

} // namespace lettergate
