#include "app/UpdateAlerts.h"

#include "platform/Apps.h"
#include "updates/UpdateChecker.h"

#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace lettergate {

void UpdateAlerts::present(const UpdateResult &result, Apps &apps, QWidget *parent)
{
    QMessageBox alert(parent);
    alert.setWindowTitle(QStringLiteral("Lettergate"));
    if (result.isUpdateAvailable()) {
        alert.setIcon(QMessageBox::Information);
        alert.setText(QStringLiteral("New Version v") + result.version() + QStringLiteral(" Available"));
        alert.setInformativeText(QStringLiteral("Would you like to download the latest version?"));
        QPushButton *download = alert.addButton(QStringLiteral("Download"), QMessageBox::AcceptRole);
        alert.addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
        alert.setDefaultButton(download);
        alert.exec();
        const QUrl url(result.url(), QUrl::StrictMode);
        if (alert.clickedButton() == download && url.isValid() && !url.scheme().isEmpty())
            apps.openUrl(url);
        return;
    }
    if (result.isUpToDate()) {
        alert.setIcon(QMessageBox::Information);
        alert.setText(QStringLiteral("You're Up to Date"));
        alert.setInformativeText(QStringLiteral("Lettergate ") + UpdateChecker::currentVersion()
                                 + QStringLiteral(" is the latest version."));
    } else {
        alert.setIcon(QMessageBox::Warning);
        alert.setText(QStringLiteral("Update Check Failed"));
        alert.setInformativeText(result.message());
    }
    alert.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    alert.exec();
}

} // namespace lettergate
