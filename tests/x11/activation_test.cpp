#include "X11TestSupport.h"
#include "platform/Accessibility.h"
#include "platform/Apps.h"
#include "platform/WindowServer.h"
#include "platform/x11/UserInputTime.h"
#include "platform/x11/X11Platform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QKeyEvent>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

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
    {
        const char name[] = "_NET_ACTIVE_WINDOW";
        xcb_connection_t *c = m_client.connection();
        const auto cookie = xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name);
        if (xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookie, nullptr)) {
            m_activeWindow = reply->atom;
            free(reply);
        }
        const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, m_client.root(), XCB_CW_EVENT_MASK, &events);
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // the selection is in place
    }

    // The timestamp of the next request to activate the window, if one comes.
    std::optional<uint32_t> nextTimestampFor(xcb_window_t window)
    {
        std::optional<uint32_t> timestamp;
        const bool arrived = QTest::qWaitFor(
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
        return arrived ? timestamp : std::nullopt;
    }

private:
    X11Test::OtherClient m_client;
    xcb_atom_t m_activeWindow = XCB_NONE;
};

} // namespace

// The primitives that bring one window to the front, judged by what the window
// manager then reports as _NET_ACTIVE_WINDOW.
class ActivationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
    }

    void trustFollowsTheWindowManagerAndNothingNeedsGranting()
    {
        Accessibility &ax = m_platform->accessibility();
        QVERIFY(ax.isTrusted());
        LogCapture log;
        ax.requestTrust();
        QCOMPARE(log.lines, QStringList{QStringLiteral(
                                "[Lettergate] nothing to grant: on X11 any program may raise and focus windows")});
    }

    void focusActivatesTheChosenWindowAndTheFrontmostAppFollows()
    {
        HelperWindow first({"--title", "First"});
        HelperWindow second({"--title", "Second", "--position", "300,300"});
        QVERIFY(X11Test::waitUntilManaged(first.window()) && X11Test::waitUntilManaged(second.window()));
        QTRY_COMPARE(X11Test::activeWindow(), second.window());

        Accessibility &ax = m_platform->accessibility();
        const WindowElementList elements = ax.windowElements(qint32(first.pid()));
        QCOMPARE(elements.error, 0);
        QCOMPARE(elements.elements, QList<WindowElement>{first.window()});
        QCOMPARE(ax.windowNumber(elements.elements->first()), first.window());
        QCOMPARE(ax.isMinimized(first.window()), false);

        ax.raise(first.window());
        ax.focus(qint32(first.pid()), first.window());
        QTRY_COMPARE(X11Test::activeWindow(), first.window());
        QTRY_COMPARE(m_platform->apps().frontmostApp(), qint32(first.pid()));

        // The application comes forward with the window it last had in front.
        QVERIFY(m_platform->apps().activateApp(qint32(second.pid())));
        QTRY_COMPARE(X11Test::activeWindow(), second.window());
        QTRY_COMPARE(m_platform->apps().frontmostApp(), qint32(second.pid()));
        QVERIFY(!m_platform->apps().activateApp(qint32(first.pid()) + 100000));
    }

    void aMinimisedWindowIsRestoredAndActivated()
    {
        HelperWindow other({"--title", "Other"});
        HelperWindow minimised({"--title", "Minimised", "--iconic"});
        QVERIFY(X11Test::waitUntilManaged(other.window()) && X11Test::waitUntilManaged(minimised.window()));

        Accessibility &ax = m_platform->accessibility();
        QTRY_COMPARE(ax.isMinimized(minimised.window()), true);
        // Right after a listing the answer comes from the listing's own replies.
        QCOMPARE(ax.windowElements(qint32(minimised.pid())).elements, QList<WindowElement>{minimised.window()});
        QCOMPARE(ax.isMinimized(minimised.window()), true);
        ax.setMinimized(minimised.window(), false);
        ax.raise(minimised.window());
        ax.focus(qint32(minimised.pid()), minimised.window());
        QTRY_COMPARE(X11Test::activeWindow(), minimised.window());
        QCOMPARE(ax.isMinimized(minimised.window()), false);

        ax.setMinimized(minimised.window(), true);
        QTRY_COMPARE(ax.isMinimized(minimised.window()), true);
    }

    void theWindowJustFocusedWinsOverItsApplicationsOtherWindows()
    {
        // Two windows of one process; the other one is in front. Focusing a window and
        // activating its application at once, before the window manager has answered,
        // must not bring the other window back.
        HelperWindow app({"--title", "Pair", "--windows", "2"});
        const QList<quint32> windows = app.windows();
        QCOMPARE(windows.size(), 2);
        QVERIFY(X11Test::waitUntilManaged(windows[0]) && X11Test::waitUntilManaged(windows[1]));
        X11Test::run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(windows[1])});
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
        QVERIFY(X11Test::waitUntilManaged(other.window()));
        X11Test::run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(other.window())});
        QTRY_COMPARE(m_platform->apps().frontmostApp(), qint32(other.pid()));
        QVERIFY(m_platform->apps().activateApp(qint32(app.pid())));
        QTRY_COMPARE(X11Test::activeWindow(), windows[0]);
    }

    void aKeyInOurOwnWindowStampsTheActivationUntilTheActiveWindowChanges()
    {
        HelperWindow target({"--title", "Target"});
        HelperWindow elsewhere({"--title", "Elsewhere", "--position", "300,300"});
        OwnWindow own;
        own.setTitle(QStringLiteral("Own"));
        own.resize(200, 150);
        own.show();
        QVERIFY(X11Test::waitUntilManaged(target.window()) && X11Test::waitUntilManaged(elsewhere.window()));
        QVERIFY(X11Test::waitUntilManaged(quint32(own.winId())));
        X11Test::run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(own.winId())});
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
        X11Test::run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(elsewhere.window())});
        QTRY_COMPARE(m_platform->apps().frontmostApp(), qint32(elsewhere.pid()));
        ax.focus(qint32(target.pid()), target.window());
        const std::optional<uint32_t> later = requests.nextTimestampFor(target.window());
        QVERIFY(later);
        QVERIFY(isLaterServerTime(*later, uint32_t(*own.lastKeyTime)));
        QTRY_COMPARE(X11Test::activeWindow(), target.window());

        // The server's clock is 32 bits of milliseconds and wraps after 49 days.
        QVERIFY(isLaterServerTime(5, 0xFFFFFFF0u));
        QVERIFY(!isLaterServerTime(0xFFFFFFF0u, 5));
        QVERIFY(!isLaterServerTime(7, 7));
    }

    void theLastListingsWindowsAreCheckedAgainstTheServer()
    {
        HelperWindow pair({"--title", "Listed", "--windows", "2"});
        HelperWindow gone({"--title", "Gone", "--position", "300,300"});
        const QList<quint32> windows = pair.windows();
        QVERIFY(X11Test::waitUntilManaged(windows.value(0)) && X11Test::waitUntilManaged(windows.value(1)));
        QVERIFY(X11Test::waitUntilManaged(gone.window()));
        QVERIFY(m_platform->windowServer().onScreenWindows());

        // Minimised after the listing: the elements' state is the server's now.
        Accessibility &ax = m_platform->accessibility();
        ax.setMinimized(windows[1], true);
        QTRY_COMPARE(ax.isMinimized(windows[1]), true);
        std::optional<QList<WindowElement>> elements = ax.windowElements(qint32(pair.pid())).elements;
        QVERIFY(elements);
        std::ranges::sort(*elements);
        QCOMPARE(*elements, (QList<WindowElement>{std::min(windows[0], windows[1]), std::max(windows[0], windows[1])}));
        QCOMPARE(ax.isMinimized(windows[1]), true);
        QCOMPARE(ax.isMinimized(windows[0]), false);

        // Closed after the listing: nothing of it is left to activate.
        const qint32 gonePid = qint32(gone.pid());
        gone.close();
        QCOMPARE(ax.windowElements(gonePid).elements, QList<WindowElement>{});
    }

    void aClosedWindowHasNoElementAndItsProcessIsGone()
    {
        HelperWindow closing({"--title", "Closing"});
        QVERIFY(X11Test::waitUntilManaged(closing.window()));
        const qint32 pid = qint32(closing.pid());
        QVERIFY(!m_platform->apps().isTerminated(pid));
        closing.close();
        QTRY_COMPARE(m_platform->accessibility().windowElements(pid).elements, QList<WindowElement>{});
        QVERIFY(m_platform->apps().isTerminated(pid));
        QCOMPARE(m_platform->accessibility().isMinimized(closing.window()), std::nullopt);
        QVERIFY(!m_platform->apps().bundleIdentifier(pid));
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
};

QTEST_MAIN(ActivationTest)
#include "activation_test.moc"
