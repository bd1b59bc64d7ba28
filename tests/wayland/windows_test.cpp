#include "platform/BuildInfo.h"
#include "platform/wayland/ForeignToplevels.h"
#include "platform/wayland/SwayIpc.h"
#include "platform/wayland/VisibleWindowFrames.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandWindows.h"
#include "support/TestEnvironment.h"
#include "WaylandTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QRasterWindow>
#include <wayland-client.h>

namespace {

std::optional<WindowRecord> titled(const QList<WindowRecord> &records, const QString &title)
{
    const auto found = std::ranges::find(records, std::optional<QString>(title), &WindowRecord::title);
    return found == records.end() ? std::nullopt : std::optional<WindowRecord>(*found);
}

} // namespace

// The compositor's windows and applications through wlr foreign-toplevel management, on
// a real headless sway with real clients (foot, the helper window) and a window of our own.
class WaylandWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QString applications = m_environment.dataHome() + QStringLiteral("/applications");
        QVERIFY(QDir().mkpath(applications));
        QFile entry(applications + QStringLiteral("/org.example.Helper.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Helper Deluxe\nExec=true\n");
        entry.close();

        // Our own window carries our desktop file name as its app_id, as Settings does.
        QGuiApplication::setDesktopFileName(QString::fromUtf8(BuildInfo::appId));
        m_ownWindow.setTitle(QStringLiteral("Our settings"));
        m_ownWindow.resize(300, 200);
        m_ownWindow.show();

        m_connection = WaylandConnection::connect();
        QVERIFY(m_connection);
        m_seat = static_cast<wl_seat *>(m_connection->bind(&wl_seat_interface, 1));
        m_windows = std::make_unique<WaylandWindows>(*m_connection, m_seat, m_frames);
        m_connection->startDispatching();
        QTRY_VERIFY(titled(list(), QStringLiteral("Our settings")));
    }

    void cleanupTestCase()
    {
        m_windows.reset();
        if (m_seat)
            wl_seat_destroy(m_seat);
    }

    void cleanup()
    {
        // The windows of a test are gone before the next one starts: ours is left.
        QTRY_COMPARE(list().size(), 1);
    }

    void windowsAreListedUnderTheirAppsWithTheirPlaces()
    {
        WaylandTest::HelperWindow alpha(QStringLiteral("org.example.Helper"), QStringLiteral("Alpha"));
        QTRY_VERIFY(titled(list(), QStringLiteral("Alpha")));
        WaylandTest::HelperWindow bravo(QStringLiteral("org.example.Helper"), QStringLiteral("Bravo"));
        QTRY_VERIFY(titled(list(), QStringLiteral("Bravo")));
        WaylandTest::Client charlie(QStringLiteral("foot"), {"-T", "Charlie"});
        QTRY_VERIFY(titled(list(), QStringLiteral("Charlie")));

        // Front-most first: sway activates each new window.
        const QList<WindowRecord> records = list();
        QCOMPARE(records.first().title, QStringLiteral("Charlie"));
        QCOMPARE(m_windows->apps().activeWindow(), records.first().number);

        const WindowRecord a = titled(records, QStringLiteral("Alpha")).value();
        const WindowRecord b = titled(records, QStringLiteral("Bravo")).value();
        const WindowRecord c = titled(records, QStringLiteral("Charlie")).value();
        const WindowRecord own = titled(records, QStringLiteral("Our settings")).value();
        QCOMPARE(a.ownerPid, b.ownerPid);
        QVERIFY(*a.ownerPid >= ForeignToplevels::firstAppNumber);
        QVERIFY(*c.ownerPid >= ForeignToplevels::firstAppNumber && c.ownerPid != a.ownerPid);
        QCOMPARE(own.ownerPid, qint32(QCoreApplication::applicationPid()));
        QVERIFY(a.number < b.number && b.number < c.number);

        // Names and identities from the desktop entries, else the app_id.
        Apps &apps = m_windows->apps();
        QCOMPARE(a.ownerName, QStringLiteral("Helper Deluxe"));
        QCOMPARE(c.ownerName, QStringLiteral("Foot"));
        QCOMPARE(apps.bundleIdentifier(*a.ownerPid), QStringLiteral("org.example.Helper"));
        QCOMPARE(apps.bundleIdentifier(*c.ownerPid), QStringLiteral("foot"));
        QCOMPARE(apps.bundleIdentifier(*own.ownerPid), QString::fromUtf8(BuildInfo::appId));
        QVERIFY(!apps.appIcon(*c.ownerPid).isNull());
        QCOMPARE(apps.categories(QStringLiteral("foot")).contains(QStringLiteral("TerminalEmulator")), true);

        // Each window's place is sway's, and the visible ones are handed to the pictures.
        const QList<SwayIpc::View> views = SwayIpc::views(QJsonDocument(WaylandTest::tree()).toJson()).value();
        QList<ShareableWindow> expectedFrames;
        for (const WindowRecord &record : records) {
            const auto view = std::ranges::find(views, *record.title, &SwayIpc::View::title);
            QVERIFY(view != views.end());
            QCOMPARE(record.bounds, QRectF(view->rect));
            QVERIFY(view->rect.width() >= 60 && view->visible);
            expectedFrames.append({*record.number, QRectF(view->rect)});
        }
        const QList<ShareableWindow> frames = m_frames.current();
        QCOMPARE(frames.size(), expectedFrames.size());
        for (qsizetype i = 0; i < frames.size(); ++i)
            QVERIFY(frames.at(i).number == expectedFrames.at(i).number && frames.at(i).frame == expectedFrames.at(i).frame);

        // Without sway's IPC a window is where its output is.
        const QByteArray swaySocket = qgetenv("SWAYSOCK");
        qunsetenv("SWAYSOCK");
        VisibleWindowFrames unusedFrames;
        WaylandWindows elsewhere(*m_connection, m_seat, unusedFrames);
        qputenv("SWAYSOCK", swaySocket);
        const QList<WindowRecord> onOutputs = elsewhere.windowServer().onScreenWindows().value();
        QCOMPARE(onOutputs.size(), records.size());
        for (const WindowRecord &record : onOutputs)
            QCOMPARE(record.bounds, QRectF(0, 0, 1280, 800));
        QVERIFY(unusedFrames.current().isEmpty());
    }

    void activationIsReportedAndSwayAgrees()
    {
        WaylandTest::HelperWindow alpha(QStringLiteral("org.example.Helper"), QStringLiteral("Alpha"));
        QTRY_VERIFY(titled(list(), QStringLiteral("Alpha")));
        WaylandTest::HelperWindow bravo(QStringLiteral("org.example.Helper"), QStringLiteral("Bravo"));
        QTRY_VERIFY(titled(list(), QStringLiteral("Bravo")));
        WaylandTest::Client charlie(QStringLiteral("foot"), {"-T", "Charlie"});
        QTRY_COMPARE(WaylandTest::focusedTitle(), QStringLiteral("Charlie"));
        QTRY_COMPARE(list().value(0).title, QStringLiteral("Charlie"));

        Apps &apps = m_windows->apps();
        Accessibility &accessibility = m_windows->accessibility();
        QVERIFY(accessibility.isTrusted());
        const WindowRecord a = titled(list(), QStringLiteral("Alpha")).value();
        const WindowRecord c = titled(list(), QStringLiteral("Charlie")).value();
        QSignalSpy reported(&apps, &Apps::activeWindowReported);
        QSignalSpy frontmost(&apps, &Apps::frontmostAppChanged);

        // Alpha, minimised first: it is restored and activated, as a switch does it.
        const WindowElementList elements = accessibility.windowElements(*a.ownerPid);
        QCOMPARE(elements.elements.value().size(), 2);
        QVERIFY(elements.elements->contains(WindowElement(*a.number)));
        accessibility.setMinimized(*a.number, true);
        QTest::qWait(100);
        if (accessibility.isMinimized(*a.number) == true)
            accessibility.setMinimized(*a.number, false);
        accessibility.focus(*a.ownerPid, *a.number);
        QTRY_COMPARE(WaylandTest::focusedTitle(), QStringLiteral("Alpha"));
        QTRY_VERIFY(!reported.isEmpty());
        QCOMPARE(reported.constLast().constFirst().value<quint32>(), *a.number);
        QCOMPARE(frontmost.constLast().constFirst().value<qint32>(), *a.ownerPid);
        QCOMPARE(accessibility.isMinimized(*a.number), false);
        QCOMPARE(apps.frontmostApp(), a.ownerPid);
        QCOMPARE(list().value(0).number, a.number);

        // The terminal, then the helper by its identity: its most recently active window
        // (Alpha), not its newest.
        QVERIFY(apps.activateApp(*c.ownerPid));
        QTRY_COMPARE(WaylandTest::focusedTitle(), QStringLiteral("Charlie"));
        QTRY_COMPARE(apps.activeWindow(), c.number);
        QVERIFY(apps.openApplication(QStringLiteral("org.example.Helper")));
        QTRY_COMPARE(WaylandTest::focusedTitle(), QStringLiteral("Alpha"));
        QTRY_COMPARE(reported.constLast().constFirst().value<quint32>(), *a.number);
    }

    void aClosedWindowLeavesTheList()
    {
        WaylandTest::HelperWindow alpha(QStringLiteral("org.example.Helper"), QStringLiteral("Alpha"));
        WaylandTest::Client charlie(QStringLiteral("foot"), {"-T", "Charlie"});
        QTRY_VERIFY(titled(list(), QStringLiteral("Alpha")) && titled(list(), QStringLiteral("Charlie")));
        const WindowRecord c = titled(list(), QStringLiteral("Charlie")).value();
        Apps &apps = m_windows->apps();
        QVERIFY(!apps.isTerminated(*c.ownerPid));

        charlie.close();
        QTRY_VERIFY(!titled(list(), QStringLiteral("Charlie")));
        QVERIFY(apps.isTerminated(*c.ownerPid));
        QCOMPARE(apps.bundleIdentifier(*c.ownerPid), std::nullopt);
        QVERIFY(m_windows->accessibility().windowElements(*c.ownerPid).elements.value().isEmpty());
        QVERIFY(!m_windows->accessibility().isMinimized(*c.number));

        // A new window of the same app gets a new number and the app's old one.
        WaylandTest::Client again(QStringLiteral("foot"), {"-T", "Charlie again"});
        QTRY_VERIFY(titled(list(), QStringLiteral("Charlie again")));
        const WindowRecord renewed = titled(list(), QStringLiteral("Charlie again")).value();
        QVERIFY(*renewed.number > *c.number);
        QCOMPARE(renewed.ownerPid, c.ownerPid);
    }

private:
    QList<WindowRecord> list() { return m_windows->windowServer().onScreenWindows().value_or(QList<WindowRecord>{}); }

    TestEnvironment m_environment;
    QRasterWindow m_ownWindow;
    std::unique_ptr<WaylandConnection> m_connection;
    wl_seat *m_seat = nullptr;
    VisibleWindowFrames m_frames;
    std::unique_ptr<WaylandWindows> m_windows;
};

QTEST_MAIN(WaylandWindowsTest)
#include "windows_test.moc"
