#include "WaylandTestSupport.h"
#include "platform/BuildInfo.h"
#include "platform/wayland/SwayIpc.h"
#include "platform/wayland/VisibleWindowFrames.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandWindows.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRasterWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <wayland-client.h>

using namespace lettergate;

namespace {

std::optional<WindowRecord> titled(const QList<WindowRecord> &records, const QString &title)
{
    const auto found = std::ranges::find(records, std::optional<QString>(title), &WindowRecord::title);
    return found == records.end() ? std::nullopt : std::optional<WindowRecord>(*found);
}

bool sameFrames(const QList<ShareableWindow> &frames, const QList<ShareableWindow> &expected)
{
    return std::ranges::equal(frames, expected, [](const ShareableWindow &a, const ShareableWindow &b) {
        return a.number == b.number && a.frame == b.frame;
    });
}

// sway's IPC as a compositor that is slow to answer serves it: each request is held until
// the test says where our window is, and answered at once from then on.
class SlowSway {
public:
    SlowSway()
    {
        m_server.listen(m_directory.filePath(QStringLiteral("sway-ipc.sock")));
        QObject::connect(&m_server, &QLocalServer::newConnection, [this] {
            while (QLocalSocket *request = m_server.nextPendingConnection()) {
                m_held.append(request);
                ++m_askedTimes;
            }
            answerHeld();
        });
    }
    QString path() const { return m_server.fullServerName(); }
    int askedTimes() const { return m_askedTimes; }
    // Our window, 300 × 200 at the place given.
    void answerWith(QPoint ourPlace)
    {
        m_tree = QStringLiteral(R"({"id":1,"nodes":[{"id":7,"app_id":"%1","name":"Our settings","visible":true,)"
                                R"("rect":{"x":%2,"y":%3,"width":300,"height":200}}]})")
                     .arg(QString::fromUtf8(BuildInfo::appId))
                     .arg(ourPlace.x())
                     .arg(ourPlace.y())
                     .toUtf8();
        answerHeld();
    }

private:
    void answerHeld()
    {
        if (m_tree.isEmpty())
            return;
        for (QLocalSocket *request : std::exchange(m_held, {}))
            request->write(SwayIpc::encode(SwayIpc::getTreeType, m_tree));
    }

    QTemporaryDir m_directory;
    QLocalServer m_server;
    QList<QLocalSocket *> m_held;
    QByteArray m_tree;
    int m_askedTimes = 0;
};

} // namespace

// The compositor's windows and applications through wlr foreign-toplevel management, on
// a real headless sway with real clients (foot, the helper window) and a window of our own.
class WaylandWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QString applications = m_environment.dataHome() + QStringLiteral("/applications");
        QFile entry(applications + QStringLiteral("/org.example.Helper.desktop"));
        QVERIFY(QDir().mkpath(applications) && entry.open(QIODevice::WriteOnly));
        QVERIFY(entry.write("[Desktop Entry]\nType=Application\nName=Helper Deluxe\nExec=true\n") > 0);
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

    // Three windows of two apps, through their lives: listed, placed, activated, closed.
    void windowsAreListedUnderTheirAppsPlacedActivatedAndDropped()
    {
        WaylandTest::HelperWindow alpha(QStringLiteral("org.example.Helper"), QStringLiteral("Alpha"));
        QTRY_VERIFY(titled(list(), QStringLiteral("Alpha")));
        WaylandTest::HelperWindow bravo(QStringLiteral("org.example.Helper"), QStringLiteral("Bravo"));
        QTRY_VERIFY(titled(list(), QStringLiteral("Bravo")));
        WaylandTest::Client charlie(QStringLiteral("foot"), {"-T", "Charlie"});
        // Front-most first: sway activates each new window.
        QTRY_COMPARE(WaylandTest::focusedTitle(), QStringLiteral("Charlie"));
        QTRY_COMPARE(list().value(0).title, QStringLiteral("Charlie"));
        const QList<WindowRecord> records = list();
        Apps &apps = m_windows->apps();
        QCOMPARE(apps.activeWindow(), records.first().number);
        const WindowRecord a = titled(records, QStringLiteral("Alpha")).value();
        const WindowRecord b = titled(records, QStringLiteral("Bravo")).value();
        const WindowRecord c = titled(records, QStringLiteral("Charlie")).value();
        QCOMPARE(titled(records, QStringLiteral("Our settings"))->ownerPid, qint32(QCoreApplication::applicationPid()));
        QVERIFY(a.number < b.number && b.number < c.number);
        // Names from the desktop entries, identities from the app_id.
        QCOMPARE(a.ownerName, QStringLiteral("Helper Deluxe"));
        QCOMPARE(apps.bundleIdentifier(*a.ownerPid), QStringLiteral("org.example.Helper"));

        // Each window's place is sway's once its tree is read, and the visible ones are
        // handed to the pictures.
        const auto placedAsSwaySays = [&] {
            const QList<SwayIpc::View> views = SwayIpc::views(QJsonDocument(WaylandTest::tree()).toJson()).value();
            QList<ShareableWindow> expected;
            for (const WindowRecord &record : list()) {
                const auto view = std::ranges::find(views, *record.title, &SwayIpc::View::title);
                if (view == views.end() || record.bounds != QRectF(view->rect) || !view->visible
                    || view->rect.width() < 60)
                    return false;
                expected.append({*record.number, QRectF(view->rect)});
            }
            return sameFrames(m_frames.current(), expected);
        };
        QTRY_VERIFY(placedAsSwaySays());

        Accessibility &accessibility = m_windows->accessibility();
        QSignalSpy reported(&apps, &Apps::activeWindowReported);

        // Alpha, one of the helper's two windows, as a switch brings it.
        const WindowElementList elements = accessibility.windowElements(*a.ownerPid);
        QCOMPARE(elements.elements.value().size(), 2);
        QVERIFY(elements.elements->contains(WindowElement(*a.number)));
        accessibility.focus(*a.ownerPid, *a.number);
        QTRY_COMPARE(WaylandTest::focusedTitle(), QStringLiteral("Alpha"));
        QTRY_VERIFY(!reported.isEmpty());
        QCOMPARE(reported.constLast().constFirst().value<quint32>(), *a.number);
        QCOMPARE(apps.frontmostApp(), a.ownerPid);

        // The terminal, then the helper by its identity: its most recently active window
        // (Alpha), not its newest.
        QVERIFY(apps.activateApp(*c.ownerPid));
        QTRY_COMPARE(WaylandTest::focusedTitle(), QStringLiteral("Charlie"));
        QTRY_COMPARE(apps.activeWindow(), c.number);
        QVERIFY(apps.openApplication(QStringLiteral("org.example.Helper")));
        QTRY_COMPARE(WaylandTest::focusedTitle(), QStringLiteral("Alpha"));
        QTRY_COMPARE(reported.constLast().constFirst().value<quint32>(), *a.number);

        // Closed, a window leaves the list and its app is known to be gone.
        QVERIFY(!apps.isTerminated(*c.ownerPid));
        charlie.close();
        QTRY_VERIFY(!titled(list(), QStringLiteral("Charlie")));
        QVERIFY(apps.isTerminated(*c.ownerPid));
        QVERIFY(accessibility.windowElements(*c.ownerPid).elements.value().isEmpty());

        // A new window of the same app gets a new number and the app's old one.
        WaylandTest::Client again(QStringLiteral("foot"), {"-T", "Charlie again"});
        QTRY_VERIFY(titled(list(), QStringLiteral("Charlie again")));
        const WindowRecord renewed = titled(list(), QStringLiteral("Charlie again")).value();
        QVERIFY(*renewed.number > *c.number && renewed.ownerPid == c.ownerPid);
    }

    void swayIsReadOffTheGuiThread()
    {
        // A sway that takes its time: the listing does not wait for it, and what it
        // says, once it says it, places the windows and reaches the pictures.
        SlowSway sway;
        const QByteArray swaySocket = qgetenv("SWAYSOCK");
        qputenv("SWAYSOCK", sway.path().toLocal8Bit());
        VisibleWindowFrames frames;
        WaylandWindows windows(*m_connection, m_seat, frames);
        qputenv("SWAYSOCK", swaySocket);
        const auto ourBounds = [&] {
            return titled(windows.windowServer().onScreenWindows().value(), QStringLiteral("Our settings"))
                .value()
                .bounds;
        };
        QCOMPARE(ourBounds(), QRectF(0, 0, 1280, 800));
        QTRY_VERIFY(sway.askedTimes() > 0);

        sway.answerWith(QPoint(10, 20));
        QTRY_COMPARE(ourBounds(), QRectF(10, 20, 300, 200));
        const quint32 ours = *titled(list(), QStringLiteral("Our settings"))->number;
        QVERIFY(sameFrames(frames.current(), {{ours, QRectF(10, 20, 300, 200)}}));

        // A change of the windows has sway asked again, without a listing.
        sway.answerWith(QPoint(40, 50));
        m_ownWindow.setTitle(QStringLiteral("Our settings, renamed"));
        QTRY_VERIFY(sameFrames(frames.current(), {{ours, QRectF(40, 50, 300, 200)}}));
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
