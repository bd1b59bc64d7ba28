#include "panel/MiniPasteCard.h"

#include "panel/Badges.h"
#include "panel/ChipBackground.h"
#include "panel/Clickable.h"
#include "panel/PaintCache.h"
#include "panel/PanelStyle.h"
#include "panel/Symbols.h"

#include <QPainter>
#include <QPainterPath>

namespace lettergate {

namespace {
constexpr qreal inset = 8;
constexpr qreal gap = 5;
constexpr qreal symbolSize = 11; // a symbol at a system font size of 10
constexpr int maxPreviewLines = 3;
constexpr qreal corner = 10;

QString textShown(const PasteCell &cell)
{
    return cell.text.isEmpty() ? QStringLiteral("(empty)") : cell.text;
}
} // namespace

MiniPasteCard::MiniPasteCard(PasteCell cell, std::function<void()> action, QWidget *parent)
    : QWidget(parent)
    , m_cell(std::move(cell))
    , m_picture(m_cell.image.value_or(QImage()), Qt::KeepAspectRatioByExpanding)
    , m_text(textShown(m_cell), PanelStyle::font(11), PanelStyle::secondary(), maxPreviewLines)
    , m_clickable(new Clickable(this, corner, std::move(action)))
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAccessibleName(m_cell.badge + QStringLiteral(": ") + (m_cell.image ? QStringLiteral("Image") : shownText()));
}

QString MiniPasteCard::shownText() const
{
    return textShown(m_cell);
}

void MiniPasteCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const PaintCache::Key key(u"cell", m_cell.badge, m_cell.isImage, m_cell.text, m_cell.image);
    PaintCache::draw(painter, rect(), key, [this](QPainter &onPicture) { paintCell(onPicture); });
}

void MiniPasteCard::paintCell(QPainter &painter)
{
    const QRectF bounds = rect();
    QPainterPath clip;
    clip.addRoundedRect(bounds, corner, corner);
    painter.setClipPath(clip);
    paintChipBackground(painter, bounds, 0.10);

    const QRectF content = bounds.adjusted(inset, inset, -inset, -inset);
    const QSizeF badge = MiniBadge::size(m_cell.badge);
    MiniBadge::paint(painter, content.topLeft(), m_cell.badge);
    const QRectF symbol(content.left() + badge.width() + gap, content.top() + (badge.height() - symbolSize) / 2,
                        symbolSize, symbolSize);
    Symbols::paint(painter, symbol, m_cell.isImage ? u"photo" : u"text.alignleft", PanelStyle::tertiary());

    const QRectF preview(content.left(), content.top() + badge.height() + gap, content.width(),
                         content.bottom() - (content.top() + badge.height() + gap));
    if (!m_picture.isNull())
        m_picture.paint(painter, preview);
    else
        m_text.paint(painter, preview);
}

} // namespace lettergate
