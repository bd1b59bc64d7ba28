#include "RunningProgram.h"
#include "XResources.h"
#include "x11/X11TestSupport.h"

#include <QTest>
#include <deque>
#include <memory>

using Reliability::panelHasFocus;
using Reliability::panelIsMapped;
using Reliability::pressKeys;
using X11Test::HelperWindow;

namespace {

// A window picture is at most 720 pixels on its longer side: about 1.5 MiB each for
// these windows, so a cache that kept the pictures of closed windows would outgrow
// the bound below within the quick round already (one new window every third cycle).
constexpr qint64 residentGrowthBoundKiB = 24 * 1024;
// X resources may come and go with the panel's state; a leak grows with every opening.
constexpr quint32 resourceSlack = 10;
constexpr int livingHelpers = 3;

QString describe(const QMap<QString, quint32> &counts)
{
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        parts.append(QStringLiteral("%1 %2").arg(it.key()).arg(it.value()));
    return parts.join(QStringLiteral(", "));
}

} // namespace

// The panel opened and closed over and over in a session where windows come and go:
// the program's memory stays flat, it leaks no X resources or grabs, and its window
// pictures do not pile up.
class LongSessionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(m_program.start(), m_program.output().constData()); }

    void panelOpensAndClosesWithoutGrowing()
    {
        const int cycles = Reliability::rounds(60, 1000);
        const int warmUp = cycles / 4;
        std::deque<std::unique_ptr<HelperWindow>> helpers;
        qint64 residentWarm = 0;
        QMap<QString, quint32> resourcesWarm;
        int windowsStarted = 0;

        for (int cycle = 0; cycle < cycles; ++cycle) {
            if (cycle % 3 == 0) {
                helpers.push_back(std::make_unique<HelperWindow>(QStringList{
                    "--title", QStringLiteral("Coming and going %1").arg(cycle), "--class", "going,Going",
                    "--size", "1000x750", "--color", QStringLiteral("%1").arg((0x203040 + cycle * 0x10101) & 0xffffff, 6, 16, QLatin1Char('0'))}));
                QVERIFY(helpers.back()->isValid());
                QVERIFY(X11Test::waitUntilManaged(helpers.back()->window()));
                ++windowsStarted;
                if (helpers.size() > livingHelpers)
                    helpers.pop_front();
            }
            pressKeys(QStringLiteral("ctrl+alt+w"));
            QVERIFY2(QTest::qWaitFor(panelHasFocus, 5000), qPrintable(QStringLiteral("cycle %1: not opened").arg(cycle)));
            // Closed by the trigger and by Escape in turn: the two ways out.
            pressKeys(cycle % 2 ? QStringLiteral("Escape") : QStringLiteral("ctrl+alt+w"));
            QVERIFY2(QTest::qWaitFor([] { return !panelIsMapped(); }, 5000),
                     qPrintable(QStringLiteral("cycle %1: not closed").arg(cycle)));
            if (cycle + 1 == warmUp) {
                settle();
                residentWarm = m_program.residentKiB();
                resourcesWarm = XResources::countsOf(m_client.connection(), m_program.pid());
            }
        }
        helpers.clear();
        settle();
        const qint64 residentEnd = m_program.residentKiB();
        const QMap<QString, quint32> resourcesEnd = XResources::countsOf(m_client.connection(), m_program.pid());

        Reliability::reportFigure(QStringLiteral("panel openings"), QString::number(cycles));
        Reliability::reportFigure(QStringLiteral("windows started and closed"), QString::number(windowsStarted));
        Reliability::reportFigure(QStringLiteral("RSS after warm-up/at the end"),
                                  QStringLiteral("%1 / %2 MiB").arg(residentWarm / 1024.0, 0, 'f', 1).arg(residentEnd / 1024.0, 0, 'f', 1));
        Reliability::reportFigure(QStringLiteral("X resources after warm-up"), describe(resourcesWarm));
        Reliability::reportFigure(QStringLiteral("X resources at the end"), describe(resourcesEnd));

        QVERIFY2(!RunningProgram::residentSizeShowsGrowth || residentEnd - residentWarm < residentGrowthBoundKiB,
                 qPrintable(QStringLiteral("%1 KiB after warm-up, %2 KiB at the end").arg(residentWarm).arg(residentEnd)));
        QVERIFY(!resourcesWarm.isEmpty());
        for (auto it = resourcesEnd.cbegin(); it != resourcesEnd.cend(); ++it)
            QVERIFY2(it.value() <= resourcesWarm.value(it.key()) + resourceSlack,
                     qPrintable(QStringLiteral("%1: %2 → %3").arg(it.key()).arg(resourcesWarm.value(it.key())).arg(it.value())));

        // Closed, the panel holds no keyboard grab: another client can take the keyboard.
        const auto grab = xcb_grab_keyboard_reply(
            m_client.connection(),
            xcb_grab_keyboard(m_client.connection(), 0, m_client.root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                              XCB_GRAB_MODE_ASYNC),
            nullptr);
        QVERIFY(grab);
        const uint8_t status = grab->status;
        std::free(grab);
        xcb_ungrab_keyboard(m_client.connection(), XCB_CURRENT_TIME);
        xcb_flush(m_client.connection());
        QCOMPARE(status, uint8_t(XCB_GRAB_STATUS_SUCCESS));
    }

private:
    // Lets the prefetch that follows every hide finish before anything is counted.
    static void settle() { QTest::qWait(1500); }

    RunningProgram m_program;
    X11Test::OtherClient m_client;
};

QTEST_GUILESS_MAIN(LongSessionTest)
#include "long_session_test.moc"
