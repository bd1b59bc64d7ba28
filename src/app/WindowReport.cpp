#include "app/WindowReport.h"

#include "app/RequestProtocol.h"
#include "settings/SettingsStore.h"
#include "switcher/RunningApps.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QStringList>

namespace lettergate {

QByteArray windowReport(const QList<AppEntry> &apps)
{
    QByteArray report;
    for (const AppEntry &app : apps) {
        const QString letter = app.letter.value_or(QStringLiteral("-"));
        for (qsizetype i = 0; i < app.windows.size(); ++i) {
            const WindowInfo &window = app.windows.at(i);
            const QStringList fields{RequestProtocol::oneLine(letter), RequestProtocol::oneLine(app.appName),
                                     QString::number(i + 1), QStringLiteral("0x%1").arg(window.id, 0, 16),
                                     RequestProtocol::oneLine(window.title)};
            report += fields.join(u'\t').toUtf8() + '\n';
        }
    }
    return report;
}

QList<AppEntry> panelApps(Platform &platform, SettingsStore &settings)
{
    const auto ownPid = static_cast<qint32>(QCoreApplication::applicationPid());
    return buildApps(listWindows(platform, ownPid), settings.listKeys(), settings);
}

} // namespace lettergate
