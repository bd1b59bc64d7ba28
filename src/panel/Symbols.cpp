#include "panel/Symbols.h"

#include "platform/IconTheme.h"

#include <QCoreApplication>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace lettergate {

namespace {

// Stand-ins are drawn on a 24 × 24 grid in opaque black, then tinted like theme icons.
using StandIn = void (*)(QPainter &);

void chevronBackward(QPainter &p)
{
    p.drawPolyline(QPolygonF({{15, 5}, {8, 12}, {15, 19}}));
}
void chevronRight(QPainter &p)
{
    p.drawPolyline(QPolygonF({{9, 5}, {16, 12}, {9, 19}}));
}

void rectangles(QPainter &p)
{
    p.drawRoundedRect(QRectF(8, 4, 13, 10), 2, 2);
    p.save();
    p.translate(9, 14);
    p.rotate(-8);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(-6, -5, 13, 10), 2, 2);
    p.restore();
}

void warningTriangle(QPainter &p)
{
    QPainterPath triangle;
    triangle.moveTo(12, 3);
    triangle.lineTo(22, 20);
    triangle.lineTo(2, 20);
    triangle.closeSubpath();
    p.fillPath(triangle, Qt::black);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawLine(QPointF(12, 9), QPointF(12, 14));
    p.drawPoint(QPointF(12, 17));
}

void clipboard(QPainter &p)
{
    p.drawRoundedRect(QRectF(5, 5, 14, 16), 2, 2);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(9, 3, 6, 4), 1, 1);
}

void alignLeft(QPainter &p)
{
    const std::array<double, 4> lengths{16, 11, 16, 8};
    for (size_t row = 0; row < lengths.size(); ++row)
        p.drawLine(QPointF(4, 6 + 4 * row), QPointF(4 + lengths[row], 6 + 4 * row));
}

void link(QPainter &p)
{
    p.translate(12, 12);
    p.rotate(-45);
    p.drawRoundedRect(QRectF(-9, -3.5, 10, 7), 3.5, 3.5);
    p.drawRoundedRect(QRectF(-1, -3.5, 10, 7), 3.5, 3.5);
}

void terminal(QPainter &p)
{
    p.drawRoundedRect(QRectF(3, 4, 18, 16), 2.5, 2.5);
    p.drawPolyline(QPolygonF({{7, 9}, {10, 12}, {7, 15}}));
    p.drawLine(QPointF(12, 15.5), QPointF(16, 15.5));
}

void photo(QPainter &p)
{
    p.drawRoundedRect(QRectF(3, 5, 18, 14), 2.5, 2.5);
    p.drawEllipse(QPointF(9, 10), 1.5, 1.5);
    p.drawPolyline(QPolygonF({{4, 18}, {10, 13}, {13, 16}, {16, 12}, {20, 16}}));
}

void appDashed(QPainter &p)
{
    QPen pen = p.pen();
    pen.setDashPattern({2, 2});
    p.setPen(pen);
    p.drawRoundedRect(QRectF(3, 3, 18, 18), 5, 5);
}

void globe(QPainter &p)
{
    p.drawEllipse(QPointF(12, 12), 9, 9);
    p.drawEllipse(QPointF(12, 12), 4, 9);
    p.drawLine(QPointF(3, 12), QPointF(21, 12));
}

void tray(QPainter &p)
{
    p.drawPolyline(QPolygonF({{3, 13}, {6, 5}, {18, 5}, {21, 13}}));
    p.drawRoundedRect(QRectF(3, 13, 18, 7), 1.5, 1.5);
    p.drawPolyline(QPolygonF({{3, 13}, {8, 13}, {9.5, 16}, {14.5, 16}, {16, 13}, {21, 13}}));
}

struct Symbol {
    QStringView name;
    // Empty where themes' icons read as something else: the panel's drawing is used.
    QStringView iconName;
    StandIn standIn;
};

// Every symbol the panel draws, with the freedesktop icon that stands for it. Themes
// draw "insert-link" as an insertion mark, "web-browser" as a pointer over a globe and
// the open folder where an empty tray is meant, so those three are always the panel's.
constexpr std::array symbolTable{
    Symbol{u"chevron.backward", u"go-previous-symbolic", chevronBackward},
    Symbol{u"rectangle.on.rectangle.angled", u"view-paged-symbolic", rectangles},
    Symbol{u"exclamationmark.triangle.fill", u"dialog-warning-symbolic", warningTriangle},
    Symbol{u"chevron.right", u"go-next-symbolic", chevronRight},
    Symbol{u"doc.on.clipboard", u"edit-paste-symbolic", clipboard},
    Symbol{u"text.alignleft", u"format-justify-left-symbolic", alignLeft},
    Symbol{u"link", {}, link},
    Symbol{u"terminal", u"utilities-terminal-symbolic", terminal},
    Symbol{u"photo", u"image-x-generic-symbolic", photo},
    Symbol{u"app.dashed", u"application-x-executable-symbolic", appDashed},
    Symbol{u"globe", {}, globe},
    Symbol{u"tray", {}, tray},
};

const Symbol *find(QStringView name)
{
    for (const Symbol &symbol : symbolTable) {
        if (symbol.name == name)
            return &symbol;
    }
    return nullptr;
}

// Theme icons by symbol name, looked up once, and the tinted silhouettes drawn so far.
// Released with the application, while the icon engines are still loaded.
struct Cache {
    QHash<QString, QIcon> icons;
    QHash<QString, QImage> silhouettes;
};
Cache *cache = nullptr;

void releaseCache()
{
    delete cache;
    cache = nullptr;
}

QIcon themeIcon(QStringView name)
{
    Symbols::prepare();
    return cache->icons.value(name.toString());
}

QImage silhouette(const Symbol *symbol, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QIcon icon = symbol ? themeIcon(symbol->name) : QIcon();
    QPainter painter(&image);
    if (!icon.isNull()) {
        icon.paint(&painter, image.rect());
    } else {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(pixels / 24.0, pixels / 24.0);
        painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        (symbol ? symbol->standIn : appDashed)(painter);
    }
    return image;
}

} // namespace

namespace Symbols {

void prepare()
{
    if (cache)
        return;
    cache = new Cache;
    qAddPostRoutine(releaseCache);
    IconTheme::select();
    for (const Symbol &symbol : symbolTable) {
        const QString name = symbol.iconName.toString();
        if (name.isEmpty())
            continue;
        QIcon icon = QIcon::fromTheme(name);
        if (icon.isNull())
            icon = QIcon::fromTheme(name.chopped(QStringLiteral("-symbolic").size()));
        cache->icons.insert(symbol.name.toString(), icon);
    }
}

bool hasThemeIcon(QStringView symbol)
{
    return !themeIcon(symbol).isNull();
}

QImage image(QStringView symbol, int side, const QColor &color, qreal devicePixelRatio)
{
    prepare();
    const int pixels = qMax(1, qRound(side * devicePixelRatio));
    const QString key = QStringLiteral("%1/%2/%3").arg(symbol).arg(pixels).arg(color.rgba(), 8, 16);
    QImage &tinted = cache->silhouettes[key];
    if (tinted.isNull()) {
        tinted = silhouette(find(symbol), pixels);
        QPainter tint(&tinted);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(tinted.rect(), color);
        tint.end();
        tinted.setDevicePixelRatio(devicePixelRatio);
    }
    return tinted;
}

void paint(QPainter &painter, const QRectF &rect, QStringView symbol, const QColor &color)
{
    const qreal side = qMin(rect.width(), rect.height());
    if (side <= 0)
        return;
    const QImage silhouette = image(symbol, qCeil(side), color, painter.device()->devicePixelRatioF());
    const QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    painter.drawImage(target, silhouette, QRectF(silhouette.rect()));
}

} // namespace Symbols

} // namespace lettergate
