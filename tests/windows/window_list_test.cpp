#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "windows/WindowActivation.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QTest>
#include <cmath>
#include <functional>
#include <limits>

namespace {

const WindowInfo target{7, 42, QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
                        QStringLiteral("notes.txt"), QRectF(0, 0, 800, 600)};
const QString switched = QStringLiteral("[Lettergate] ✅ switched → Editor #7 'notes.txt'");
const QString noMatch = QStringLiteral("[Lettergate] no AX window matches CGWindowID=7 (app=Editor)");
const QStringList raiseSequence{QStringLiteral("raise 7"), QStringLiteral("focus 42 7"), QStringLiteral("makeMain 7")};

// How the desktop looks when the user picks the target window.
using Desktop = std::function<void(FakePlatform &)>;


WindowRecord ordinary(QRectF bounds = QRectF(10, 20, 800, 600))
{
    return WindowRecord{0, 7, 42, QStringLiteral("Editor"), QStringLiteral("notes.txt"), bounds};
}

qint32 ownPid()
{
    return static_cast<qint32>(QCoreApplication::applicationPid());
}

} // namespace

Q_DECLARE_METATYPE(WindowRecord)
Q_DECLARE_METATYPE(Desktop)

// Which windows the switcher lists, and raising the one picked.
class WindowListTest : public QObject {
    Q_OBJECT
private slots:
    void keepsOnlyOrdinaryWindows_data()
    {
        QTest::addColumn<WindowRecord>("record");
        QTest::addColumn<bool>("kept");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        auto with = [](auto change) {
            WindowRecord record = ordinary();
            change(record);
            return record;
        };
        QTest::newRow("ordinary") << ordinary() << true;
        QTest::newRow("60 x 60 passes") << ordinary(QRectF(0, 0, 60, 60)) << true;
        QTest::newRow("59 x 400 dropped") << ordinary(QRectF(0, 0, 59, 400)) << false;
        QTest::newRow("400 x 59.9 dropped") << ordinary(QRectF(0, 0, 400, 59.9)) << false;
        QTest::newRow("NaN width dropped") << ordinary(QRectF(0, 0, nan, 400)) << false;
        QTest::newRow("no bounds dropped") << with([](WindowRecord &r) { r.bounds.reset(); }) << false;
        QTest::newRow("layer 25 dropped") << with([](WindowRecord &r) { r.layer = 25; }) << false;
        QTest::newRow("layer -1 dropped") << with([](WindowRecord &r) { r.layer = -1; }) << false;
        QTest::newRow("no layer dropped") << with([](WindowRecord &r) { r.layer.reset(); }) << false;
        QTest::newRow("no number dropped") << with([](WindowRecord &r) { r.number.reset(); }) << false;
        QTest::newRow("no owner dropped") << with([](WindowRecord &r) { r.ownerPid.reset(); }) << false;
        QTest::newRow("no title kept") << with([](WindowRecord &r) { r.title.reset(); }) << true;
    }

    void keepsOnlyOrdinaryWindows()
    {
        QFETCH(WindowRecord, record);
        QFETCH(bool, kept);
        FakePlatform platform;
        platform.windows.records = {record};
        QCOMPARE(listWindows(platform, std::nullopt).size(), kept ? 1 : 0);
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
        QCOMPARE(windows.at(1).id, 3u);
        QCOMPARE(windows.at(1).bundleID, std::nullopt);
        QCOMPARE(windows.at(2).appName, QStringLiteral("?"));
        QCOMPARE(windows.at(2).title, QString());
        QCOMPARE(windows.at(3).bundleID, std::optional<QString>(QStringLiteral("org.example.Editor")));
        QCOMPARE(windows.at(4).bundleID, std::nullopt);
        // An absent answer is remembered within the call too...
        QCOMPARE(platform.appList.bundleLookups.value(42), 1);
        QCOMPARE(platform.appList.bundleLookups.value(77), 1);
        // ...but not between calls: an app may have been replaced since.
        listWindows(platform, std::nullopt);
        QCOMPARE(platform.appList.bundleLookups.value(42), 2);
    }

    void excludesOnlyTheGivenProcessAndNoAnswerGivesNoWindows()
    {
        FakePlatform platform;
        platform.windows.addWindow(1, 42, QStringLiteral("Editor"), QStringLiteral("a"));
        platform.windows.addWindow(2, 43, QStringLiteral("Shell"), QStringLiteral("b"));
        platform.windows.addWindow(3, 42, QStringLiteral("Editor"), QStringLiteral("c"));

        const QList<WindowInfo> others = listWindows(platform, 42);
        QCOMPARE(others.size(), 1);
        QCOMPARE(others.at(0).pid, 43);
        QCOMPARE(listWindows(platform, 99).size(), 3);

        platform.windows.unavailable = true;
        QVERIFY(listWindows(platform, std::nullopt).isEmpty());
    }

    void printAllWindowsWritesOneLinePerWindow()
    {
        FakePlatform platform;
        LogCapture log;
        platform.windows.addWindow(1234, 42, QStringLiteral("Finder"), QStringLiteral("Documents"),
                                   QRectF(0, 0, 800.9, 600.2));
        platform.windows.addWindow(88, 43, QStringLiteral("Terminal"), QString(), QRectF(-5, 3, 61, 1080));
        platform.windows.addWindow(5, ownPid(), QStringLiteral("Lettergate"), QStringLiteral("panel"));

        printAllWindows(platform);
        QCOMPARE(log.lines, (QStringList{
                                QStringLiteral("[Lettergate] Enumerated 2 windows:"),
                                QStringLiteral("  [0] Finder  #1234  'Documents'  800x600"),
                                QStringLiteral("  [1] Terminal  #88  '(no title / needs Screen Recording permission)'  61x1080"),
                            }));

        // No windows: the header alone.
        log.clear();
        platform.windows.records.clear();
        printAllWindows(platform);
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] Enumerated 0 windows:")});
    }

    void activatesExactlyTheTargetOrReportsWhyNot_data()
    {
        QTest::addColumn<Desktop>("desktop");
        QTest::addColumn<bool>("activated");
        QTest::addColumn<QStringList>("acts");
        QTest::addColumn<QString>("logged");

        QTest::newRow("restored first when minimised")
            << Desktop([](FakePlatform &p) { p.ax.minimized[7] = true; }) << true
            << QStringList{QStringLiteral("setMinimized 7 0")} + raiseSequence << switched;
        QTest::newRow("not minimised: no write of it")
            << Desktop([](FakePlatform &p) { p.ax.minimized[7] = false; }) << true << raiseSequence << switched;
        QTest::newRow("minimised state unknown: no write of it")
            << Desktop([](FakePlatform &) {}) << true << raiseSequence << switched;
        QTest::newRow("an app that quit meanwhile still reports what was sent")
            << Desktop([](FakePlatform &p) { p.appList.terminated.insert(42); }) << true << raiseSequence << switched;
        QTest::newRow("only the window with the exact number")
            << Desktop([](FakePlatform &p) {
                   p.ax.elements[42] = {100, 101, 102, 103};
                   p.ax.numberOf[100] = std::nullopt; // the number cannot be read
                   p.ax.numberOf[101] = 8;            // another window of the app
                   p.ax.numberOf[102] = 7;
                   p.ax.numberOf[103] = 7; // a later duplicate is never reached
               })
            << true
            << QStringList{QStringLiteral("raise 102"), QStringLiteral("focus 42 102"), QStringLiteral("makeMain 102")}
            << switched;
        QTest::newRow("without permission nothing is sent")
            << Desktop([](FakePlatform &p) { p.ax.trusted = false; }) << false << QStringList()
            << QStringLiteral("[Lettergate] accessibility not authorized, cannot switch windows");
        QTest::newRow("the window list cannot be read")
            << Desktop([](FakePlatform &p) { p.ax.errors[42] = -25204; }) << false << QStringList()
            << QStringLiteral("[Lettergate] cannot get AX window list for pid=42 (err=-25204)");
        QTest::newRow("the query answers no list")
            << Desktop([](FakePlatform &p) { p.ax.elements.remove(42); }) << false << QStringList()
            << QStringLiteral("[Lettergate] cannot get AX window list for pid=42 (err=0)");
        QTest::newRow("no window has the number")
            << Desktop([](FakePlatform &p) {
                   p.ax.elements[42] = {5, 6};
                   p.ax.numberOf[6] = std::nullopt;
               })
            << false << QStringList() << noMatch;
    }

    void activatesExactlyTheTargetOrReportsWhyNot()
    {
        QFETCH(Desktop, desktop);
        QFETCH(bool, activated);
        QFETCH(QStringList, acts);
        QFETCH(QString, logged);
        FakePlatform platform;
        LogCapture log;
        platform.ax.elements[42] = {7};
        desktop(platform);

        QCOMPARE(activateWindow(platform, target), activated);
        QCOMPARE(platform.ax.acts, acts);
        QCOMPARE(platform.appList.activations, activated ? QList<qint32>{42} : QList<qint32>());
        QCOMPARE(log.lines, QStringList{logged});
        QCOMPARE(platform.ax.trustRequests, 0); // never a prompt from here
    }
};

QTEST_GUILESS_MAIN(WindowListTest)
#include "window_list_test.moc"
