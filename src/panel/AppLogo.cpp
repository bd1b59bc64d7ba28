#include "panel/AppLogo.h"

#include "panel/PanelStyle.h"
#include "panel/Symbols.h"

#include <QPainter>

namespace lettergate {

AppLogo::AppLogo(QIcon icon)
    : m_icon(std::move(icon))
{
}

void AppLogo::paint(QPainter &painter, const QRectF &square) const
{
    if (m_icon.isNull()) {
        Symbols::paint(painter, square, u"app.dashed", PanelStyle::secondary());
        return;
    }
    const qreal dpr = painter.device()->devicePixelRatioF();
    const QPixmap pixmap = m_icon.pixmap(square.size().toSize(), dpr);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(square, pixmap, QRectF(pixmap.rect()));
    painter.restore();
}

} // namespace lettergate
