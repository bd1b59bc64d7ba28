#include "reliability/RunningProgram.h"
#include "x11/X11TestSupport.h"

#include <QTest>
#include <memory>

using namespace lettergate;

using Reliability::panelHasFocus;
using Reliability::panelIsMapped;
using Reliability::pressKeys;
using X11Test::HelperWindow;

namespace {

void openPanel()
{
    pressKeys(QStringLiteral("ctrl+alt+w"));
    QTRY_VERIFY_WITH_TIMEOUT(panelHasFocus(), 5000);
}

} // namespace

// Lettergate as a user meets it: the real program in a session with two other
// applications, one with a single window that accepts pastes and one with two windows.
// The behaviours themselves are proved below the program; this proves them wired.
class EndToEndAppTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_alpha = std::make_unique<HelperWindow>(
            QStringList{"--title", "Alpha notes", "--class", "alpha,Alpha", "--size", "500x400", "--accept-paste"});
        m_delta = std::make_unique<HelperWindow>(QStringList{"--title", "Delta", "--class", "delta,Delta", "--size",
                                                             "500x400", "--position", "600,100", "--windows", "2"});
        QVERIFY(X11Test::waitUntilManaged({m_alpha.get(), m_delta.get()}));
        QVERIFY2(m_program.start(), m_program.output().constData());
    }

    void lettersAndDigitsSwitchAndTheClipboardPastes()
    {
        X11Test::activate(m_delta->window());
        openPanel();
        // Beside the window manager: never framed or listed, so in no taskbar or pager.
        QVERIFY(!X11Test::managedWindows().contains(X11Test::focusedWindow()));
        pressKeys(QStringLiteral("a"));
        QTRY_COMPARE(X11Test::activeWindow(), m_alpha->window());
        QVERIFY(!panelIsMapped());

        openPanel();
        pressKeys(QStringLiteral("d"));
        pressKeys(QStringLiteral("2"));
        QTRY_COMPARE(X11Test::activeWindow(), m_delta->windows().value(1));

        X11Test::run(QStringLiteral("sh"), {"-c", "printf 'hello from the clipboard' | xclip -selection clipboard"});
        X11Test::activate(m_alpha->window());
        openPanel();
        pressKeys(QStringLiteral("v"));
        pressKeys(QStringLiteral("1"));
        QCOMPARE(m_alpha->waitForLine(QStringLiteral("paste: ")), QStringLiteral("paste: hello from the clipboard"));
        QCOMPARE(X11Test::activeWindow(), m_alpha->window());
    }

    void escapeTheTriggerAndTheCommandLineHideThePanel()
    {
        const quint32 previous = m_delta->window();
        X11Test::activate(previous);
        openPanel();
        pressKeys(QStringLiteral("Escape"));
        QTRY_COMPARE(X11Test::activeWindow(), previous);
        openPanel();
        pressKeys(QStringLiteral("ctrl+alt+w"));
        QTRY_VERIFY(!panelIsMapped());
        QVERIFY(m_program.ask({QStringLiteral("toggle")}));
        QTRY_VERIFY_WITH_TIMEOUT(panelHasFocus(), 5000);
        QVERIFY(m_program.ask({QStringLiteral("show")})); // an open panel stays open
        QVERIFY(m_program.ask({QStringLiteral("toggle")}));
        QTRY_VERIFY(!panelIsMapped());
        QTRY_COMPARE(X11Test::activeWindow(), previous);
    }

    void theWindowsVerbListsThemAsThePanelDoesAndQuitEndsTheProgram()
    {
        // Letter, app, number, id, title; the program's own windows are not listed.
        const std::optional<QString> listing = m_program.ask({QStringLiteral("windows")});
        QVERIFY(listing);
        const QStringList lines = listing->split(u'\n', Qt::SkipEmptyParts);
        for (const QString &line :
             {QStringLiteral("a\tAlpha\t1\t0x%1\tAlpha notes").arg(m_alpha->window(), 0, 16),
              QStringLiteral("d\tDelta\t2\t0x%1\tDelta 2").arg(m_delta->windows().value(1), 0, 16)})
            QVERIFY2(lines.contains(line), qPrintable(*listing));
        QVERIFY2(lines.filter(QStringLiteral("Lettergate")).isEmpty(), qPrintable(*listing));

        QVERIFY(m_program.ask({QStringLiteral("quit")}));
        QVERIFY(m_program.process().waitForFinished(10000));
        QCOMPARE(m_program.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program.process().exitCode(), 0);
    }

private:
    std::unique_ptr<HelperWindow> m_alpha;
    std::unique_ptr<HelperWindow> m_delta;
    RunningProgram m_program;
};

QTEST_GUILESS_MAIN(EndToEndAppTest)
#include "app_test.moc"
