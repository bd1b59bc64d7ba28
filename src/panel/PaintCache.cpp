#include "panel/PaintCache.h"

#include <QCache>
#include <QGuiApplication>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>

#include <cmath>

namespace lettergate {

namespace PaintCache {

namespace {

constexpr QChar separator(u'\x1f');

QCache<QString, QImage> &pictures()
{
    static QCache<QString, QImage> cache(costLimitKiB);
    return cache;
}

// The showing each kept picture was last drawn in. It may name pictures the cache has
// already let go of; the end of a showing forgets those too.
struct LastDrawn {
    quint64 currentShowing = 0;
    QHash<QString, quint64> showingOf;
};

LastDrawn &lastDrawn()
{
    static LastDrawn drawn;
    return drawn;
}

// What every picture depends on besides its own content.
QString surroundings(qreal devicePixelRatio)
{
    return QGuiApplication::font().key() + separator
           + QString::number(QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight).rgba(), 16)
           + separator + QString::number(devicePixelRatio);
}

} // namespace

void Key::append(const QString &part)
{
    m_text += separator;
    // A long text (a clipboard entry) stands in the key as its start, length and hash.
    constexpr qsizetype keptCharacters = 512;
    if (part.size() <= keptCharacters) {
        m_text += part;
        return;
    }
    m_text += part.left(keptCharacters);
    m_text += separator + QString::number(part.size()) + separator + QString::number(qHash(part), 16);
}

void Key::append(qreal number)
{
    append(QString::number(number, 'g', 12));
}

void Key::append(qint64 number)
{
    append(QString::number(number));
}

void Key::append(const QColor &color)
{
    append(color.isValid() ? qint64(color.rgba64()) : qint64(-1));
}

void Key::append(const QSizeF &size)
{
    append(size.width());
    append(size.height());
}

void Key::append(const QRectF &rect)
{
    append(rect.topLeft().x());
    append(rect.topLeft().y());
    append(rect.size());
}

void draw(QPainter &painter, const QRectF &target, const Key &key, const std::function<void(QPainter &)> &paint)
{
    if (target.isEmpty())
        return;
    const qreal dpr = painter.device()->devicePixelRatioF();
    const QString fullKey = key.text() + separator + QString::number(target.x(), 'g', 12) + separator
                            + QString::number(target.y(), 'g', 12) + separator
                            + QString::number(target.width(), 'g', 12) + separator
                            + QString::number(target.height(), 'g', 12) + separator + surroundings(dpr);
    QCache<QString, QImage> &cache = pictures();
    LastDrawn &drawn = lastDrawn();
    drawn.showingOf.insert(fullKey, drawn.currentShowing);
    if (const QImage *kept = cache.object(fullKey)) {
        painter.drawImage(target.topLeft(), *kept);
        return;
    }
    const QSize pixels(int(std::ceil(target.width() * dpr)), int(std::ceil(target.height() * dpr)));
    auto picture = std::make_unique<QImage>(pixels, QImage::Format_ARGB32_Premultiplied);
    picture->setDevicePixelRatio(dpr);
    picture->fill(Qt::transparent);
    {
        QPainter onPicture(picture.get());
        onPicture.translate(-target.topLeft());
        paint(onPicture);
    }
    painter.drawImage(target.topLeft(), *picture);
    const qsizetype costKiB = qMax<qsizetype>(1, picture->sizeInBytes() / 1024);
    // A picture larger than the whole cache is drawn once and not kept.
    if (costKiB <= costLimitKiB)
        cache.insert(fullKey, picture.release(), costKiB);
}

void endShowing()
{
    QCache<QString, QImage> &cache = pictures();
    LastDrawn &drawn = lastDrawn();
    drawn.showingOf.removeIf([&](const QHash<QString, quint64>::iterator &entry) {
        const quint64 showingsSince = drawn.currentShowing - entry.value();
        if (showingsSince < keptShowings && cache.contains(entry.key()))
            return false;
        cache.remove(entry.key());
        return true;
    });
    ++drawn.currentShowing;
}

void clear()
{
    pictures().clear();
    lastDrawn().showingOf.clear();
}

} // namespace PaintCache

} // namespace lettergate
