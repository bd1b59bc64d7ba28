// The panel's overlay under a real headless sway: a frameless window that bypasses the
// window manager, made a layer-shell overlay as the panel is, shows at its size in the
// middle of the output, takes the keyboard from the helper window in another process
// while it shows, at every showing, and gives it back when it hides.
#include "WaylandTestSupport.h"
#include "platform/wayland/LayerShellOverlay.h"
#include "platform/wayland/PanelOnScreen.h"
#include "platform/wayland/ScreencopyCapture.h"
#include "platform/wayland/VisibleWindowFrames.h"
#include "platform/wayland/WaylandPlatform.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

namespace {

// The panel's window flags; every key it gets is kept.
class KeyedWindow : public QWidget {
public:
    KeyedWindow()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint)
    {
        QPalette red;
        red.setColor(QPalette::Window, Qt::red);
        setPalette(red);
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

class LayerShellOverlayTest : public QObject {
    Q_OBJECT

private slots:
    void theOverlayTakesTheKeyboardWhileItShowsAndGivesItBack()
    {
        WaylandTest::HelperWindow helper(QStringLiteral("test.overlay.helper"), QStringLiteral("Overlay helper"));
        QVERIFY(helper.waitUntilShown());
        WaylandTest::TestKeyboard keyboard;
        QVERIFY(keyboard.isRunning());
        QVERIFY(keyboard.type(QStringLiteral("a")));
        QTRY_COMPARE(helper.text(), QStringLiteral("a"));

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
        QString helperText = QStringLiteral("a");
        for (const QString &letters : {QStringLiteral("bc"), QStringLiteral("de")}) {
            panel.typed.clear();
            panel.show();
            QTRY_VERIFY(panel.isActiveWindow());
            QTRY_COMPARE(redArea(screen->capture({1, QRectF(output)}, output.size())),
                         QRect(QPoint(440, 250), QSize(400, 300)));
            QVERIFY(keyboard.typeText(letters));
            QTRY_COMPARE(panel.typed, letters);
            panel.hide();
            waitForCompositorToHandleQt();
            // The helper got none of the overlay's keys, and has the keyboard back.
            QVERIFY(keyboard.type(QStringLiteral("z")));
            helperText += u'z';
            QTRY_COMPARE(helper.text(), helperText);
            panel.windowHandle()->destroy();
        }
    }
};

int main(int argc, char *argv[])
{
    WaylandPlatform::prepareQt();
    QApplication application(argc, argv);
    LayerShellOverlayTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "layer_shell_overlay_test.moc"
