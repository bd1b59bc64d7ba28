#include "panel/PanelRendering.h"

#include "panel/SwitcherView.h"

#include <QPainter>

QImage renderSwitcherView(SwitcherViewModel &viewModel, const SnippetStore &snippets, QSize size,
                          qreal devicePixelRatio)
{
    SwitcherView view(viewModel, snippets, SwitcherActions{}, 4, 6, {});
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
