#include "X11TestSupport.h"
#include "platform/Accessibility.h"
#include "platform/Apps.h"
#include "platform/x11/UserInputTime.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"

#include <QKeyEvent>
#include <QTest>
#include <QWindow>
#include <optional>

using namespace lettergate;

using X11Test::HelperWindow;

namespace {

// A window of this process that notes the X server time of the last key it received
// (a key event's timestamp is the server's time under Qt's xcb plugin).
class OwnWindow : public QWindow {
public:
    std::optional<quint64> lastKeyTime;

protected:
    void keyPressEvent(QKeyEvent *event) override { lastKeyTime = event->timestamp(); }
    void keyReleaseEvent(QKeyEvent *event) override { lastKeyTime = event->timestamp(); }
};

// Sees the activation requests that any client sends to the window manager: they go to
// the root window for substructure redirection, and a copy reaches every client that
// watches the root's substructure.
class ActivationRequests {
public:
    ActivationRequests()
        : m_activeWindow(m_client.atom("_NET_ACTIVE_WINDOW"))
    {
        xcb_connection_t *c = m_client.connection();
        const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, m_client.root(), XCB_CW_EVENT_MASK, &events);
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // the selection is in place
    }

    // The timestamp of the next request to activate the window, if one comes.
    std::optional<uint32_t> nextTimestampFor(xcb_window_t window)
    {
        std::optional<uint32_t> timestamp;
        (void)QTest::qWaitFor(
            [&] {
                while (xcb_generic_event_t *event = xcb_poll_for_event(m_client.connection())) {
                    const auto *message = reinterpret_cast<const xcb_client_message_event_t *>(event);
                    if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == m_activeWindow
                        && message->window == window && !timestamp)
                        timestamp = message->data.data32[1];
                    free(event);
                }
                return timestamp.has_value();
            },
            5000);
        return timestamp;
    }

private:
    X11Test::OtherClient m_client;
    xcb_atom_t m_activeWindow;
};

} // namespace

// The primitives that bring one window to the front, judged by what the window
// manager then reports as _NET_ACTIVE_WINDOW. The plain case, a letter raising an
// application's window, is the whole program's end-to-end test.
class ActivationTest : public QObject {
    Q_OBJECT

private slots:
    void theWindowJustFocusedWinsOverItsApplicationsOtherWindows()
    {
        // Two windows of one process; the other one is in front. Focusing a window and
        // activating its application at once, before the window manager has answered,
        // must not bring the other window back.
        HelperWindow app({"--title", "Pair", "--windows", "2"});
        QVERIFY(X11Test::waitUntilManaged({&app}));
        const QList<quint32> windows = app.windows();
        X11Test::activate(windows[1]);
        QTRY_COMPARE(m_platform->apps().frontmostApp(), qint32(app.pid()));

        Accessibility &ax = m_platform->accessibility();
        ax.raise(windows[0]);
        ax.focus(qint32(app.pid()), windows[0]);
        ax.makeMain(windows[0]);
        QVERIFY(m_platform->apps().activateApp(qint32(app.pid())));
        QTRY_COMPARE(X11Test::activeWindow(), windows[0]);
        QTest::qWait(100);
        QCOMPARE(X11Test::activeWindow(), windows[0]);

        // Once the window manager has moved the focus elsewhere, the application's
        // activation is a request of its own again, not a repeat of the last one.
        HelperWindow other({"--title", "Elsewhere", "--position", "300,300"});
        QVERIFY(X11Test::waitUntilManaged({&other}));
        X11Test::activate(other.window());
        QTRY_COMPARE(m_platform->apps().frontmostApp(), qint32(other.pid()));
        QVERIFY(m_platform->apps().activateApp(qint32(app.pid())));
        QTRY_COMPARE(X11Test::activeWindow(), windows[0]);
    }

    void aKeyInOurOwnWindowStampsTheActivationUntilTheActiveWindowChanges()
    {
        HelperWindow target({"--title", "Target"});
        HelperWindow elsewhere({"--title", "Elsewhere", "--position", "300,300"});
        OwnWindow own;
        own.resize(200, 150);
        own.show();
        QVERIFY(X11Test::waitUntilManaged({&target, &elsewhere}));
        QVERIFY(X11Test::waitUntilManaged(quint32(own.winId())));
        X11Test::activate(quint32(own.winId()));
        QTRY_COMPARE(m_platform->apps().frontmostApp(), qint32(QCoreApplication::applicationPid()));

        // A key typed into our own window, as a letter into the panel: the request that
        // follows carries that key's time, with no trip to the server for one.
        X11Test::run(QStringLiteral("xdotool"), {"key", "k"});
        QTRY_VERIFY(own.lastKeyTime);
        ActivationRequests requests;
        Accessibility &ax = m_platform->accessibility();
        ax.focus(qint32(target.pid()), target.window());
        QCOMPARE(requests.nextTimestampFor(target.window()), uint32_t(*own.lastKeyTime));
        QTRY_COMPARE(X11Test::activeWindow(), target.window());

        // The active window changed after the key: a focus change stamped with the key
        // would be older than that change and ignored, so the server's time is taken.
        X11Test::activate(elsewhere.window());
        QTRY_COMPARE(m_platform->apps().frontmostApp(), qint32(elsewhere.pid()));
        ax.focus(qint32(target.pid()), target.window());
        const std::optional<uint32_t> later = requests.nextTimestampFor(target.window());
        QVERIFY(later && isLaterServerTime(*later, uint32_t(*own.lastKeyTime)));
        QTRY_COMPARE(X11Test::activeWindow(), target.window());

        // The server's clock is 32 bits of milliseconds and wraps after 49 days.
        QVERIFY(isLaterServerTime(5, 0xFFFFFFF0u) && !isLaterServerTime(0xFFFFFFF0u, 5) && !isLaterServerTime(7, 7));
    }

private:
    TestEnvironment m_environment;
    const std::unique_ptr<X11Platform> m_platform = X11Test::sessionBackend<X11Platform>();
};

QTEST_MAIN(ActivationTest)
#include "activation_test.moc"
