#include "WaylandTestSupport.h"
#include "platform/BuildInfo.h"
#include "reliability/RunningProgram.h"

#include <QElapsedTimer>
#include <QTest>

using WaylandTest::HelperWindow;

namespace {

const QString notesAppId = QStringLiteral("org.lettergate.Notes");

} // namespace

// The real program on a headless sway with real Wayland clients, driven from outside as
// a person drives it: its socket's verbs, the one keyboard of the seat, and sway's own
// account of which window has the focus.
class EndToEndSwitchTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_notes.waitUntilShown() && m_moreNotes.waitUntilShown() && m_keyboard.isRunning());
        QVERIFY(QTest::qWaitFor([] { return WaylandTest::shows(QStringLiteral("app_id"), QStringLiteral("foot")); }));
        // The trigger is a double tap of Super: on Wayland the compositor's key binding
        // runs `lettergate tap super` at each bare tap.
        m_program.writeSettings("[General]\nLettergate.hotkey={\\\"doubleModifier\\\":{\\\"_0\\\":\\\"command\\\"}}\n");
        QVERIFY2(m_program.start(), m_program.output().constData());
    }

    void aLetterTypedIntoThePanelActivatesItsAppsWindowAndEscapeGivesTheKeyboardBack()
    {
        // Listed under their apps: foot's one window, and both windows of the Notes app
        // under one letter.
        QList<Reliability::ReportedWindow> windows;
        QVERIFY2(QTest::qWaitFor([&] {
                     windows = Reliability::reportedWindows(m_program.ask({QStringLiteral("windows")}).value_or(QString()));
                     return windows.size() == 3;
                 }),
                 qPrintable(m_program.ask({QStringLiteral("windows")}).value_or(QStringLiteral("(no answer)"))));
        const auto foot = std::ranges::find_if(windows, [](const Reliability::ReportedWindow &w) {
            return w.app.contains(QStringLiteral("foot"), Qt::CaseInsensitive);
        });
        VERIFY_OR_REPORT(m_program, foot != windows.end());
        QCOMPARE(foot->number, 1);
        QVERIFY(foot->letter != QStringLiteral("-"));
        // Numbered within their app front-most first, so in either order.
        QStringList notes;
        QList<int> numbers;
        for (const Reliability::ReportedWindow &window : std::as_const(windows)) {
            if (window.title.startsWith(QStringLiteral("Notes "))) {
                notes.append(QStringList{window.letter, window.app, window.title}.join(u' '));
                numbers.append(window.number);
            }
        }
        notes.sort();
        std::ranges::sort(numbers);
        QCOMPARE(numbers, (QList<int>{1, 2}));
        const QString notesApp = notes.value(0).section(u' ', 0, 1);
        QVERIFY(notesApp != foot->letter + u' ' + foot->app);
        QCOMPARE(notes, (QStringList{notesApp + QStringLiteral(" Notes one"), notesApp + QStringLiteral(" Notes two")}));

        // The panel takes the keyboard from the window under it, and foot's letter typed
        // into it goes to the panel, not to that window, which sway then agrees is
        // the focused one.
        QVERIFY(focusNotes());
        qsizetype from = m_notes.lines().size();
        QVERIFY(m_program.ask({QStringLiteral("toggle")}));
        VERIFY_OR_REPORT(m_program, m_notes.waitForLine(QStringLiteral("focus: out"), from));
        // An overlay above the windows, not a window of its own among them: sway lists no
        // window of ours, and none of its windows has the focus.
        QVERIFY(!WaylandTest::shows(QStringLiteral("app_id"), QString::fromUtf8(BuildInfo::appId)));
        QCOMPARE(WaylandTest::focusedWindow(), QJsonObject());
        QVERIFY(m_keyboard.type(foot->letter));
        VERIFY_OR_REPORT(m_program,
                         QTest::qWaitFor([] { return WaylandTest::focusedAppId() == QStringLiteral("foot"); }));
        QVERIFY(!m_notes.waitForLine(QStringLiteral("text: "), from, 0));

        // Escape hands the keyboard back to the window that had it: typing goes on there.
        QVERIFY(focusNotes());
        from = m_notes.lines().size();
        QVERIFY(m_program.ask({QStringLiteral("toggle")}));
        QVERIFY(m_notes.waitForLine(QStringLiteral("focus: out"), from));
        QVERIFY(m_keyboard.type(QStringLiteral("Escape")));
        QVERIFY(m_notes.waitForLine(QStringLiteral("focus: in"), from));
        QVERIFY(m_keyboard.type(QStringLiteral("o k")));
        QCOMPARE(m_notes.waitForLine(QStringLiteral("text: ok"), from), QStringLiteral("text: ok"));
    }

    void twoTapsOfSuperWithinTheIntervalOpenThePanel()
    {
        QVERIFY(focusNotes());
        const qsizetype from = m_notes.lines().size();
        // A single tap is no trigger.
        QVERIFY(m_program.ask({QStringLiteral("tap"), QStringLiteral("super")}));
        QVERIFY(!m_notes.waitForLine(QStringLiteral("focus: out"), from, 600));

        QElapsedTimer taps;
        taps.start();
        QVERIFY(m_program.ask({QStringLiteral("tap"), QStringLiteral("super")}));
        QVERIFY(m_program.ask({QStringLiteral("tap"), QStringLiteral("super")}));
        const qint64 apart = taps.elapsed();
        if (!m_notes.waitForLine(QStringLiteral("focus: out"), from))
            QFAIL(qPrintable(QStringLiteral("the taps came %1 ms apart\n").arg(apart) + m_program.stateReport()));
        QVERIFY(m_keyboard.type(QStringLiteral("Escape")));
        QVERIFY(m_notes.waitForLine(QStringLiteral("focus: in"), from));
    }

private:
    // Notes one focused, as sway and the window itself see it.
    bool focusNotes()
    {
        return WaylandTest::focus(QStringLiteral("Notes one")) && QTest::qWaitFor([this] {
                   return WaylandTest::focusedTitle() == QStringLiteral("Notes one")
                       && m_notes.lastLine(QStringLiteral("focus: ")) == QStringLiteral("focus: in");
               });
    }

    WaylandTest::TestKeyboard m_keyboard;
    HelperWindow m_moreNotes{notesAppId, QStringLiteral("Notes two")};
    WaylandTest::Client m_foot{QStringLiteral("foot"), {QStringLiteral("cat")}};
    HelperWindow m_notes{notesAppId, QStringLiteral("Notes one")};
    RunningProgram m_program{RunningProgram::Session::wayland};
};

QTEST_MAIN(EndToEndSwitchTest)
#include "e2e_switch_test.moc"
