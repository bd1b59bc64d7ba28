#include "PanelSymbols.h"
#include "panel/Symbols.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

// A desktop without any icon theme: every symbol is a painted stand-in, so the panel
// still looks complete.
class SymbolsFallbackTest : public QObject {
    Q_OBJECT
private slots:
    void everySymbolHasAPaintedStandIn()
    {
        Symbols::prepare();
        QImage sheet(int(panelSymbols.size()) * 40, 40, QImage::Format_ARGB32_Premultiplied);
        sheet.fill(QColor(40, 40, 44));
        QPainter painter(&sheet);
        QList<QImage> seen;
        for (int i = 0; i < panelSymbols.size(); ++i) {
            QVERIFY2(!Symbols::hasThemeIcon(panelSymbols[i]), qPrintable(panelSymbols[i]));
            const QImage image = Symbols::image(panelSymbols[i], 24, Qt::white, 1);
            const auto [count, tinted] = inked(image, Qt::white);
            QVERIFY2(count > 20 && tinted, qPrintable(panelSymbols[i]));
            QVERIFY2(!seen.contains(image), qPrintable(panelSymbols[i] + QStringLiteral(" looks like another symbol")));
            seen.append(image);
            painter.drawImage(i * 40 + 8, 8, image);
        }
        painter.end();
        const QString directory = qEnvironmentVariable("LETTERGATE_PANEL_PNG_DIR");
        if (!directory.isEmpty() && QDir().mkpath(directory))
            QVERIFY(sheet.save(directory + QStringLiteral("/symbol-stand-ins.png")));
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
