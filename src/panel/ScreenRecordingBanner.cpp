#include "panel/ScreenRecordingBanner.h"

#include "panel/PanelStyle.h"
#include "panel/Symbols.h"
#include "panel/TextBlock.h"

#include <QFontMetricsF>
#include <QPainter>

namespace lettergate {

namespace {
constexpr int paddingX = 18;
constexpr int paddingY = 8;
constexpr qreal spacing = 6;
constexpr qreal warningSize = 13; // the symbol at the caption's size
constexpr qreal chevronSize = 10; // the symbol at the second caption's size
} // namespace

ScreenRecordingBanner::ScreenRecordingBanner(QWidget *parent)
    : QAbstractButton(parent)
{
    setText(QStringLiteral(
        "Enable Screen Recording to show thumbnails and window titles (restart the app after granting)"));
    setAccessibleName(text());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

int ScreenRecordingBanner::bannerHeight()
{
    return qCeil(qMax(warningSize, QFontMetricsF(PanelStyle::caption()).height())) + 2 * paddingY;
}

void ScreenRecordingBanner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), PanelStyle::warning(0.12));
    const QRectF line = QRectF(rect()).adjusted(paddingX, paddingY, -paddingX, -paddingY);
    const qreal middle = line.center().y();

    Symbols::paint(painter, QRectF(line.left(), middle - warningSize / 2, warningSize, warningSize),
                   u"exclamationmark.triangle.fill", PanelStyle::warning());
    Symbols::paint(painter, QRectF(line.right() - chevronSize, middle - chevronSize / 2, chevronSize, chevronSize),
                   u"chevron.right", PanelStyle::secondary());
    const qreal textLeft = line.left() + warningSize + spacing;
    const qreal textRight = line.right() - chevronSize - spacing;
    TextBlock::paintLine(painter, QRectF(textLeft, line.top(), qMax<qreal>(0, textRight - textLeft), line.height()),
                         text(), PanelStyle::caption(), PanelStyle::primary());
}

} // namespace lettergate
