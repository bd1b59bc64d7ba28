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
        const QStringList symbols{QStringLiteral("chevron.backward"), QStringLiteral("rectangle.on.rectangle.angled"),
                                  QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("chevron.right"),
                                  QStringLiteral("doc.on.clipboard"), QStringLiteral("text.alignleft"),
                                  QStringLiteral("link"), QStringLiteral("terminal"), QStringLiteral("photo"),
                                  QStringLiteral("app.dashed"), QStringLiteral("globe"), QStringLiteral("tray")};
        QImage sheet(int(symbols.size()) * 40, 40, QImage::Format_ARGB32_Premultiplied);
        sheet.fill(QColor(40, 40, 44));
        QPainter painter(&sheet);
        QList<QImage> seen;
        for (int i = 0; i < symbols.size(); ++i) {
            QVERIFY2(!Symbols::hasThemeIcon(symbols[i]), qPrintable(symbols[i]));
            const QImage image = Symbols::image(symbols[i], 24, Qt::white, 1);
            int inked = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    inked += image.pixelColor(x, y).alpha() > 128 ? 1 : 0;
            }
            QVERIFY2(inked > 20, qPrintable(symbols[i]));
            QVERIFY2(!seen.contains(image), qPrintable(symbols[i] + QStringLiteral(" looks like another symbol")));
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
