#include "panel/EntryBox.h"

#include "panel/Badges.h"
#include "panel/MoreChip.h"
#include "panel/PaintCache.h"
#include "panel/PanelStyle.h"
#include "panel/RoundedPlate.h"
#include "panel/Symbols.h"
#include "panel/TextBlock.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace lettergate {

namespace {
constexpr qreal inset = 12;
constexpr qreal spacing = 8; // between the header's items, the header and the row, the row's blocks
constexpr qreal corner = 12;
constexpr qreal symbolSize = 15;

QFont titleFont()
{
    return PanelStyle::font(13, QFont::DemiBold);
}
} // namespace

std::optional<EntryBox::Hint> EntryBox::headerHint(qsizetype shown, int total, bool active)
{
    if (shown < total)
        return Hint{active ? QStringLiteral("All") : QStringLiteral("%1 total").arg(total), active};
    if (active)
        return Hint{QStringLiteral("Press a number"), true};
    return std::nullopt;
}

EntryBox::EntryBox(Frame frame, Row row, QSize size, QWidget *parent)
    : QWidget(parent)
    , m_frame(std::move(frame))
    , m_blocks(row.blocks)
    , m_row(std::move(row))
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAccessibleName(m_frame.title);
    for (QWidget *block : std::as_const(m_blocks))
        block->setParent(this);
    if (!m_blocks.isEmpty() && m_frame.total > m_blocks.size())
        m_moreChip = new MoreChip(m_frame.total - int(m_blocks.size()), m_frame.entryKey, m_frame.onMore, this);
    resize(size);
    layoutRow();
}

qreal EntryBox::headerHeight() const
{
    return std::max({symbolSize, QFontMetricsF(titleFont()).height(), KeyBadge::size(m_frame.entryKey).height()});
}

void EntryBox::layoutRow()
{
    const qreal top = inset + headerHeight() + spacing;
    const qreal innerWidth = width() - 2 * inset;
    const qreal moreWidth = m_moreChip ? MoreChip::chipWidth : 0;
    const qsizetype items = m_blocks.size() + (m_moreChip ? 1 : 0);
    const qreal shared = m_blocks.isEmpty() ? 0 : (innerWidth - moreWidth - spacing * (items - 1)) / m_blocks.size();
    const qreal blockWidth = qBound<qreal>(0, shared, m_row.blockMaximumWidth);
    const qreal rowHeight = qMax(m_row.blockHeight, m_moreChip ? m_row.moreChipHeight : 0);

    qreal x = inset;
    const auto place = [&](QWidget *widget, qreal w, qreal h) {
        const qreal y = top + (rowHeight - h) / 2;
        widget->setGeometry(QRectF(x, y, w, h).toRect());
        x += w + spacing;
    };
    for (QWidget *block : std::as_const(m_blocks))
        place(block, blockWidth, m_row.blockHeight);
    if (m_moreChip)
        place(m_moreChip, MoreChip::chipWidth, m_row.moreChipHeight);
}

void EntryBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const std::optional<Hint> shownHint = hint();
    const PaintCache::Key key(u"box", m_frame.title, m_frame.icon, m_frame.entryKey, m_frame.active,
                              int(m_frame.border), m_frame.emptyHint, isEmpty(), shownHint.has_value(),
                              shownHint.value_or(Hint()).text, shownHint.value_or(Hint()).accent);
    PaintCache::draw(painter, rect(), key, [this](QPainter &onPicture) { paintFrame(onPicture); });
}

void EntryBox::paintFrame(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();

    const QColor borderColor = m_frame.border == Border::active   ? PanelStyle::accent()
                               : m_frame.border == Border::accent ? PanelStyle::accent(0.4)
                                                                  : PanelStyle::primary(0.10);
    RoundedPlate{corner, PanelStyle::controlBackground(0.55), borderColor, m_frame.border == Border::active ? 2.0 : 1.0}
        .paint(painter, bounds);

    QPainterPath clip;
    clip.addRoundedRect(bounds, corner, corner);
    painter.setClipPath(clip);
    const QRectF content = bounds.adjusted(inset, inset, -inset, -inset);
    paintHeader(painter, QRectF(content.topLeft(), QSizeF(content.width(), headerHeight())));

    if (m_blocks.isEmpty()) {
        const QFont font = PanelStyle::caption();
        const QRectF line(content.left(), content.top() + headerHeight() + spacing, content.width(),
                          QFontMetricsF(font).height());
        TextBlock::paintLine(painter, line, m_frame.emptyHint, font, PanelStyle::secondary());
    }
}

void EntryBox::paintHeader(QPainter &painter, const QRectF &header)
{
    qreal x = header.left();
    const qreal middle = header.center().y();
    Symbols::paint(painter, QRectF(x, middle - symbolSize / 2, symbolSize, symbolSize), m_frame.icon,
                   m_frame.active ? PanelStyle::accent() : PanelStyle::secondary());
    x += symbolSize + spacing;

    qreal right = header.right();
    if (const std::optional<Hint> shownHint = hint()) {
        const QFont font = PanelStyle::caption2();
        const qreal width = QFontMetricsF(font).horizontalAdvance(shownHint->text);
        right -= width;
        TextBlock::paintLine(painter, QRectF(right, header.top(), width + 1, header.height()), shownHint->text, font,
                             shownHint->accent ? PanelStyle::accent() : PanelStyle::secondary());
        right -= spacing;
    }

    const QSizeF badge = KeyBadge::size(m_frame.entryKey);
    const qreal titleSpace = qMax<qreal>(0, right - x - spacing - badge.width());
    const qreal titleWidth = qMin(titleSpace, QFontMetricsF(titleFont()).horizontalAdvance(m_frame.title) + 1);
    TextBlock::paintLine(painter, QRectF(x, header.top(), titleWidth, header.height()), m_frame.title, titleFont(),
                         PanelStyle::primary());
    x += titleWidth + spacing;
    KeyBadge::paint(painter, QPointF(x, middle - badge.height() / 2), m_frame.entryKey);
}

} // namespace lettergate
