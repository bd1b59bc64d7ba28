#include "panel/Symbols.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>

using namespace lettergate;

namespace {

// Every symbol the panel's parts draw.
const QStringList panelSymbols =
    QStringLiteral("chevron.backward rectangle.on.rectangle.angled exclamationmark.triangle.fill chevron.right "
                   "doc.on.clipboard text.alignleft link terminal photo app.dashed globe tray")
        .split(u' ');

// How many pixels of the picture are opaque, and whether all of them have the colour
// asked for.
std::pair<int, bool> inked(const QImage &image, QColor color)
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

} // namespace

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
