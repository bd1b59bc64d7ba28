#include "panel/CardFace.h"

#include "panel/Badges.h"
#include "panel/Clickable.h"
#include "panel/DropShadow.h"
#include "panel/PaintCache.h"
#include "panel/PanelStyle.h"
#include "panel/RoundedPlate.h"
#include "panel/TextBlock.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace lettergate {

namespace {
constexpr qreal titleGap = 6;  // between the title row's items
constexpr qreal suffixGap = 4; // between the title and its suffix
const DropShadow faceShadow{QColor(0, 0, 0, 41), 8, QPointF(0, 4)};
} // namespace

CardFace::CardFace(QString title, QString keyText, const GridMetrics &metrics, qreal corner, QMargins margins,
                   std::function<void()> action, QWidget *parent)
    : QWidget(parent)
    , m_title(std::move(title))
    , m_keyText(std::move(keyText))
    , m_metrics(metrics)
    , m_corner(corner)
    , m_margins(margins)
{
    setAttribute(Qt::WA_NoSystemBackground);
    resize(int(std::ceil(metrics.cardWidth())) + margins.left() + margins.right(),
           int(std::ceil(metrics.cardHeight())) + margins.top() + margins.bottom());
    m_clickable = new Clickable(this, corner, std::move(action));
    m_clickable->setArea(faceRect());
    setAccessibleName(m_keyText.isEmpty() ? m_title : m_keyText + QStringLiteral(": ") + m_title);
}

RoundedPlate CardFace::cardPlate() const
{
    return {m_corner, PanelStyle::controlBackground(), PanelStyle::primary(0.08)};
}

QRectF CardFace::faceRect() const
{
    return {QPointF(m_margins.left(), m_margins.top()), QSizeF(m_metrics.cardWidth(), m_metrics.cardHeight())};
}

void CardFace::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const PaintCache::Key key(u"card", m_title, m_keyText, titleSuffix(), m_metrics.thumbW, m_metrics.thumbH, m_corner,
                              faceRect(), contentKey());
    PaintCache::draw(painter, rect(), key, [this](QPainter &onPicture) { paintFace(onPicture); });
}

void CardFace::paintFace(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = faceRect();

    paintBehind(painter, face);
    faceShadow.paint(painter, face, m_corner);
    cardPlate().paint(painter, face);

    const QRectF content = face.adjusted(inset, inset, -inset, -inset);
    paintTitleRow(painter, QRectF(content.topLeft(), QSizeF(content.width(), titleRowHeight)));

    const QRectF body(content.left(), content.top() + titleRowHeight + bodyGap, m_metrics.thumbW, m_metrics.thumbH);
    QPainterPath clip;
    clip.addRoundedRect(body, bodyCorner, bodyCorner);
    painter.save();
    painter.setClipPath(clip);
    paintBody(painter, body);
    painter.restore();
}

void CardFace::paintTitleRow(QPainter &painter, const QRectF &row)
{
    paintLeading(painter, QRectF(row.topLeft(), QSizeF(titleRowHeight, titleRowHeight)));

    qreal textRight = row.right();
    if (!m_keyText.isEmpty()) {
        const QSizeF badge = KeyBadge::size(m_keyText);
        KeyBadge::paint(painter, QPointF(row.right() - badge.width(), row.center().y() - badge.height() / 2),
                        m_keyText);
        textRight -= badge.width() + titleGap;
    }
    const qreal textLeft = row.left() + titleRowHeight + titleGap;

    const QString suffix = titleSuffix();
    const QFont suffixFont = PanelStyle::font(12, QFont::Medium);
    const qreal suffixWidth = suffix.isEmpty() ? 0 : QFontMetricsF(suffixFont).horizontalAdvance(suffix);
    const qreal titleSpace = qMax<qreal>(0, textRight - textLeft - (suffix.isEmpty() ? 0 : suffixWidth + suffixGap));
    const QFont titleFont = PanelStyle::font(13, QFont::Medium);
    const qreal titleWidth = qMin(titleSpace, QFontMetricsF(titleFont).horizontalAdvance(m_title));
    TextBlock::paintLine(painter, QRectF(textLeft, row.top(), titleSpace, row.height()), m_title, titleFont,
                         PanelStyle::primary());
    if (!suffix.isEmpty()) {
        TextBlock::paintLine(painter, QRectF(textLeft + titleWidth + suffixGap, row.top(), suffixWidth, row.height()),
                             suffix, suffixFont, PanelStyle::secondary());
    }
}

} // namespace lettergate
