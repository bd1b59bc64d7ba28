#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QRectF>
#include <QString>
#include <functional>
#include <optional>

class QPainter;

namespace lettergate {

// Pictures of painted parts of the panel, kept by what they show, so that a part drawn
// once (the panel's plate, a card, a box) costs one blit when a rebuilt page or the
// next showing draws it again. The key names every value the painting depends on; the
// application font, the accent colour and the device pixel ratio are added to it here,
// so a change of theme or screen paints afresh. Least recently used pictures go first
// once the cache holds more than `costLimitKiB`, and pictures no showing of the panel
// has drawn lately go at the end of a showing: a card of a window whose picture has
// changed since, or of a clipboard entry trimmed since, is never drawn again, and a page
// not visited for a while costs nothing until it is. GUI thread only.
namespace PaintCache {

inline constexpr int costLimitKiB = 24 * 1024;
// A picture not drawn during this many showings in a row is forgotten.
inline constexpr int keptShowings = 10;

// The values a picture depends on, joined into one key.
class Key {
public:
    template <typename... Parts>
    explicit Key(QStringView kind, const Parts &...parts)
        : m_text(kind.toString())
    {
        (append(parts), ...);
    }
    const QString &text() const { return m_text; }

private:
    void append(const QString &part);
    void append(QStringView part) { append(part.toString()); }
    void append(const char16_t *part) { append(QStringView(part)); }
    void append(qreal number);
    void append(int number) { append(qreal(number)); }
    void append(qint64 number);
    void append(bool flag) { append(qint64(flag ? 1 : 0)); }
    void append(const QColor &color);
    void append(const QSizeF &size);
    void append(const QRectF &rect);
    // Pictures and icons by identity: a new picture of the same window is another key.
    void append(const QImage &image) { append(image.cacheKey()); }
    void append(const QIcon &icon) { append(icon.isNull() ? qint64(0) : icon.cacheKey()); }
    template <typename T>
    void append(const std::optional<T> &value)
    {
        append(value.has_value());
        if (value)
            append(*value);
    }

    QString m_text;
};

// Draws the picture `key` names over `target`, painting it first with `paint` (in the
// coordinates of `target`'s own device, on a transparent picture) when it is not kept.
void draw(QPainter &painter, const QRectF &target, const Key &key, const std::function<void(QPainter &)> &paint);

// Ends one showing of the panel: forgets the pictures that the last `keptShowings`
// showings have not drawn.
void endShowing();

// Forgets every picture (tests and measurements start from nothing with it).
void clear();

} // namespace PaintCache

} // namespace lettergate
