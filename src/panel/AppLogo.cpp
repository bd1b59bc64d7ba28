#include "panel/AppLogo.h"

#include "panel/PanelStyle.h"
#include "panel/Symbols.h"
#include "platform/Apps.h"
#include "platform/Platform.h"

#include <QPainter>

AppLogo::AppLogo(qint32 pid)
    : m_icon(Platform::isInstalled() ? Platform::current().apps().appIcon(pid) : QIcon())
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
