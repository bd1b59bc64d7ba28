#include "rendering/PanelRendering.h"

#include "panel/AppIconCache.h"
#include "panel/SwitcherView.h"
#include "switcher/SwitcherViewModel.h"

#include <QPainter>

namespace lettergate {

QImage renderSwitcherView(SwitcherViewModel &viewModel, const SnippetStore &snippets, Apps &apps, QSize size,
                          qreal devicePixelRatio)
{
    // The icons as a closed panel prepares them for its next opening.
    AppIconCache icons(apps);
    QList<WindowInfo> windows;
    for (const AppEntry &app : viewModel.apps())
        windows.append(app.windows);
    icons.prepare(windows, devicePixelRatio);
    SwitcherView view(viewModel, snippets, icons, SwitcherActions{}, 4, 6, {});
    view.setAttribute(Qt::WA_TranslucentBackground);
    view.resize(size);
    view.rebuild();

    QImage picture(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    view.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return picture;
}

} // namespace lettergate
