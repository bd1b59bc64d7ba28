// The backend's parts that talk to a real headless sway, each against real clients in
// other processes: the panel's layer-shell overlay and the keyboard it takes and gives
// back, window pictures cut from the output, and the paste keystroke typed through our
// virtual keyboard.
#include "WaylandTestSupport.h"
#include "platform/wayland/LayerShellOverlay.h"
#include "platform/wayland/PanelOnScreen.h"
#include "platform/wayland/ScreencopyCapture.h"
#include "platform/wayland/VirtualKeyboardKeystrokes.h"
#include "platform/wayland/VisibleWindowFrames.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandPlatform.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <QtConcurrent>
#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

using namespace lettergate;

namespace {

// The panel's window flags; every key it gets is kept.
class KeyedWindow : public QWidget {
public:
    KeyedWindow()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint)
    {
        setPalette(QPalette(Qt::red)); // its window colour too
        setAutoFillBackground(true);
    }
    QString typed;

protected:
    void keyPressEvent(QKeyEvent *event) override { typed += event->text(); }
};

// Waits until the compositor has handled every request Qt has made so far (a hide):
// the test's keys come on another connection.
void waitForCompositorToHandleQt()
{
    auto *display = static_cast<wl_display *>(
        QGuiApplication::platformNativeInterface()->nativeResourceForIntegration("wl_display"));
    wl_event_queue *queue = wl_display_create_queue(display);
    auto *wrapped = static_cast<wl_display *>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(wrapped), queue);
    wl_callback *done = wl_display_sync(wrapped);
    wl_proxy_wrapper_destroy(wrapped);
    wl_display_roundtrip_queue(display, queue);
    wl_callback_destroy(done);
    wl_event_queue_destroy(queue);
}

// Where the output shows pure red.
QRect redArea(const QImage &output)
{
    QRect area;
    for (int y = 0; y < output.height(); ++y) {
        for (int x = 0; x < output.width(); ++x) {
            if (output.pixel(x, y) == qRgb(255, 0, 0))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

} // namespace

class CompositorTest : public QObject {
    Q_OBJECT

private slots:
    // A frameless window that bypasses the window manager, made a layer-shell overlay as
    // the panel is, shows at its size in the middle of the output, takes the keyboard
    // from the helper window while it shows, at every showing, and gives it back.
    void theOverlayTakesTheKeyboardWhileItShowsAndGivesItBack()
    {
        WaylandTest::HelperWindow helper(QStringLiteral("test.overlay.helper"), QStringLiteral("Overlay helper"));
        QVERIFY(helper.waitUntilShown());
        WaylandTest::TestKeyboard keyboard;
        KeyedWindow panel;
        panel.winId();
        QString whyNot;
        const std::unique_ptr<LayerShellOverlay> overlay = LayerShellOverlay::attach(*panel.windowHandle(), whyNot);
        QVERIFY2(overlay, qPrintable(whyNot));
        // Sized after it became an overlay, as the panel is placed.
        panel.resize(400, 300);
        VisibleWindowFrames wholeOutput;
        const QRect output(0, 0, 1280, 800);
        wholeOutput.replace({{1, QRectF(output)}});
        const PanelOnScreen notFollowed;
        const std::unique_ptr<ScreencopyCapture> screen = ScreencopyCapture::connect(wholeOutput, notFollowed, whyNot);
        QVERIFY2(screen, qPrintable(whyNot));
        screen->shareableContent();
        // Twice: each showing has a new surface, which must become the overlay again; the
        // second on a native window made anew.
        QString helperText;
        for (const QString &keys : {QStringLiteral("b c"), QStringLiteral("d e")}) {
            panel.typed.clear();
            panel.show();
            QTRY_VERIFY(panel.isActiveWindow());
            QTRY_COMPARE(redArea(screen->capture({1, QRectF(output)}, output.size())),
                         QRect(QPoint(440, 250), QSize(400, 300)));
            QVERIFY(keyboard.type(keys));
            QTRY_COMPARE(panel.typed, QString(keys).remove(u' '));
            panel.hide();
            waitForCompositorToHandleQt();
            // The helper got none of the overlay's keys, and has the keyboard back.
            QVERIFY(keyboard.type(QStringLiteral("z")));
            helperText += u'z';
            QTRY_COMPARE(helper.text(), helperText);
            panel.windowHandle()->destroy();
        }
    }

    // The regions of two helper windows, captured from two threads at once at the sizes
    // asked, each show their window; none is taken while our panel shows.
    void windowsArePicturedFromTheOutputButNeverWithThePanel()
    {
        // Two helpers side by side; text typed into the second, which has the focus.
        WaylandTest::HelperWindow empty(QStringLiteral("test.pictured.empty"), QStringLiteral("Empty"));
        QVERIFY(empty.waitUntilShown());
        WaylandTest::HelperWindow written(QStringLiteral("test.pictured.written"), QStringLiteral("Written"));
        QVERIFY(written.waitUntilShown());
        WaylandTest::TestKeyboard keyboard;
        QVERIFY(keyboard.type(QStringList(12, QStringLiteral("m")).join(u' ')));
        QTRY_COMPARE(written.text(), QString(12, u'm'));
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
        const QList<QSize> sizes{QSize(64, 40), writtenFrame->size() / 2};
        QList<QFuture<QImage>> pictures;
        for (qsizetype i = 0; i < 2; ++i)
            pictures.append(QtConcurrent::run(
                [&capture, window = content.windows[i], size = sizes[i]] { return capture->capture(window, size); }));
        QList<int> darkest{255, 255};
        for (qsizetype i = 0; i < 2; ++i) {
            const QImage picture = pictures[i].result();
            QCOMPARE(picture.size(), sizes[i]);
            for (int x = picture.width() / 10; x < picture.width() * 9 / 10; ++x)
                darkest[i] = std::min(darkest[i], qGray(picture.pixel(x, picture.height() / 2)));
        }
        QVERIFY2(darkest[0] >= qGray(QApplication::palette().color(QPalette::Base).rgb()) - 8 && darkest[1] < 128,
                 qPrintable(QStringLiteral("darkest of the middle rows: %1, %2").arg(darkest[0]).arg(darkest[1])));

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

    void thePasteKeystrokePastesIntoTheFocusedWindow()
    {
        const QString appId = QStringLiteral("test.paste.target");
        const QString clip = QStringLiteral("pasted by the virtual keyboard");
        WaylandTest::Client copier(QStringLiteral("wl-copy"), {QStringLiteral("--foreground"), clip});

        std::unique_ptr<WaylandConnection> connection = WaylandConnection::connect();
        QVERIFY(connection);
        auto *seat = static_cast<wl_seat *>(connection->bind(&wl_seat_interface, 1));
        QVERIFY(seat);
        // Made before the window, as Lettergate makes it when it starts: the window meets
        // a seat that has a keyboard already.
        VirtualKeyboardKeystrokes keystrokes(*connection, seat);
        QVERIFY(connection->roundtrip());

        WaylandTest::HelperWindow helper(appId, QStringLiteral("Paste target"));
        QTRY_COMPARE_WITH_TIMEOUT(WaylandTest::focusedAppId(), appId, 10000);

        // Shift+Insert, what terminals paste on (Qt's line edit pastes on it too); Control+V
        // is typed by the program itself in the end-to-end test.
        keystrokes.postPaste(PasteKeystroke::shiftInsert);
        QCOMPARE(helper.waitForLine(QStringLiteral("text: "), 0, 5000), QStringLiteral("text: ") + clip);
        wl_seat_destroy(seat);
    }
};

int main(int argc, char *argv[])
{
    WaylandPlatform::prepareQt();
    QApplication application(argc, argv);
    CompositorTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "compositor_test.moc"
