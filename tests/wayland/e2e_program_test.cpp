#include "WaylandTestSupport.h"
#include "platform/BuildInfo.h"
#include "reliability/RunningProgram.h"

#include <QJsonObject>
#include <QTest>

using namespace lettergate;

// The real program on a headless sway with real Wayland clients, driven from outside as
// a person drives it: its socket's verbs, the one keyboard of the seat, sway's own
// account of which window has the focus, and another client's copies. The backend's
// parts are proven on their own beside this; here they are wired together.
class EndToEndProgramTest : public QObject {
    Q_OBJECT

private slots:
    void aLetterActivatesItsAppsWindowAndACopyIsPastedFromThePanel()
    {
        const QString notesAppId = QStringLiteral("org.lettergate.Notes");
        WaylandTest::TestKeyboard keyboard;
        WaylandTest::HelperWindow moreNotes{notesAppId, QStringLiteral("Notes two")};
        WaylandTest::Client foot{QStringLiteral("foot"), {QStringLiteral("cat")}};
        WaylandTest::HelperWindow notes{notesAppId, QStringLiteral("Notes one")};
        QVERIFY(notes.waitUntilShown() && moreNotes.waitUntilShown() && keyboard.isRunning());
        QVERIFY(QTest::qWaitFor([] { return WaylandTest::shows(QStringLiteral("app_id"), QStringLiteral("foot")); }));
        RunningProgram program{RunningProgram::Session::wayland};
        // The trigger is a double tap of Super: on Wayland the compositor's key binding
        // runs `lettergate tap super` at each bare tap.
        program.writeSettings("[General]\nLettergate.hotkey={\\\"doubleModifier\\\":{\\\"_0\\\":\\\"command\\\"}}\n");
        QVERIFY2(program.start(), program.output().constData());

        // Listed under their apps: both windows of the Notes app under one letter, foot's
        // under another.
        QList<Reliability::ReportedWindow> windows;
        QVERIFY2(QTest::qWaitFor([&] {
                     windows = Reliability::reportedWindows(
                         program.ask({QStringLiteral("windows")}).value_or(QString()));
                     return windows.size() == 3;
                 }),
                 qPrintable(program.ask({QStringLiteral("windows")}).value_or(QStringLiteral("(no answer)"))));
        QMap<QString, QString> letters;
        for (const Reliability::ReportedWindow &window : std::as_const(windows))
            letters.insert(window.title.startsWith(u"Notes ") ? window.title : QStringLiteral("foot"), window.letter);
        QCOMPARE(letters.value(QStringLiteral("Notes one")), letters.value(QStringLiteral("Notes two")));
        QVERIFY(letters.value(QStringLiteral("foot")) != letters.value(QStringLiteral("Notes one")));

        // Opens the panel over Notes one, which then has lost the keyboard; from: the
        // first of Notes' lines since.
        qsizetype from = 0;
        const auto openPanelOverNotes = [&] {
            const bool focused = WaylandTest::focus(QStringLiteral("Notes one")) && QTest::qWaitFor([&] {
                                     return WaylandTest::focusedTitle() == QStringLiteral("Notes one")
                                            && notes.lastLine(QStringLiteral("focus: ")) == QStringLiteral("focus: in");
                                 });
            from = notes.lines().size();
            return focused && program.ask({QStringLiteral("toggle")})
                   && notes.waitForLine(QStringLiteral("focus: out"), from);
        };
        // foot's letter typed into the panel goes to the panel, not to the window under
        // it, and activates foot.
        VERIFY_OR_REPORT(program, openPanelOverNotes());
        // An overlay above the windows, not a window of its own among them: sway lists no
        // window of ours, and none of its windows has the focus.
        QVERIFY(!WaylandTest::shows(QStringLiteral("app_id"), QString::fromUtf8(BuildInfo::appId)));
        QCOMPARE(WaylandTest::focusedWindow(), QJsonObject());
        QVERIFY(keyboard.type(letters.value(QStringLiteral("foot"))));
        VERIFY_OR_REPORT(program,
                         QTest::qWaitFor([] { return WaylandTest::focusedAppId() == QStringLiteral("foot"); }));
        QVERIFY(!notes.waitForLine(QStringLiteral("text: "), from, 0));

        // A copy made while no window of the program has the focus is recorded, and v 1
        // pastes it into the window that had the focus before the panel.
        const QString copied = QStringLiteral("copied on Wayland while the program had no window ✓");
        WaylandTest::Client copier(QStringLiteral("wl-copy"), {QStringLiteral("--foreground"), copied});
        VERIFY_OR_REPORT(program, QTest::qWaitFor([&] {
                             const QJsonArray entries = Reliability::readJsonArray(program.dataDirectory()
                                                                                   + QStringLiteral("/clipboard.json"))
                                                            .value_or(QJsonArray());
                             return entries.at(0).toObject().value(QStringLiteral("text")).toString() == copied;
                         }));
        VERIFY_OR_REPORT(program, openPanelOverNotes());
        QVERIFY(keyboard.type(QStringLiteral("v 1")));
        QCOMPARE(notes.waitForLine(QStringLiteral("text: "), from), QStringLiteral("text: ") + copied);
    }
};

QTEST_MAIN(EndToEndProgramTest)
#include "e2e_program_test.moc"
