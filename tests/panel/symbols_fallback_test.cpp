#include "PanelSymbols.h"
#include "panel/Symbols.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>

using namespace lettergate;

// A desktop without any icon theme: every symbol is a painted stand-in, so the panel
// still looks complete.
class SymbolsFallbackTest : public QObject {
    Q_OBJECT
private slots:
    void everySymbolHasAPaintedStandIn()
    {
        Symbols::prepare();
        QList<QImage> seen;
        for (const QString &symbol : panelSymbols) {
            QVERIFY2(!Symbols::hasThemeIcon(symbol), qPrintable(symbol));
            const QImage image = Symbols::image(symbol, 24, Qt::white, 1);
            const auto [count, tinted] = inked(image, Qt::white);
            QVERIFY2(count > 20 && tinted, qPrintable(symbol));
            QVERIFY2(!seen.contains(image), qPrintable(symbol + QStringLiteral(" looks like another symbol")));
            seen.append(image);
        }
    }
};

int main(int argc, char **argv)
{
    // No icon directory anywhere: neither in the data directories nor in Qt's resources.
    TestEnvironment environment;
    QTemporaryDir noIcons;
    qputenv("XDG_DATA_DIRS", noIcons.path().toLocal8Bit());
    QApplication application(argc, argv);
    SymbolsFallbackTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "symbols_fallback_test.moc"
