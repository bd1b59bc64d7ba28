#include "PanelSymbols.h"
#include "panel/Symbols.h"

#include <QIcon>
#include <QTest>

using namespace lettergate;

// The symbol table over the installed icon theme (scripts/install-deps installs
// Adwaita), and the painted stand-ins.
class SymbolsTest : public QObject {
    Q_OBJECT

private slots:
    void everyPanelSymbolIsItsOwnDrawingInTheColourAskedFor()
    {
        Symbols::prepare();
        QVERIFY2(!QIcon::themeName().isEmpty() && QIcon::themeName() != u"hicolor", qPrintable(QIcon::themeName()));
        const QColor orange(255, 159, 10);
        QList<QImage> seen;
        for (const QString &symbol : panelSymbols) {
            const QImage image = Symbols::image(symbol, 24, orange, 1);
            QCOMPARE(image.size(), QSize(24, 24));
            const auto [count, tinted] = inked(image, orange);
            QVERIFY2(count > 10 && tinted, qPrintable(symbol));
            QVERIFY2(!seen.contains(image), qPrintable(symbol + QStringLiteral(" looks like another symbol")));
            seen.append(image);
        }
        const QImage doubled = Symbols::image(u"link", 16, Qt::white, 2);
        QCOMPARE(doubled.size(), QSize(32, 32));
        QCOMPARE(doubled.devicePixelRatio(), 2.0);

        // An unknown symbol is drawn as the placeholder.
        QVERIFY(!Symbols::hasThemeIcon(u"no.such.symbol"));
        QVERIFY(inked(Symbols::image(u"no.such.symbol", 24, Qt::white, 1), Qt::white).first > 10);
    }
};

QTEST_MAIN(SymbolsTest)
#include "symbols_test.moc"
