#include "X11TestSupport.h"
#include "platform/Apps.h"
#include "platform/WindowServer.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

using X11Test::HelperWindow;

namespace {

std::optional<WindowRecord> recordOf(const QList<WindowRecord> &records, quint32 window)
{
    for (const WindowRecord &record : records) {
        if (record.number == window)
            return record;
    }
    return std::nullopt;
}

qsizetype positionOf(const QList<WindowRecord> &records, quint32 window)
{
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records[i].number == window)
            return i;
    }
    return -1;
}

} // namespace

// The window list from the window manager: real windows of other processes, front-most
// first, with what the switcher shows of each.
class EnumerationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A desktop entry claiming the helper's windows by their class, in the
        // temporary data directory that GIO reads before the system's.
        const QString applications = m_environment.dataHome() + QStringLiteral("/applications");
        QVERIFY(QDir().mkpath(applications));
        QFile entry(applications + QStringLiteral("/org.example.Helper.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Helper Deluxe\nExec=true\nStartupWMClass=LgHelper\n");
        entry.close();
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
        QVERIFY(m_platform->hasWindowManager());
    }

    void listsForeignWindowsFrontMostFirstWithOwnerTitleAndFrame()
    {
        HelperWindow claimed({"--title", "Alpha", "--class", "alpha,LgHelper", "--size", "300x200", "--position", "50,60"});
        HelperWindow unnamed({"--title", "Bravo ✓", "--class", "bravo,Bravo", "--no-pid", "--position", "400,60"});
        QProcess xterm;
        xterm.start(QStringLiteral("xterm"), {"-T", "Charlie", "-geometry", "40x10+700+300"});
        QVERIFY(claimed.isValid() && unnamed.isValid() && xterm.waitForStarted());
        QVERIFY(X11Test::waitUntilManaged(claimed.window()));
        QVERIFY(X11Test::waitUntilManaged(unnamed.window()));

        // The terminal's window is found by its pid; the window manager raises each new
        // window, then the helper is raised above it.
        std::optional<WindowRecord> terminal;
        QTRY_VERIFY_WITH_TIMEOUT((terminal = [&]() -> std::optional<WindowRecord> {
            for (const WindowRecord &record : m_platform->windowServer().onScreenWindows().value_or(QList<WindowRecord>{}))
                if (record.ownerPid == qint32(xterm.processId()))
                    return record;
            return std::nullopt;
        }()).has_value(), 5000);
        X11Test::run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(claimed.window())});

        const QList<WindowRecord> records = m_platform->windowServer().onScreenWindows().value();
        QCOMPARE(positionOf(records, claimed.window()), 0);
        QVERIFY(positionOf(records, *terminal->number) < positionOf(records, unnamed.window()));

        const WindowRecord alpha = *recordOf(records, claimed.window());
        QCOMPARE(alpha.layer, 0);
        QCOMPARE(alpha.ownerPid, qint32(claimed.pid()));
        QCOMPARE(alpha.ownerName, QStringLiteral("Helper Deluxe"));
        QCOMPARE(alpha.title, QStringLiteral("Alpha"));
        // openbox frames a client with a 1-pixel border and a 20-pixel title bar above a
        // 5-pixel handle; the frame is what stands at the position asked for.
        QCOMPARE(alpha.bounds, QRectF(50, 60, 302, 225));

        // Without _NET_WM_PID the server still knows the client's pid; without a desktop
        // entry the class names the application.
        const WindowRecord bravo = *recordOf(records, unnamed.window());
        QCOMPARE(bravo.ownerPid, qint32(unnamed.pid()));
        QCOMPARE(bravo.ownerName, QStringLiteral("Bravo"));
        QCOMPARE(bravo.title, QStringLiteral("Bravo ✓"));

        QCOMPARE(terminal->ownerName, QStringLiteral("XTerm"));
        QCOMPARE(terminal->title, QStringLiteral("Charlie"));
        QCOMPARE(terminal->layer, 0);

        Apps &apps = m_platform->apps();
        QCOMPARE(apps.bundleIdentifier(qint32(claimed.pid())), QStringLiteral("org.example.Helper"));
        QCOMPARE(apps.bundleIdentifier(qint32(unnamed.pid())), QStringLiteral("Bravo"));
        QCOMPARE(apps.bundleIdentifier(qint32(xterm.processId())), QStringLiteral("debian-xterm"));
        QVERIFY(apps.hasApplication(QStringLiteral("debian-xterm")));
        QVERIFY(!apps.hasApplication(QStringLiteral("Bravo")));

        xterm.kill();
        xterm.waitForFinished();
        QTRY_VERIFY(!apps.bundleIdentifier(qint32(xterm.processId())));
    }

    void leavesOutHiddenWindowsAndMarksOthersForTheFilter()
    {
        HelperWindow narrow({"--title", "Narrow", "--size", "57x300", "--position", "20,400"});
        HelperWindow wide({"--title", "Wide", "--size", "58x300", "--position", "120,400"});
        HelperWindow dock({"--title", "Dock", "--type", "dock", "--size", "600x40", "--position", "300,900"});
        HelperWindow minimised({"--title", "Minimised", "--iconic"});
        HelperWindow elsewhere({"--title", "Elsewhere", "--desktop", "2"});
        HelperWindow utility({"--title", "Utility", "--type", "utility"});
        for (const HelperWindow *helper : {&narrow, &wide, &dock, &minimised, &elsewhere, &utility})
            QVERIFY(X11Test::waitUntilManaged(helper->window()));

        const QList<WindowRecord> records = m_platform->windowServer().onScreenWindows().value();
        // Frames 59 and 60 pixels wide: the enumeration's size rule decides on these.
        QCOMPARE(recordOf(records, narrow.window())->bounds->width(), 59.0);
        QCOMPARE(recordOf(records, wide.window())->bounds->width(), 60.0);
        QVERIFY(recordOf(records, dock.window())->layer != 0);
        QVERIFY(recordOf(records, utility.window())->layer != 0);
        QVERIFY(!recordOf(records, minimised.window()));
        QVERIFY(!recordOf(records, elsewhere.window()));

        // Restored, the minimised window is back; gone, a window is gone from the list.
        X11Test::run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(minimised.window())});
        narrow.close();
        QTRY_VERIFY(!recordOf(m_platform->windowServer().onScreenWindows().value(), narrow.window()));
        QVERIFY(recordOf(m_platform->windowServer().onScreenWindows().value(), minimised.window()));
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
};

QTEST_MAIN(EnumerationTest)
#include "enumeration_test.moc"
