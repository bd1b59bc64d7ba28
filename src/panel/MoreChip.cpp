#include "panel/MoreChip.h"

#include "panel/Badges.h"
#include "panel/ChipBackground.h"
#include "panel/Clickable.h"
#include "panel/PaintCache.h"
#include "panel/PanelStyle.h"

#include <QFontMetricsF>
#include <QPainter>

namespace lettergate {

namespace {
constexpr qreal stackGap = 6;
constexpr qreal badgeGap = 3;
constexpr qreal corner = 10;

QFont countFont()
{
    return PanelStyle::font(16, QFont::Bold);
}
} // namespace

MoreChip::MoreChip(int count, QString key, std::function<void()> action, QWidget *parent)
    : QWidget(parent)
    , m_count(count)
    , m_key(std::move(key))
    , m_clickable(new Clickable(this, corner, std::move(action)))
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAccessibleName(countText());
}

QString MoreChip::countText() const
{
    return QStringLiteral("+%1").arg(m_count);
}

void MoreChip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintCache::draw(painter, rect(), PaintCache::Key(u"more", m_count, m_key),
                     [this](QPainter &onPicture) { paintChip(onPicture); });
}

void MoreChip::paintChip(QPainter &painter)
{
    const QRectF bounds = rect();
    paintChipBackground(painter, bounds, 0);

    const qreal countHeight = QFontMetricsF(countFont()).height();
    const QSizeF badge = MiniBadge::size(m_key);
    const qreal top = bounds.center().y() - (countHeight + stackGap + badge.height()) / 2;
    painter.setFont(countFont());
    painter.setPen(PanelStyle::secondary());
    painter.drawText(QRectF(bounds.left(), top, bounds.width(), countHeight), Qt::AlignCenter, countText());

    const qreal badgesLeft = bounds.center().x() - (2 * badge.width() + badgeGap) / 2;
    const qreal badgesTop = top + countHeight + stackGap;
    MiniBadge::paint(painter, QPointF(badgesLeft, badgesTop), m_key);
    MiniBadge::paint(painter, QPointF(badgesLeft + badge.width() + badgeGap, badgesTop), m_key);
}

} // namespace lettergate
