#include "PanelRig.h"
#include "panel/Card.h"
#include "panel/PaintCache.h"
#include "panel/PanelHeader.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace PanelRig;

namespace {

// Translucent rounded shapes, an antialiased outline and text: what the panel's parts
// are made of.
void paintSample(QPainter &painter, const QRectF &area)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 60), 1.5));
    painter.setBrush(QColor(38, 38, 42, 235));
    painter.drawRoundedRect(area.adjusted(1, 1, -1, -1), 14, 14);
    painter.setPen(QColor(255, 255, 255, 200));
    painter.drawText(area.adjusted(10, 10, -10, -10), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Terminal ·3"));
}

QImage canvas(QSize size, qreal dpr)
{
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(QColor(90, 120, 150));
    return image;
}

// The largest difference of any channel between two pictures of one size.
int largestDifference(const QImage &a, const QImage &b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)),
                            qAbs(qBlue(p) - qBlue(q)), qAbs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

// Draws one part of the given size through the cache onto a canvas; onPaint runs when
// the part is painted rather than drawn from a kept picture.
void drawPart(const PaintCache::Key &key, const std::function<void()> &onPaint, QSize size = QSize(40, 30),
              qreal dpr = 1)
{
    QImage image = canvas(size, dpr);
    QPainter painter(&image);
    PaintCache::draw(painter, QRectF(QPointF(0, 0), size), key, [&](QPainter &onPicture) {
        onPaint();
        paintSample(onPicture, QRectF(QPointF(0, 0), size));
    });
}

} // namespace

class PaintCacheTest : public QObject {
    Q_OBJECT
private slots:
    void init() { PaintCache::clear(); }

    void aKeptPictureLooksLikeThePaintingItself()
    {
        for (const qreal dpr : {1.0, 2.0}) {
            for (const QRectF target : {QRectF(0, 0, 160, 90), QRectF(30, 20, 160, 90)}) {
                QImage direct = canvas(QSize(220, 130), dpr);
                {
                    QPainter painter(&direct);
                    paintSample(painter, target);
                }
                // Drawn twice: once as painted on the picture, once from the kept picture.
                for (int drawing = 0; drawing < 2; ++drawing) {
                    QImage cached = canvas(QSize(220, 130), dpr);
                    QPainter painter(&cached);
                    PaintCache::draw(painter, target, PaintCache::Key(u"sample"),
                                     [&](QPainter &onPicture) { paintSample(onPicture, target); });
                    painter.end();
                    // Blending the picture over the canvas rounds once more than painting
                    // on the canvas does: a step or two of 255 at most.
                    QVERIFY2(largestDifference(direct, cached) <= 2,
                             qPrintable(QStringLiteral("dpr %1 at %2,%3").arg(dpr).arg(target.x()).arg(target.y())));
                }
            }
        }
    }

    void aPictureIsPaintedOnceForWhatItShows()
    {
        int paintings = 0;
        const auto draw = [&](const PaintCache::Key &key, QSize size = QSize(40, 30), qreal dpr = 1) {
            drawPart(key, [&] { ++paintings; }, size, dpr);
        };
        const QImage picture = PanelRig::picture(QSize(8, 8), Qt::red);
        const PaintCache::Key card(u"card", QStringLiteral("Terminal"), 3, std::optional<QImage>(picture));
        draw(card);
        draw(PaintCache::Key(u"card", QStringLiteral("Terminal"), 3, std::optional<QImage>(picture)));
        QCOMPARE(paintings, 1);

        // Any change of content, size, pixel density or theme paints afresh.
        draw(PaintCache::Key(u"card", QStringLiteral("Terminal"), 4, std::optional<QImage>(picture)));
        draw(PaintCache::Key(u"card", QStringLiteral("Terminal"), 3, std::optional<QImage>()));
        QImage repainted = picture;
        repainted.setPixelColor(0, 0, Qt::blue);
        draw(PaintCache::Key(u"card", QStringLiteral("Terminal"), 3, std::optional<QImage>(repainted)));
        QCOMPARE(paintings, 4);
        draw(card, QSize(41, 30));
        draw(card, QSize(40, 30), 2);
        QCOMPARE(paintings, 6);

        const QPalette palette = QGuiApplication::palette();
        QPalette accented = palette;
        accented.setColor(QPalette::Highlight, QColor(10, 200, 90));
        QGuiApplication::setPalette(accented);
        draw(card);
        QGuiApplication::setPalette(palette);
        const QFont font = QGuiApplication::font();
        QFont larger = font;
        larger.setPointSizeF(font.pointSizeF() + 3);
        QGuiApplication::setFont(larger);
        draw(card);
        QGuiApplication::setFont(font);
        QCOMPARE(paintings, 8);
        draw(card);
        QCOMPARE(paintings, 8);

        // A long text stands in the key by its start, length and hash: a change past the
        // start still counts.
        const QString longText(5000, u'x');
        QString changedAtTheEnd = longText;
        changedAtTheEnd.back() = u'y';
        draw(PaintCache::Key(u"entry", longText));
        draw(PaintCache::Key(u"entry", changedAtTheEnd));
        draw(PaintCache::Key(u"entry", longText + u'x'));
        QCOMPARE(paintings, 11);
    }

    void picturesNoRecentShowingDrewAreForgotten()
    {
        QStringList painted;
        const auto draw = [&](const QString &name) {
            drawPart(PaintCache::Key(u"part", name), [&] { painted.append(name); });
        };
        // A page drawn once, then showing after showing only the other one.
        draw(QStringLiteral("visited once"));
        draw(QStringLiteral("every time"));
        PaintCache::endShowing();
        for (int showing = 1; showing < PaintCache::keptShowings; ++showing) {
            draw(QStringLiteral("every time"));
            PaintCache::endShowing();
        }
        // Still within the showings kept: nothing is painted again.
        draw(QStringLiteral("visited once"));
        draw(QStringLiteral("every time"));
        QCOMPARE(painted, QStringList({QStringLiteral("visited once"), QStringLiteral("every time")}));

        for (int showing = 0; showing < PaintCache::keptShowings; ++showing) {
            PaintCache::endShowing();
            draw(QStringLiteral("every time"));
        }
        PaintCache::endShowing();
        draw(QStringLiteral("visited once"));
        draw(QStringLiteral("every time"));
        QCOMPARE(painted, QStringList({QStringLiteral("visited once"), QStringLiteral("every time"),
                                       QStringLiteral("visited once")}));
    }

    void rebuiltPartsShowTheirNewContent()
    {
        FakePlatform platform;
        Card::Data data;
        data.title = QStringLiteral("Terminal");
        data.keyText = QStringLiteral("T");
        data.metrics = GridMetrics{1, 160, 100};
        data.thumbnail = picture(QSize(320, 200), QColor(200, 0, 0));
        Card red(data, {});
        const QPoint body = (red.faceRect().topLeft() + QPointF(12 + 80, 12 + 33 + 10 + 50)).toPoint();
        QCOMPARE(rendered(red).pixelColor(body), QColor(200, 0, 0));
        // A new picture of the same window, as each showing brings.
        data.thumbnail = picture(QSize(320, 200), QColor(0, 0, 200));
        Card blue(data, {});
        QCOMPARE(rendered(blue).pixelColor(body), QColor(0, 0, 200));
        QCOMPARE(rendered(red).pixelColor(body), QColor(200, 0, 0));

        PanelHeader header({});
        header.resize(500, PanelHeader::lineHeight());
        header.setContent({false, QStringLiteral("square.grid.2x2"), QStringLiteral("Switch"), QString(), std::nullopt});
        const QImage first = rendered(header);
        header.setContent({false, QStringLiteral("square.grid.2x2"), QStringLiteral("Switch"), QString(),
                           QStringLiteral("12 apps")});
        QVERIFY(rendered(header) != first);
        header.setContent({false, QStringLiteral("square.grid.2x2"), QStringLiteral("Switch"), QString(), std::nullopt});
        QCOMPARE(rendered(header), first);
    }
};

QTEST_MAIN(PaintCacheTest)
#include "paint_cache_test.moc"
