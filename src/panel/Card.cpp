#include "panel/Card.h"

#include "panel/DropShadow.h"
#include "panel/PaintCache.h"
#include "panel/PanelStyle.h"
#include "panel/RoundedPlate.h"

#include <QPainter>

namespace lettergate {

namespace {
const DropShadow backCardShadow{QColor(0, 0, 0, 26), 4, QPointF(0, 2)};

// Room around the face for its shadow and, with back cards, for the cards and theirs.
QMargins marginsFor(bool cascade)
{
    return cascade ? CardFace::shadowMargins + QMargins(0, 0, 6, 4) : CardFace::shadowMargins;
}
} // namespace

Card::Card(Data data, std::function<void()> action, QWidget *parent)
    : CardFace(data.title, data.keyText, data.metrics, data.cardCorner, marginsFor(data.cascade), std::move(action),
               parent)
    , m_data(std::move(data))
    , m_logo(m_data.icon)
    , m_picture(m_data.thumbnail.value_or(QImage()), Qt::KeepAspectRatio)
{
}

void Card::showPicture(std::optional<QImage> thumbnail)
{
    // By identity: the thumbnail service hands the kept picture back when a window has
    // not changed, and the card's kept drawing is named by that identity.
    if (thumbnail.value_or(QImage()).cacheKey() == m_data.thumbnail.value_or(QImage()).cacheKey())
        return;
    m_data.thumbnail = std::move(thumbnail);
    m_picture = ScaledImage(m_data.thumbnail.value_or(QImage()), Qt::KeepAspectRatio);
    update();
}

QList<QPointF> Card::backCardOffsets() const
{
    if (!m_data.cascade)
        return {};
    if (m_data.countBadge.value_or(0) >= 3)
        return {QPointF(10, 10), QPointF(5, 5)};
    return {QPointF(5, 5)};
}

void Card::paintBehind(QPainter &painter, const QRectF &face)
{
    const QList<QPointF> offsets = backCardOffsets();
    for (const QPointF &offset : offsets)
        backCardShadow.paint(painter, face.translated(offset), corner());
    for (const QPointF &offset : offsets)
        cardPlate().paint(painter, face.translated(offset));
}

void Card::paintLeading(QPainter &painter, const QRectF &square)
{
    m_logo.paint(painter, square);
}

QString Card::titleSuffix() const
{
    return m_data.countBadge ? QStringLiteral("\u00B7%1").arg(*m_data.countBadge) : QString();
}

void Card::paintBody(QPainter &painter, const QRectF &area)
{
    if (m_picture.isNull()) {
        const qreal side = bodyLogoShare * qMin(area.width(), area.height());
        m_logo.paint(painter, QRectF(area.center() - QPointF(side / 2, side / 2), QSizeF(side, side)));
        return;
    }
    m_picture.paint(painter, area);
}

QString Card::contentKey() const
{
    return PaintCache::Key(u"app", m_data.icon, m_data.thumbnail.value_or(QImage()), m_data.countBadge, m_data.cascade)
        .text();
}

} // namespace lettergate
