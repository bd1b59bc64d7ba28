#include "panel/SnipCard.h"

#include "panel/PaintCache.h"
#include "panel/PanelStyle.h"
#include "panel/Symbols.h"

#include <QPainter>

namespace lettergate {

namespace {
constexpr qreal symbolSize = 17; // a symbol at a system font size of 15
constexpr qreal textInset = 8;
constexpr int maxTextLines = 8;

QString shownText(const std::optional<QString> &text)
{
    return text && !text->isEmpty() ? *text : QStringLiteral("(empty)");
}
} // namespace

SnipCard::SnipCard(Data data, std::function<void()> action, QWidget *parent)
    : CardFace(data.title, data.keyText, data.metrics, data.cardCorner, shadowMargins, std::move(action), parent)
    , m_data(std::move(data))
    , m_picture(m_data.image.value_or(QImage()), Qt::KeepAspectRatio)
    , m_text(shownText(m_data.text), PanelStyle::font(12), PanelStyle::primary(), maxTextLines)
    // Made once: a clipboard text may be long, and every paint looks the card up.
    , m_contentKey(PaintCache::Key(u"entry", m_data.systemIcon, bodyText(), m_data.image.value_or(QImage())).text())
{
}

QString SnipCard::bodyText() const
{
    return shownText(m_data.text);
}

void SnipCard::paintLeading(QPainter &painter, const QRectF &square)
{
    const QRectF symbol(square.center() - QPointF(symbolSize / 2, symbolSize / 2), QSizeF(symbolSize, symbolSize));
    Symbols::paint(painter, symbol, m_data.systemIcon, PanelStyle::secondary());
}

void SnipCard::paintBody(QPainter &painter, const QRectF &area)
{
    if (!m_picture.isNull()) {
        m_picture.paint(painter, area);
        return;
    }
    painter.fillRect(area, PanelStyle::primary(0.04));
    m_text.paint(painter, area.adjusted(textInset, textInset, -textInset, -textInset));
}

QString SnipCard::contentKey() const
{
    return m_contentKey;
}

} // namespace lettergate
