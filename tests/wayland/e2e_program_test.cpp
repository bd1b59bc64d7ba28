#include "WaylandTestSupport.h"
#include "platform/BuildInfo.h"
#include "reliability/RunningProgram.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QTest>

using WaylandTest::HelperWindow;

namespace {

const QString notesAppId = QStringLiteral("org.lettergate.Notes");

} // namespace

// The real program on a headless sway with real Wayland clients, driven from outside as
// a person drives it: its socket's verbs, the one keyboard of the seat, sway's own
// account of which window has the focus, and another client's copies.
class EndToEndProgramTest : public QObject {
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
        // under one letter, numbered within their app front-most first.
        QList<Reliability::ReportedWindow> windows;
        QVERIFY2(QTest::qWaitFor([&] {
                     windows = Reliability::reportedWindows(m_program.ask({QStringLiteral("windows")}).value_or(QString()));
                     return windows.size() == 3;
                 }),
                 qPrintable(m_program.ask({QStringLiteral("windows")}).value_or(QStringLiteral("(no answer)"))));
        std::ranges::sort(windows, {}, [](const Reliability::ReportedWindow &w) { return w.title.startsWith(u"Notes "); });
        const Reliability::ReportedWindow foot = windows.takeFirst();
        std::ranges::sort(windows, {}, &Reliability::ReportedWindow::title);
        QVERIFY2(foot.app.contains(QStringLiteral("foot"), Qt::CaseInsensitive), qPrintable(foot.app));
        QCOMPARE(foot.number, 1);
        QVERIFY(foot.letter != QStringLiteral("-"));
        QCOMPARE(windows[0].title, QStringLiteral("Notes one"));
        QCOMPARE(windows[1].title, QStringLiteral("Notes two"));
        QCOMPARE(windows[0].number + windows[1].number, 3);
        QCOMPARE(windows[0].letter + windows[0].app, windows[1].letter + windows[1].app);
        QVERIFY(windows[0].letter != foot.letter && windows[0].app != foot.app);

        // The panel takes the keyboard from the window under it, and foot's letter typed
        // into it goes to the panel, not to that window, which sway then agrees is
        // the focused one.
        qsizetype from = 0;
        VERIFY_OR_REPORT(m_program, openPanelOverNotes(from));
        // An overlay above the windows, not a window of its own among them: sway lists no
        // window of ours, and none of its windows has the focus.
        QVERIFY(!WaylandTest::shows(QStringLiteral("app_id"), QString::fromUtf8(BuildInfo::appId)));
        QCOMPARE(WaylandTest::focusedWindow(), QJsonObject());
        QVERIFY(m_keyboard.type(foot.letter));
        VERIFY_OR_REPORT(m_program,
                         QTest::qWaitFor([] { return WaylandTest::focusedAppId() == QStringLiteral("foot"); }));
        QVERIFY(!m_notes.waitForLine(QStringLiteral("text: "), from, 0));

        // Escape hands the keyboard back to the window that had it: typing goes on there.
        VERIFY_OR_REPORT(m_program, openPanelOverNotes(from));
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

    // After the panel has opened: the copy is one made while the program runs, with no
    // window of the program focused, not one it finds when it starts.
    void aCopyMadeWhileTheProgramIsUnfocusedIsRecordedAndVThenOnePastesIt()
    {
        const QString copied = QStringLiteral("copied on Wayland while the program had no window ✓");
        QVERIFY(focusNotes());
        // wl-copy stays the owner of the selection until it is ended.
        WaylandTest::Client copier(QStringLiteral("wl-copy"), {QStringLiteral("--foreground"), copied});
        const QString file = m_program.dataDirectory() + QStringLiteral("/clipboard.json");
        VERIFY_OR_REPORT(m_program, QTest::qWaitFor([&] {
                             const QJsonArray entries = Reliability::readJsonArray(file).value_or(QJsonArray());
                             return entries.at(0).toObject().value(QStringLiteral("text")).toString() == copied;
                         }));
        // Pasted into the window that had the focus before the panel.
        qsizetype from = 0;
        VERIFY_OR_REPORT(m_program, openPanelOverNotes(from));
        QVERIFY(m_keyboard.type(QStringLiteral("v 1")));
        QCOMPARE(m_notes.waitForLine(QStringLiteral("text: "), from), QStringLiteral("text: ") + copied);
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

    // Opens the panel over Notes one, which then has lost the keyboard; from: the first
    // of Notes' lines since.
    bool openPanelOverNotes(qsizetype &from)
    {
        if (!focusNotes())
            return false;
        from = m_notes.lines().size();
        return m_program.ask({QStringLiteral("toggle")}) && m_notes.waitForLine(QStringLiteral("focus: out"), from);
    }

    WaylandTest::TestKeyboard m_keyboard;
    HelperWindow m_moreNotes{notesAppId, QStringLiteral("Notes two")};
    WaylandTest::Client m_foot{QStringLiteral("foot"), {QStringLiteral("cat")}};
    HelperWindow m_notes{notesAppId, QStringLiteral("Notes one")};
    RunningProgram m_program{RunningProgram::Session::wayland};
};

QTEST_MAIN(EndToEndProgramTest)
#include "e2e_program_test.moc"
