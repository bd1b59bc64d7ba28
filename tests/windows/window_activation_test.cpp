#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "windows/WindowActivation.h"

#include <QTest>
#include <functional>

namespace {

const WindowInfo target{7, 42, QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
                        QStringLiteral("notes.txt"), QRectF(0, 0, 800, 600)};
const QString switched = QStringLiteral("[Lettergate] ✅ switched → Editor #7 'notes.txt'");
const QString noMatch = QStringLiteral("[Lettergate] no AX window matches CGWindowID=7 (app=Editor)");
const QStringList raiseSequence{QStringLiteral("raise 7"), QStringLiteral("focus 42 7"), QStringLiteral("makeMain 7")};

// How the desktop looks when the user picks the target window.
using Desktop = std::function<void(FakePlatform &)>;

} // namespace

Q_DECLARE_METATYPE(Desktop)

class WindowActivationTest : public QObject {
    Q_OBJECT
private slots:
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
        QTest::newRow("an empty window list")
            << Desktop([](FakePlatform &p) { p.ax.elements[42] = {}; }) << false << QStringList() << noMatch;
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

QTEST_GUILESS_MAIN(WindowActivationTest)
#include "window_activation_test.moc"
