#include "X11TestSupport.h"
#include "platform/OwnWindows.h"
#include "platform/x11/X11Platform.h"
#include "support/LogCapture.h"

#include <QTest>
#include <QWindow>

namespace {

bool windowManagerHolds(WId window)
{
    const QString state = X11Test::run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                                                 QStringLiteral("WM_STATE")});
    return state.contains(QStringLiteral("Normal")) || state.contains(QStringLiteral("Iconic"));
}

} // namespace

// A window of ours shown again right after it was hidden, as the panel is when the
// trigger follows Escape: the window manager must have let go of it first, or it may
// finish the withdrawal after the new map and leave the window unmapped for good.
class WithdrawalTest : public QObject {
    Q_OBJECT

private slots:
    void aWindowShownAgainAtOnceIsManagedAgain()
    {
        const std::unique_ptr<X11Platform> platform = X11Platform::connect();
        QVERIFY(platform);
        QWindow window;
        window.resize(240, 120);
        bool ran = false;
        // Never shown, nobody holds it: no wait.
        platform->ownWindows().whenWithdrawn(window.winId(), [&] { ran = true; });
        QVERIFY(ran);
        window.show();
        QVERIFY(X11Test::waitUntilManaged(quint32(window.winId())));

        LogCapture log;
        constexpr int rounds = 15;
        for (int round = 0; round < rounds; ++round) {
            window.hide();
            ran = false;
            bool heldWhenShown = true;
            platform->ownWindows().whenWithdrawn(window.winId(), [&] {
                heldWhenShown = windowManagerHolds(window.winId());
                window.show();
                ran = true;
            });
            QTRY_VERIFY(ran);
            QVERIFY2(!heldWhenShown, qPrintable(QStringLiteral("round %1").arg(round)));
            QVERIFY2(X11Test::waitUntilManaged(quint32(window.winId())), qPrintable(QStringLiteral("round %1").arg(round)));
            QVERIFY(windowManagerHolds(window.winId()));
        }
        // Openbox says when it lets go; the grace period (one log line each time) is for
        // window managers that do not. On a busy machine openbox may now and then take
        // longer than that, but a watch that never heard it would wait out every round.
        QVERIFY2(log.lines.size() < rounds / 2, qPrintable(log.lines.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(WithdrawalTest)
#include "withdrawal_test.moc"
