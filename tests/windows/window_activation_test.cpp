#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "windows/WindowActivation.h"

#include <QTest>

namespace {

const WindowInfo target{7, 42, QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
                        QStringLiteral("notes.txt"), QRectF(0, 0, 800, 600)};
const QString switched = QStringLiteral("[Lettergate] ✅ switched → Editor #7 'notes.txt'");
const QStringList raiseSequence{QStringLiteral("raise 7"), QStringLiteral("focus 42 7"), QStringLiteral("makeMain 7")};

} // namespace

class WindowActivationTest : public QObject {
    Q_OBJECT
private slots:
    void withoutPermissionNothingIsSent()
    {
        FakePlatform platform;
        LogCapture log;
        platform.ax.trusted = false;
        platform.ax.elements[42] = {7};

        QVERIFY(!activateWindow(target));
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] accessibility not authorized, cannot switch windows")});
        QVERIFY(platform.ax.acts.isEmpty());
        QVERIFY(platform.appList.activations.isEmpty());
        QCOMPARE(platform.ax.trustRequests, 0); // no prompt from here
    }

    void anUnusableWindowListCarriesTheStatus()
    {
        FakePlatform platform;
        LogCapture log;
        platform.ax.errors[42] = -25204;
        QVERIFY(!activateWindow(target));

        platform.ax.errors.clear(); // the query succeeds but answers no list
        QVERIFY(!activateWindow(target));

        QCOMPARE(log.lines, (QStringList{QStringLiteral("[Lettergate] cannot get AX window list for pid=42 (err=-25204)"),
                                         QStringLiteral("[Lettergate] cannot get AX window list for pid=42 (err=0)")}));
        QVERIFY(platform.ax.acts.isEmpty());
        QVERIFY(platform.appList.activations.isEmpty());
    }

    void aMinimisedTargetIsRestoredThenRaised()
    {
        FakePlatform platform;
        LogCapture log;
        platform.ax.elements[42] = {7};
        platform.ax.minimized[7] = true;

        QVERIFY(activateWindow(target));
        QCOMPARE(platform.ax.acts, QStringList{QStringLiteral("setMinimized 7 0")} + raiseSequence);
        QCOMPARE(platform.appList.activations, QList<qint32>{42});
        QCOMPARE(log.lines, QStringList{switched});
    }

    void aTargetNotKnownToBeMinimisedGetsNoMinimisedWrite()
    {
        for (std::optional<bool> minimized : {std::optional<bool>(false), std::optional<bool>()}) {
            FakePlatform platform;
            LogCapture log;
            platform.ax.elements[42] = {7};
            if (minimized)
                platform.ax.minimized[7] = *minimized;

            QVERIFY(activateWindow(target));
            QCOMPARE(platform.ax.acts, raiseSequence);
            QCOMPARE(platform.appList.activations, QList<qint32>{42});
            QCOMPARE(log.lines, QStringList{switched});
        }
    }

    void onlyTheWindowWithTheExactNumberIsActedOn()
    {
        FakePlatform platform;
        platform.ax.elements[42] = {100, 101, 102, 103};
        platform.ax.numberOf[100] = std::nullopt; // the number cannot be read
        platform.ax.numberOf[101] = 8;            // another window of the app
        platform.ax.numberOf[102] = 7;
        platform.ax.numberOf[103] = 7;            // a later duplicate is never reached

        QVERIFY(activateWindow(target));
        QCOMPARE(platform.ax.acts,
                 (QStringList{QStringLiteral("raise 102"), QStringLiteral("focus 42 102"), QStringLiteral("makeMain 102")}));
    }

    void noMatchingWindowActivatesNothing()
    {
        FakePlatform platform;
        LogCapture log;
        platform.ax.elements[42] = {5, 6};
        platform.ax.numberOf[6] = std::nullopt;

        QVERIFY(!activateWindow(target));
        platform.ax.elements[42] = {}; // a window list that is empty but valid
        QVERIFY(!activateWindow(target));

        QCOMPARE(log.lines, (QStringList{QStringLiteral("[Lettergate] no AX window matches CGWindowID=7 (app=Editor)"),
                                         QStringLiteral("[Lettergate] no AX window matches CGWindowID=7 (app=Editor)")}));
        QVERIFY(platform.ax.acts.isEmpty());
        QVERIFY(platform.appList.activations.isEmpty());
    }

    void aVanishedApplicationStillReportsTheSequenceSent()
    {
        FakePlatform platform;
        LogCapture log;
        platform.ax.elements[42] = {7};
        platform.appList.terminated.insert(42);

        QVERIFY(activateWindow(target));
        QCOMPARE(platform.ax.acts, raiseSequence);
        QCOMPARE(log.lines, QStringList{switched});
    }
};

QTEST_GUILESS_MAIN(WindowActivationTest)
#include "window_activation_test.moc"
