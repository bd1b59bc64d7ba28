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
        for (const auto &[dpr, target] : {std::pair(1.0, QRectF(0, 0, 160, 90)), std::pair(2.0, QRectF(30, 20, 160, 90))}) {
            QImage direct = canvas(QSize(220, 130), dpr);
            {
                QPainter painter(&direct);
                paintSample(painter, target);
            }
            // Drawn twice: once as painted on the picture, once from the kept picture.
            // Blending the picture over the canvas rounds once more than painting on the
            // canvas does: a step or two of 255 at most.
            for (int drawing = 0; drawing < 2; ++drawing) {
                QImage cached = canvas(QSize(220, 130), dpr);
                QPainter painter(&cached);
                PaintCache::draw(painter, target, PaintCache::Key(u"sample"),
                                 [&](QPainter &onPicture) { paintSample(onPicture, target); });
                painter.end();
                QVERIFY2(largestDifference(direct, cached) <= 2, qPrintable(QStringLiteral("dpr %1").arg(dpr)));
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
        QImage repainted = picture;
        repainted.setPixelColor(0, 0, Qt::blue);
        const auto card = [](int count, std::optional<QImage> image) {
            return PaintCache::Key(u"card", QStringLiteral("Terminal"), count, image);
        };
        // A long text stands in the key by its start, length and hash: a change past the
        // start still counts.
        const QString longText(5000, u'x');
        QString changedAtTheEnd = longText;
        changedAtTheEnd.back() = u'y';
        draw(card(3, picture));
        draw(card(3, picture));
        QCOMPARE(paintings, 1);
        // Any change of content, size or pixel density paints afresh.
        for (const auto &drawChanged : std::initializer_list<std::function<void()>>{
                 [&] { draw(card(4, picture)); }, [&] { draw(card(3, std::nullopt)); },
                 [&] { draw(card(3, repainted)); }, [&] { draw(card(3, picture), QSize(41, 30)); },
                 [&] { draw(card(3, picture), QSize(40, 30), 2); },
                 [&] { draw(PaintCache::Key(u"entry", longText)); }, [&] { draw(PaintCache::Key(u"entry", changedAtTheEnd)); },
                 [&] { draw(PaintCache::Key(u"entry", longText + u'x')); }}) {
            const int before = paintings;
            drawChanged();
            QCOMPARE(paintings, before + 1);
        }
        // So does a change of theme: the accent colour or the font.
        QPalette accented = QGuiApplication::palette();
        accented.setColor(QPalette::Highlight, QColor(10, 200, 90));
        QGuiApplication::setPalette(accented);
        draw(card(3, picture));
        QFont larger = QGuiApplication::font();
        larger.setPointSizeF(larger.pointSizeF() + 3);
        QGuiApplication::setFont(larger);
        draw(card(3, picture));
        draw(card(3, picture));
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
        Card::Data data;
        data.metrics = GridMetrics{1, 160, 100};
        data.thumbnail = picture(QSize(320, 200), QColor(200, 0, 0));
        Card red(data, {});
        const QPoint body = (red.faceRect().topLeft() + QPointF(12 + 80, 12 + 33 + 10 + 50)).toPoint();
        QCOMPARE(rendered(red).pixelColor(body), QColor(200, 0, 0));
        // A new picture of the same window, as each showing brings.
        data.thumbnail = picture(QSize(320, 200), QColor(0, 0, 200));
        Card blue(data, {});
        QCOMPARE(rendered(blue).pixelColor(body), QColor(0, 0, 200));

        PanelHeader header({});
        header.resize(500, PanelHeader::lineHeight());
        header.setContent({false, QString(), QStringLiteral("Switch"), QString(), std::nullopt});
        const QImage first = rendered(header);
        header.setContent({false, QString(), QStringLiteral("Switch"), QString(), QStringLiteral("12 apps")});
        QVERIFY(rendered(header) != first);
    }
};

QTEST_MAIN(PaintCacheTest)
#include "paint_cache_test.moc"
