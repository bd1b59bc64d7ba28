#include "panel/CardPictureSizes.h"

#include "panel/AppsPage.h"
#include "panel/GridMetrics.h"

#include <cmath>

namespace lettergate {

namespace {

QSize devicePixels(const GridMetrics &metrics, qreal devicePixelRatio)
{
    return QSize(int(std::ceil(metrics.thumbW * devicePixelRatio)), int(std::ceil(metrics.thumbH * devicePixelRatio)));
}

} // namespace

QHash<quint32, QSize> cardPictureSizes(const QList<AppEntry> &apps, QSize pageSize, qreal devicePixelRatio)
{
    QHash<quint32, QSize> sizes;
    const GridMetrics appsGrid = GridMetrics::fit(int(apps.size()), pageSize.width(),
                                                  AppsPage::gridHeight(pageSize.height()));
    const QSize onAppsPage = devicePixels(appsGrid, devicePixelRatio);
    for (const AppEntry &app : apps) {
        if (opensWindowPage(app)) {
            const GridMetrics windowsGrid = GridMetrics::fit(int(app.windows.size()), pageSize.width(),
                                                             pageSize.height());
            const QSize onWindowsPage = devicePixels(windowsGrid, devicePixelRatio);
            for (const WindowInfo &window : app.windows)
                sizes.insert(window.id, onWindowsPage);
        }
        const quint32 shownOnAppsPage = AppsPage::pictureWindow(app).id;
        sizes[shownOnAppsPage] = sizes.value(shownOnAppsPage).expandedTo(onAppsPage);
    }
    return sizes;
}

} // namespace lettergate
