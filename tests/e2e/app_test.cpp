#include "x11/X11TestSupport.h"

#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using X11Test::HelperWindow;

namespace {

QString hex(quint32 window)
{
    return QStringLiteral("0x%1").arg(window, 0, 16);
}

QString windowClass(quint32 window)
{
    return X11Test::run(QStringLiteral("xprop"), {QStringLiteral("-id"), hex(window), QStringLiteral("WM_CLASS")});
}

bool panelIsActive()
{
    return windowClass(X11Test::activeWindow()).contains(QStringLiteral("\"lettergate\""));
}

bool panelIsMapped()
{
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
                  QStringLiteral("^Lettergate$")});
    search.waitForFinished(5000);
    return !search.readAllStandardOutput().trimmed().isEmpty();
}

void key(const QString &keys)
{
    X11Test::run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

void activate(quint32 window)
{
    X11Test::run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), hex(window)});
    QTRY_COMPARE(X11Test::activeWindow(), window);
}

bool settingsWindowIsMapped()
{
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                  QStringLiteral("^Lettergate Settings$")});
    search.waitForFinished(5000);
    return !search.readAllStandardOutput().trimmed().isEmpty();
}

struct VerbRun {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

// Lettergate as a user meets it: the real program in a session with two other
// applications, one with a single window that accepts pastes and one with two windows.
class EndToEndAppTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_alpha = std::make_unique<HelperWindow>(QStringList{"--title", "Alpha notes", "--class", "alpha,Alpha",
                                                             "--size", "500x400", "--accept-paste"});
        m_delta = std::make_unique<HelperWindow>(QStringList{"--title", "Delta", "--class", "delta,Delta",
                                                             "--size", "500x400", "--position", "600,100",
                                                             "--windows", "2"});
        QVERIFY(m_alpha->isValid() && m_delta->isValid());
        QVERIFY(X11Test::waitUntilManaged(m_alpha->window()));
        for (quint32 window : m_delta->windows())
            QVERIFY(X11Test::waitUntilManaged(window));

        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/config"));
        m_environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path() + QStringLiteral("/data"));
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
        m_program.setProcessEnvironment(m_environment);
        m_program.setProcessChannelMode(QProcess::MergedChannels);
        connect(&m_program, &QProcess::readyRead, this, [this] { m_log += m_program.readAll(); });
        m_program.start(qEnvironmentVariable("LETTERGATE_BINARY"), {});
        QVERIFY(m_program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_log.contains("[Lettergate] hotkey registered:⌃⌥W"), 10000);
    }

    void cleanupTestCase()
    {
        m_program.terminate();
        if (!m_program.waitForFinished(5000))
            m_program.kill();
    }

    void init() { m_log.clear(); }

    void aLetterSwitchesToTheAppsWindow()
    {
        activate(m_delta->window());
        key(QStringLiteral("ctrl+alt+w"));
        QTRY_VERIFY_WITH_TIMEOUT(panelIsActive(), 5000);
        // On every desktop, and in no taskbar or pager.
        const QString hints = X11Test::run(QStringLiteral("xprop"), {QStringLiteral("-id"), hex(X11Test::activeWindow()),
                                                                     QStringLiteral("_NET_WM_DESKTOP"),
                                                                     QStringLiteral("_NET_WM_STATE")});
        QVERIFY2(hints.contains(QStringLiteral("_NET_WM_DESKTOP(CARDINAL) = 4294967295")), qPrintable(hints));
        QVERIFY2(hints.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")), qPrintable(hints));
        QVERIFY2(hints.contains(QStringLiteral("_NET_WM_STATE_SKIP_PAGER")), qPrintable(hints));
        key(QStringLiteral("a"));
        QTRY_COMPARE(X11Test::activeWindow(), m_alpha->window());
        QVERIFY(!panelIsMapped());
        QTRY_VERIFY(m_log.contains("switched → Alpha"));
    }

    void anAppWithTwoWindowsShowsThemAndADigitPicksOne()
    {
        activate(m_alpha->window());
        key(QStringLiteral("ctrl+alt+w"));
        QTRY_VERIFY_WITH_TIMEOUT(panelIsActive(), 5000);
        key(QStringLiteral("d"));
        QTest::qWait(200);
        QVERIFY(panelIsActive()); // the window page is open
        key(QStringLiteral("2"));
        QTRY_COMPARE(X11Test::activeWindow(), m_delta->windows().value(1));
        QVERIFY(!panelIsMapped());
    }

    void aClipboardEntryIsPastedIntoThePreviousApp()
    {
        X11Test::run(QStringLiteral("sh"), {QStringLiteral("-c"),
                                            QStringLiteral("printf 'hello from the clipboard' | xclip -selection clipboard")});
        activate(m_alpha->window());
        key(QStringLiteral("ctrl+alt+w"));
        QTRY_VERIFY_WITH_TIMEOUT(panelIsActive(), 5000);
        key(QStringLiteral("v"));
        key(QStringLiteral("1"));
        QCOMPARE(m_alpha->waitForLine(QStringLiteral("paste: ")), QStringLiteral("paste: hello from the clipboard"));
        QCOMPARE(X11Test::activeWindow(), m_alpha->window());
    }

    void escapeRestoresThePreviousWindowAndTheTriggerToggles()
    {
        activate(m_delta->windows().value(0));
        key(QStringLiteral("ctrl+alt+w"));
        QTRY_VERIFY_WITH_TIMEOUT(panelIsActive(), 5000);
        key(QStringLiteral("Escape"));
        QTRY_COMPARE(X11Test::activeWindow(), m_delta->windows().value(0));
        QVERIFY(!panelIsMapped());

        key(QStringLiteral("ctrl+alt+w"));
        QTRY_VERIFY_WITH_TIMEOUT(panelIsActive(), 5000);
        key(QStringLiteral("ctrl+alt+w"));
        QTRY_VERIFY(!panelIsMapped());
        QTRY_COMPARE(X11Test::activeWindow(), m_delta->windows().value(0));
        // Read here, so the line cannot arrive during the next test, which counts toggles.
        QTRY_VERIFY(m_log.contains("toggle: isVisible=true"));
    }

    void aClickOutsideHidesWithoutRestoring()
    {
        activate(m_alpha->window());
        key(QStringLiteral("ctrl+alt+w"));
        QTRY_VERIFY_WITH_TIMEOUT(panelIsActive(), 5000);
        // The panel covers the middle 80 % of the screen; the top-left corner is outside.
        X11Test::run(QStringLiteral("xdotool"),
                     {QStringLiteral("mousemove"), QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("click"),
                      QStringLiteral("1")});
        QTRY_VERIFY(!panelIsMapped());
        QVERIFY(!m_log.contains("toggle: isVisible=true"));
    }

    void theCommandLineDrivesTheRunningProgram()
    {
        activate(m_alpha->window());
        // A client that connects and says nothing holds nothing up.
        QLocalSocket silent;
        silent.connectToServer(m_home.path() + QStringLiteral("/lettergate.socket"));
        QVERIFY(silent.waitForConnected(2000));

        QCOMPARE(verb(QStringLiteral("toggle")).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(panelIsActive(), 5000);
        QCOMPARE(verb(QStringLiteral("toggle")).exitCode, 0);
        QTRY_VERIFY(!panelIsMapped());
        QTRY_COMPARE(X11Test::activeWindow(), m_alpha->window());

        QCOMPARE(verb(QStringLiteral("show")).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(panelIsActive(), 5000);
        QCOMPARE(verb(QStringLiteral("show")).exitCode, 0); // an open panel stays open
        QVERIFY(panelIsMapped());
        key(QStringLiteral("Escape"));
        QTRY_VERIFY(!panelIsMapped());

        // The windows as the panel lists them: letter, app, number, id, title.
        const VerbRun windows = verb(QStringLiteral("windows"));
        QCOMPARE(windows.exitCode, 0);
        const QStringList lines = windows.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.contains(QStringLiteral("a\tAlpha\t1\t%1\tAlpha notes").arg(hex(m_alpha->window()))),
                 qPrintable(windows.out));
        QVERIFY2(lines.contains(QStringLiteral("d\tDelta\t1\t%1\tDelta").arg(hex(m_delta->windows().value(0)))),
                 qPrintable(windows.out));
        QVERIFY2(lines.contains(QStringLiteral("d\tDelta\t2\t%1\tDelta 2").arg(hex(m_delta->windows().value(1)))),
                 qPrintable(windows.out));
        QVERIFY2(lines.filter(QStringLiteral("Lettergate")).isEmpty(), qPrintable(windows.out));

        QCOMPARE(verb(QStringLiteral("settings")).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(settingsWindowIsMapped(), 5000);
        QTRY_COMPARE(silent.state(), QLocalSocket::UnconnectedState); // dropped after a while
    }

    // Last: the program is gone afterwards.
    void quitEndsTheProgramAndVerbsThenSaySo()
    {
        const VerbRun quit = verb(QStringLiteral("quit"));
        QCOMPARE(quit.exitCode, 0);
        QVERIFY(m_program.waitForFinished(10000));
        QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program.exitCode(), 0);

        const VerbRun toggle = verb(QStringLiteral("toggle"));
        QCOMPARE(toggle.exitCode, 1);
        QVERIFY2(toggle.err.startsWith(QStringLiteral("lettergate: Lettergate is not running")), qPrintable(toggle.err));
    }

private:
    // `lettergate <verb>` as a user runs it beside the running program.
    VerbRun verb(const QString &name)
    {
        QProcess process;
        process.setProcessEnvironment(m_environment);
        process.start(qEnvironmentVariable("LETTERGATE_BINARY"), {name});
        if (!process.waitForFinished(15000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    std::unique_ptr<HelperWindow> m_alpha;
    std::unique_ptr<HelperWindow> m_delta;
    QProcess m_program;
    QByteArray m_log;
};

QTEST_GUILESS_MAIN(EndToEndAppTest)
#include "app_test.moc"
