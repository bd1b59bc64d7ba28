#include "PanelRig.h"
#include "panel/Card.h"
#include "panel/PaintCache.h"
#include "panel/PanelHeader.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QTest>

#include <functional>

using namespace lettergate;

using namespace PanelRig;

namespace {

// Draws one part of the given size through the cache; onPaint runs when the part is
// painted rather than drawn from a kept picture.
void drawPart(const PaintCache::Key &key, const std::function<void()> &onPaint, QSize size = QSize(40, 30),
              qreal dpr = 1)
{
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    QPainter painter(&image);
    PaintCache::draw(painter, QRectF(QPointF(0, 0), size), key, [&](QPainter &onPicture) {
        onPaint();
        onPicture.fillRect(QRectF(QPointF(0, 0), size), Qt::red);
    });
}

} // namespace

class PaintCacheTest : public QObject {
    Q_OBJECT
private slots:
    void init() { PaintCache::clear(); }

    void aPictureIsPaintedOnceForWhatItShows()
    {
        int paintings = 0;
        const auto draw = [&](const PaintCache::Key &key, QSize size = QSize(40, 30), qreal dpr = 1) {
            drawPart(
                key, [&] { ++paintings; }, size, dpr);
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
                 [&] { draw(card(3, picture), QSize(40, 30), 2); }, [&] { draw(PaintCache::Key(u"entry", longText)); },
                 [&] { draw(PaintCache::Key(u"entry", changedAtTheEnd)); },
                 [&] { draw(PaintCache::Key(u"entry", longText + u'x')); }}) {
            const int before = paintings;
            drawChanged();
            QCOMPARE(paintings, before + 1);
        }
        // So does a change of theme: the accent colour or the font.
        const QPalette palette = QGuiApplication::palette();
        const QFont font = QGuiApplication::font();
        QPalette accented = palette;
        accented.setColor(QPalette::Highlight, QColor(10, 200, 90));
        QGuiApplication::setPalette(accented);
        draw(card(3, picture));
        QFont larger = QGuiApplication::font();
        larger.setPointSizeF(larger.pointSizeF() + 3);
        QGuiApplication::setFont(larger);
        draw(card(3, picture));
        draw(card(3, picture));
        QGuiApplication::setPalette(palette);
        QGuiApplication::setFont(font);
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
