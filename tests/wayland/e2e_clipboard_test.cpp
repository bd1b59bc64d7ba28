#include "WaylandTestSupport.h"
#include "reliability/RunningProgram.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

namespace {

const QString copied = QStringLiteral("copied on Wayland while the program had no window ✓");

} // namespace

// The clipboard of the real program on a headless sway: another client's copy reaches
// the history while no window of the program has the focus, and the clipboard page pastes
// it into the window that had the focus before the panel.
class EndToEndClipboardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_notes.waitUntilShown() && m_keyboard.isRunning());
        QVERIFY2(m_program.start(), m_program.output().constData());
        // Once opened and closed, the program has started every part of it: the copy
        // below is one made while it runs, not one it finds when it starts.
        const qsizetype from = m_notes.lines().size();
        QVERIFY(m_program.ask({QStringLiteral("toggle")}));
        VERIFY_OR_REPORT(m_program, m_notes.waitForLine(QStringLiteral("focus: out"), from));
        QVERIFY(m_keyboard.type(QStringLiteral("Escape")));
        QVERIFY(m_notes.waitForLine(QStringLiteral("focus: in"), from));
    }

    void aCopyMadeWhileTheProgramIsUnfocusedIsRecorded()
    {
        QVERIFY(WaylandTest::focus(QStringLiteral("Notes")));
        QVERIFY(QTest::qWaitFor([] { return WaylandTest::focusedAppId() == QStringLiteral("org.lettergate.Notes"); }));
        // wl-copy stays the owner of the selection until it is ended.
        m_copier.emplace(QStringLiteral("wl-copy"), QStringList{QStringLiteral("--foreground"), copied});
        const QString file = m_program.dataDirectory() + QStringLiteral("/clipboard.json");
        VERIFY_OR_REPORT(m_program, QTest::qWaitFor([&] {
                             const QJsonArray entries = Reliability::readJsonArray(file).value_or(QJsonArray());
                             return entries.at(0).toObject().value(QStringLiteral("text")).toString() == copied;
                         }));
    }

    void vThenOnePastesTheNewestClipIntoTheWindowThatHadTheFocus()
    {
        QVERIFY(WaylandTest::focusedAppId() == QStringLiteral("org.lettergate.Notes"));
        const qsizetype from = m_notes.lines().size();
        QVERIFY(m_program.ask({QStringLiteral("toggle")}));
        VERIFY_OR_REPORT(m_program, m_notes.waitForLine(QStringLiteral("focus: out"), from));
        QVERIFY(m_keyboard.type(QStringLiteral("v 1")));
        QCOMPARE(m_notes.waitForLine(QStringLiteral("text: "), from), QStringLiteral("text: ") + copied);
    }

private:
    WaylandTest::TestKeyboard m_keyboard;
    WaylandTest::HelperWindow m_notes{QStringLiteral("org.lettergate.Notes"), QStringLiteral("Notes")};
    std::optional<WaylandTest::Client> m_copier;
    RunningProgram m_program{RunningProgram::Session::wayland};
};

QTEST_MAIN(EndToEndClipboardTest)
#include "e2e_clipboard_test.moc"
