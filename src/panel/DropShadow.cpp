#include "panel/DropShadow.h"

#include <QHash>
#include <QPainter>

#include <cmath>
#include <vector>

namespace lettergate {

namespace {

// One pass of a running-sum box blur over the rows (or, with `vertical`, the columns)
// of an 8-bit alpha image.
void boxBlur(QImage &alpha, int radius, bool vertical)
{
    const int lines = vertical ? alpha.width() : alpha.height();
    const int length = vertical ? alpha.height() : alpha.width();
    const qsizetype stride = alpha.bytesPerLine();
    const qsizetype step = vertical ? stride : 1;
    const int window = 2 * radius + 1;
    std::vector<uchar> line(length);
    for (int l = 0; l < lines; ++l) {
        uchar *start = vertical ? alpha.bits() + l : alpha.bits() + l * stride;
        for (int i = 0; i < length; ++i)
            line[i] = start[i * step];
        int sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += (i >= 0 && i < length) ? line[i] : 0;
        for (int i = 0; i < length; ++i) {
            start[i * step] = uchar(sum / window);
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            sum += (entering < length ? line[entering] : 0) - (leaving >= 0 ? line[leaving] : 0);
        }
    }
}

// The blurred alpha mask of a rounded rectangle, padded by the blur on every side.
QImage blurredMask(const QSizeF &shape, qreal corner, qreal blurRadius, qreal dpr)
{
    const int pad = qCeil(blurRadius * dpr);
    QImage alpha(qCeil(shape.width() * dpr) + 2 * pad, qCeil(shape.height() * dpr) + 2 * pad, QImage::Format_Alpha8);
    alpha.fill(0);
    {
        QPainter painter(&alpha);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawRoundedRect(QRectF(pad, pad, shape.width() * dpr, shape.height() * dpr), corner * dpr,
                                corner * dpr);
    }
    // Three box passes approximate a Gaussian whose spread is half the blur radius.
    const int box = qMax(1, qRound(blurRadius * dpr / 3));
    for (int pass = 0; pass < 3; ++pass) {
        boxBlur(alpha, box, false);
        boxBlur(alpha, box, true);
    }
    alpha.setDevicePixelRatio(dpr);
    return alpha;
}

QImage cachedShadow(const QSizeF &shape, qreal corner, qreal blurRadius, const QColor &color, qreal dpr)
{
    static QHash<QString, QImage> cache;
    const QString key = QStringLiteral("%1x%2/%3/%4/%5/%6")
                            .arg(shape.width())
                            .arg(shape.height())
                            .arg(corner)
                            .arg(blurRadius)
                            .arg(color.rgba(), 8, 16)
                            .arg(dpr);
    if (const auto found = cache.constFind(key); found != cache.constEnd())
        return *found;
    // Shapes change only with the panel's size: a small cache holds every page's shapes.
    if (cache.size() > 32)
        cache.clear();
    QImage shadow(blurredMask(shape, corner, blurRadius, dpr).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    QPainter tint(&shadow);
    tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
    tint.fillRect(shadow.rect(), color);
    tint.end();
    cache.insert(key, shadow);
    return shadow;
}

} // namespace

void DropShadow::paint(QPainter &painter, const QRectF &shape, qreal corner) const
{
    if (shape.isEmpty())
        return;
    const qreal dpr = painter.device()->devicePixelRatioF();
    const QImage shadow = cachedShadow(shape.size(), corner, blurRadius, color, dpr);
    const qreal pad = qCeil(blurRadius * dpr) / dpr;
    painter.drawImage(shape.topLeft() + offset - QPointF(pad, pad), shadow);
}

} // namespace lettergate
