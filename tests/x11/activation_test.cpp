#include "X11TestSupport.h"
#include "platform/Accessibility.h"
#include "platform/Apps.h"
#include "platform/x11/X11Platform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QTest>

using X11Test::HelperWindow;

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
