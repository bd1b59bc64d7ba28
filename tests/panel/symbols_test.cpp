#include "panel/Symbols.h"

#include <QIcon>
#include <QPainter>
#include <QTest>

// The symbol table over the installed icon theme (scripts/install-deps installs
// Adwaita), and the painted stand-ins.
class SymbolsTest : public QObject {
    Q_OBJECT

    static const QStringList &panelSymbols()
    {
        static const QStringList symbols{
            QStringLiteral("chevron.backward"), QStringLiteral("rectangle.on.rectangle.angled"),
            QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("chevron.right"),
            QStringLiteral("doc.on.clipboard"), QStringLiteral("text.alignleft"), QStringLiteral("link"),
            QStringLiteral("terminal"), QStringLiteral("photo"), QStringLiteral("app.dashed"), QStringLiteral("globe"),
            QStringLiteral("tray")};
        return symbols;
    }

    // How many pixels of the picture are not transparent, and whether all of them have
    // the colour asked for.
    static std::pair<int, bool> inked(const QImage &image, QColor color)
    {
        int count = 0;
        bool tinted = true;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() < 200)
                    continue;
                ++count;
                tinted = tinted && qAbs(pixel.red() - color.red()) < 4 && qAbs(pixel.green() - color.green()) < 4
                         && qAbs(pixel.blue() - color.blue()) < 4;
            }
        }
        return {count, tinted};
    }

private slots:
    void everyPanelSymbolHasAFreedesktopIconFromTheTheme()
    {
        Symbols::prepare();
        QVERIFY2(!QIcon::themeName().isEmpty() && QIcon::themeName() != u"hicolor", qPrintable(QIcon::themeName()));
        for (const QString &symbol : panelSymbols()) {
            QVERIFY2(Symbols::iconName(symbol).endsWith(u"-symbolic"), qPrintable(symbol));
            QVERIFY2(Symbols::hasThemeIcon(symbol), qPrintable(symbol + QStringLiteral(" → ") + Symbols::iconName(symbol)));
        }
        QCOMPARE(Symbols::iconName(u"chevron.backward"), QStringLiteral("go-previous-symbolic"));
        QCOMPARE(Symbols::iconName(u"no.such.symbol"), QString());
        QVERIFY(!Symbols::hasThemeIcon(u"no.such.symbol"));
    }

    void symbolsAreSilhouettesInTheColourAskedFor()
    {
        const QColor orange(255, 159, 10);
        for (const QString &symbol : panelSymbols()) {
            const QImage image = Symbols::image(symbol, 24, orange, 1);
            QCOMPARE(image.size(), QSize(24, 24));
            const auto [count, tinted] = inked(image, orange);
            QVERIFY2(count > 10, qPrintable(symbol));
            QVERIFY2(tinted, qPrintable(symbol));
        }
        const QImage doubled = Symbols::image(u"link", 16, Qt::white, 2);
        QCOMPARE(doubled.size(), QSize(32, 32));
        QCOMPARE(doubled.devicePixelRatio(), 2.0);
    }

    void anUnknownSymbolIsDrawnAsTheDashedAppPlaceholder()
    {
        const QImage unknown = Symbols::image(u"no.such.symbol", 24, Qt::white, 1);
        QVERIFY(inked(unknown, Qt::white).first > 10);
    }

    void paintCentresTheSymbolInTheSmallerSide()
    {
        QImage canvas(40, 20, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        Symbols::paint(painter, QRectF(0, 0, 40, 20), u"terminal", Qt::white);
        painter.end();
        for (int y = 0; y < canvas.height(); ++y) {
            QCOMPARE(qAlpha(canvas.pixel(5, y)), 0);
            QCOMPARE(qAlpha(canvas.pixel(34, y)), 0);
        }
        QVERIFY(inked(canvas, Qt::white).first > 10);
    }
};

QTEST_MAIN(SymbolsTest)
#include "symbols_test.moc"
