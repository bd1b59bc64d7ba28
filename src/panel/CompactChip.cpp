#include "panel/CompactChip.h"

#include "panel/Badges.h"
#include "panel/ChipBackground.h"
#include "panel/Clickable.h"
#include "panel/PaintCache.h"
#include "panel/PanelStyle.h"
#include "panel/Symbols.h"
#include "panel/TextBlock.h"

#include <QFontMetricsF>
#include <QPainter>

namespace lettergate {

namespace {
constexpr qreal insetX = 10;
constexpr qreal insetY = 8;
constexpr qreal gap = 7;
constexpr qreal lineGap = 1;
constexpr qreal symbolSize = 13; // a symbol at a system font size of 12
constexpr qreal corner = 10;

QFont nameFont()
{
    return PanelStyle::font(12, QFont::Medium);
}
QFont detailFont()
{
    return PanelStyle::font(10);
}
} // namespace

CompactChip::CompactChip(CompactChipData cell, std::function<void()> action, QWidget *parent)
    : QWidget(parent)
    , m_cell(std::move(cell))
    , m_clickable(new Clickable(this, corner, std::move(action)))
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAccessibleName(m_cell.badge + QStringLiteral(": ") + m_cell.name);
}

qreal CompactChip::naturalHeight()
{
    const qreal lines = QFontMetricsF(nameFont()).height() + lineGap + QFontMetricsF(detailFont()).height();
    return qMax(minimumChipHeight, lines + 2 * insetY);
}

void CompactChip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const PaintCache::Key key(u"chip", m_cell.badge, m_cell.name, m_cell.detail, m_cell.symbol);
    PaintCache::draw(painter, rect(), key, [this](QPainter &onPicture) { paintChip(onPicture); });
}

void CompactChip::paintChip(QPainter &painter)
{
    const QRectF bounds = rect();
    painter.setClipRect(bounds);
    paintChipBackground(painter, bounds, 0.10);

    const QRectF content = bounds.adjusted(insetX, insetY, -insetX, -insetY);
    const QSizeF badge = MiniBadge::size(m_cell.badge);
    MiniBadge::paint(painter, QPointF(content.left(), content.center().y() - badge.height() / 2), m_cell.badge);
    const qreal symbolLeft = content.left() + badge.width() + gap;
    Symbols::paint(painter, QRectF(symbolLeft, content.center().y() - symbolSize / 2, symbolSize, symbolSize),
                   m_cell.symbol, PanelStyle::secondary());

    const qreal textLeft = symbolLeft + symbolSize + gap;
    const qreal textWidth = qMax<qreal>(0, content.right() - textLeft);
    const qreal nameHeight = QFontMetricsF(nameFont()).height();
    const qreal detailHeight = m_cell.detail.isEmpty() ? 0 : lineGap + QFontMetricsF(detailFont()).height();
    const qreal top = content.center().y() - (nameHeight + detailHeight) / 2;
    TextBlock::paintLine(painter, QRectF(textLeft, top, textWidth, nameHeight), m_cell.name, nameFont(),
                         PanelStyle::primary());
    if (!m_cell.detail.isEmpty()) {
        TextBlock::paintLine(painter, QRectF(textLeft, top + nameHeight + lineGap, textWidth, detailHeight - lineGap),
                             m_cell.detail, detailFont(), PanelStyle::tertiary());
    }
}

} // namespace lettergate
