// Window pictures cut from the output of a real headless sway: the regions of two helper
// windows, captured from two threads at once at the sizes asked, each show their window;
// none is taken while our panel shows.
#include "WaylandTestSupport.h"
#include "platform/wayland/PanelOnScreen.h"
#include "platform/wayland/ScreencopyCapture.h"
#include "platform/wayland/VisibleWindowFrames.h"

#include <QApplication>
#include <QPalette>
#include <QTest>
#include <QWidget>
#include <QtConcurrent>

class ScreencopyCaptureTest : public QObject {
    Q_OBJECT

private slots:
    void windowsArePicturedFromTheOutputButNeverWithThePanel()
    {
        // Two helpers side by side; text typed into the second, which has the focus.
        WaylandTest::HelperWindow empty(QStringLiteral("test.pictured.empty"), QStringLiteral("Empty"));
        QVERIFY(empty.waitUntilShown());
        WaylandTest::HelperWindow written(QStringLiteral("test.pictured.written"), QStringLiteral("Written"));
        QVERIFY(written.waitUntilShown());
        WaylandTest::TestKeyboard keyboard;
        QVERIFY(keyboard.typeText(QStringLiteral("mmmmmmmmmmmm")));
        QTRY_COMPARE(written.text(), QStringLiteral("mmmmmmmmmmmm"));
        const std::optional<QRect> emptyFrame = empty.frame();
        const std::optional<QRect> writtenFrame = written.frame();
        QVERIFY(emptyFrame && writtenFrame && !emptyFrame->intersects(*writtenFrame));

        VisibleWindowFrames frames;
        frames.replace({{1, QRectF(*emptyFrame)}, {2, QRectF(*writtenFrame)}});
        PanelOnScreen panelOnScreen;
        QString whyNot;
        const std::unique_ptr<ScreencopyCapture> capture = ScreencopyCapture::connect(frames, panelOnScreen, whyNot);
        QVERIFY2(capture, qPrintable(whyNot));
        const ShareableContent content = capture->shareableContent();
        QCOMPARE(content.windows.size(), 2);

        // Both at once, from two threads, at sizes of their own. The empty line edit's
        // middle row is the text field's colour; the written one's holds the letters.
        const QColor field = QApplication::palette().color(QPalette::Base);
        const QList<QSize> sizes{QSize(64, 40), writtenFrame->size() / 2};
        QList<QFuture<QImage>> pictures;
        for (qsizetype i = 0; i < 2; ++i) {
            pictures.append(QtConcurrent::run(
                [&capture, window = content.windows[i], size = sizes[i]] { return capture->capture(window, size); }));
        }
        QList<int> darkestOfMiddleRow;
        for (qsizetype i = 0; i < 2; ++i) {
            const QImage picture = pictures[i].result();
            QCOMPARE(picture.size(), sizes[i]);
            int darkest = 255;
            for (int x = picture.width() / 10; x < picture.width() * 9 / 10; ++x)
                darkest = std::min(darkest, qGray(picture.pixel(x, picture.height() / 2)));
            darkestOfMiddleRow.append(darkest);
        }
        QVERIFY2(darkestOfMiddleRow[0] >= qGray(field.rgb()) - 8 && darkestOfMiddleRow[1] < 128,
                 qPrintable(QStringLiteral("darkest of the middle rows: %1, %2")
                                .arg(darkestOfMiddleRow[0])
                                .arg(darkestOfMiddleRow[1])));

        // While our panel shows, nothing is pictured.
        QWidget panel;
        panel.resize(200, 100);
        panel.winId();
        panelOnScreen.follow(*panel.windowHandle());
        panel.show();
        QVERIFY(capture->capture(content.windows[0], sizes[0]).isNull());
        panel.hide();
        QVERIFY(!capture->capture(content.windows[0], sizes[0]).isNull());
    }
};

QTEST_MAIN(ScreencopyCaptureTest)

#include "screencopy_capture_test.moc"
