#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "windows/WindowActivation.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QTest>
#include <cmath>
#include <functional>
#include <limits>

using namespace lettergate;

namespace {

const WindowInfo target{7,
                        42,
                        QStringLiteral("org.example.Editor"),
                        QStringLiteral("Editor"),
                        QStringLiteral("notes.txt"),
                        QRectF(0, 0, 800, 600)};
const QString switched = QStringLiteral("[Lettergate] ✅ switched → Editor #7 'notes.txt'");

// How the desktop looks when the user picks the target window.
using Desktop = std::function<void(FakePlatform &)>;

WindowRecord ordinary(QRectF bounds = QRectF(10, 20, 800, 600))
{
    return WindowRecord{0, 7, 42, QStringLiteral("Editor"), QStringLiteral("notes.txt"), bounds};
}

} // namespace

// Which windows the switcher lists, and raising the one picked.
class WindowListTest : public QObject {
    Q_OBJECT
private slots:
    void keepsOnlyOrdinaryWindows()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        auto with = [](auto change) {
            WindowRecord record = ordinary();
            change(record);
            return record;
        };
        const QList<std::pair<WindowRecord, bool>> rows{
            {ordinary(QRectF(0, 0, 60, 60)), true},
            {ordinary(QRectF(0, 0, 59, 400)), false},
            {ordinary(QRectF(0, 0, 400, 59.9)), false},
            {ordinary(QRectF(0, 0, nan, 400)), false},
            {with([](WindowRecord &r) { r.bounds.reset(); }), false},
            {with([](WindowRecord &r) { r.layer = 25; }), false},
            {with([](WindowRecord &r) { r.layer.reset(); }), false},
            {with([](WindowRecord &r) { r.number.reset(); }), false},
            {with([](WindowRecord &r) { r.ownerPid.reset(); }), false},
            {with([](WindowRecord &r) { r.title.reset(); }), true},
        };
        for (const auto &[record, kept] : rows) {
            FakePlatform platform;
            platform.windows.records = {record};
            QCOMPARE(listWindows(platform, std::nullopt).size(), kept ? 1 : 0);
        }
    }

    void fillsEveryFieldAskingEachProcessOnceInTheServersOrder()
    {
        FakePlatform platform;
        platform.appList.bundleIDs[42] = QStringLiteral("org.example.Editor");
        platform.windows.addWindow(9, 42, QStringLiteral("Editor"), QStringLiteral("b.txt"), QRectF(5, 6, 700.5, 500));
        platform.windows.addWindow(3, 77, QStringLiteral("Shell"), QStringLiteral("~"));
        WindowRecord &anonymous = platform.windows.addWindow(4, 78, {}, {});
        anonymous.ownerName.reset();
        anonymous.title.reset();
        platform.windows.addWindow(10, 42, QStringLiteral("Editor"), QStringLiteral("c.txt"));
        platform.windows.addWindow(11, 77, QStringLiteral("Shell"), QStringLiteral("~"));
        const QList<WindowInfo> windows = listWindows(platform, std::nullopt);
        QCOMPARE(windows.size(), 5);
        QCOMPARE(windows.at(0), (WindowInfo{9, 42, QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
                                            QStringLiteral("b.txt"), QRectF(5, 6, 700.5, 500)}));
        QCOMPARE(windows.at(1).bundleID, std::nullopt);
        QCOMPARE(windows.at(2).appName, QStringLiteral("?"));
        QCOMPARE(windows.at(3).bundleID, std::optional<QString>(QStringLiteral("org.example.Editor")));
        // An absent answer is remembered within the call too...
        QCOMPARE(platform.appList.bundleLookups.value(42), 1);
        // ...but not between calls: an app may have been replaced since.
        QCOMPARE(listWindows(platform, 77).size(), 3); // only the given process is left out
        QCOMPARE(platform.appList.bundleLookups.value(42), 2);
        // No answer from the server: no windows.
        platform.windows.unavailable = true;
        QVERIFY(listWindows(platform, std::nullopt).isEmpty());
    }

    void printAllWindowsWritesOneLinePerWindow()
    {
        FakePlatform platform;
        LogCapture log;
        platform.windows.addWindow(1234, 42, QStringLiteral("Finder"), QStringLiteral("Documents"),
                                   QRectF(0, 0, 800.9, 600.2));
        platform.windows.addWindow(5, qint32(QCoreApplication::applicationPid()), QStringLiteral("Lettergate"),
                                   QStringLiteral("panel"));

        printAllWindows(platform);
        QCOMPARE(log.lines, QStringList({QStringLiteral("[Lettergate] Enumerated 1 windows:"),
                                         QStringLiteral("  [0] Finder  #1234  'Documents'  800x600")}));
    }

    void activatesExactlyTheTargetOrReportsWhyNot()
    {
        struct Row {
            Desktop desktop;
            bool activated;
            QStringList acts;
            QString logged;
        };
        const QList<Row> rows{
            {[](FakePlatform &p) { p.appList.terminated.insert(42); },
             true,
             {"raise 7", "focus 42 7", "makeMain 7"},
             switched},
            // A minimised window is restored first.
            {[](FakePlatform &p) { p.ax.minimized.insert(7); },
             true,
             {"setMinimized 7 0", "raise 7", "focus 42 7", "makeMain 7"},
             switched},
            // Only the window with the exact number; a later duplicate is never reached.
            {[](FakePlatform &p) {
                 p.ax.elements[42] = {100, 101, 102, 103};
                 p.ax.numberOf[100] = std::nullopt;
                 p.ax.numberOf[101] = 8;
                 p.ax.numberOf[102] = 7;
                 p.ax.numberOf[103] = 7;
             },
             true,
             {"raise 102", "focus 42 102", "makeMain 102"},
             switched},
            {[](FakePlatform &p) { p.ax.trusted = false; },
             false,
             {},
             "[Lettergate] accessibility not authorized, cannot switch windows"},
            {[](FakePlatform &p) { p.ax.errors[42] = -25204; },
             false,
             {},
             "[Lettergate] cannot get AX window list for pid=42 (err=-25204)"},
        };
        for (const Row &row : rows) {
            FakePlatform platform;
            LogCapture log;
            platform.ax.elements[42] = {7};
            row.desktop(platform);
            QCOMPARE(activateWindow(platform, target), row.activated);
            QCOMPARE(platform.ax.acts, row.acts);
            QCOMPARE(platform.appList.activations, row.activated ? QList<qint32>{42} : QList<qint32>());
            QCOMPARE(log.lines, QStringList{row.logged});
            QCOMPARE(platform.ax.trustRequests, 0); // never a prompt from here
        }
    }
};

QTEST_GUILESS_MAIN(WindowListTest)
#include "window_list_test.moc"
