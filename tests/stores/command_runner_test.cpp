#include "StoreTesting.h"
#include "stores/CommandRunner.h"
#include "stores/RunningCommands.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <unistd.h>

using namespace lettergate;

namespace {

// Where the commands of these tests are listed while they run.
RunningCommands &running()
{
    static RunningCommands commands;
    return commands;
}

// Runs the line and waits for its completion: one that never completes reads as exit
// status -2.
CommandRunner::Result runToEnd(const QString &line)
{
    std::optional<CommandRunner::Result> result;
    CommandRunner::runCommand(running(), QStringLiteral("Test"), line,
                              [&result](const CommandRunner::Result &done) { result = done; });
    if (!QTest::qWaitFor([&result] { return result.has_value(); }, 20000))
        return {QStringLiteral("did not complete"), -2};
    return *result;
}

// The exit status and the output, to compare in one go.
using Outcome = std::pair<qint32, QString>;
Outcome outcome(const QString &line)
{
    const CommandRunner::Result result = runToEnd(line);
    return {result.exitCode, result.output};
}

// The live processes of a process group (zombies not counted), from /proc; only those
// running `program` when one is named.
int processesInGroup(pid_t group, const QByteArray &program = {})
{
    int count = 0;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs);
    for (const QString &pid : pids) {
        const QByteArray stat = StoreTesting::fileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
        // After "pid (name)": state, parent, group.
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        const QByteArray name = stat.mid(stat.indexOf('(') + 1, stat.lastIndexOf(')') - stat.indexOf('(') - 1);
        if (fields.size() > 2 && fields[0] != "Z" && fields[2].toInt() == group
            && (program.isEmpty() || name == program))
            ++count;
    }
    return count;
}

} // namespace

class CommandRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void reportsExitStatusAndOutputInTheOrderWritten()
    {
        QCOMPARE(outcome("for i in 1 2 3; do echo out$i; echo err$i >&2; done; exit 0"),
                 Outcome(0, "out1\nerr1\nout2\nerr2\nout3\nerr3\n"));
        // A process killed by a signal reports the signal's number.
        const auto killed = runToEnd("kill -TERM $$");
        QCOMPARE(killed.exitCode, SIGTERM);
        QCOMPARE(killed.ending, CommandRunner::Ending::killedBySignal);

        // Output that is not UTF-8, even where a character is cut off at the end, gives nothing.
        QCOMPARE(outcome("printf 'ok\\377'; exit 4"), Outcome(4, ""));
        QCOMPARE(outcome("printf 'cut \\342\\202'"), Outcome(0, ""));

        // Past the limit only the end is kept, so a command that prints without end holds
        // no more memory; a character the cut split in two is left out rather than
        // voiding the text.
        const auto result = runToEnd("printf a; yes 'é' | tr -d '\\n' | head -c 18000000; printf z; exit 5");
        QCOMPARE(result.exitCode, 5);
        QCOMPARE(result.output, QString((int(CommandRunner::maximumOutputBytes) - 2) / 2, u'é') + u'z');
    }

    void commandsReadNothingFromOurStandardInput()
    {
        // Our standard input holds a line and never ends, as a terminal's would.
        int typed[2];
        QCOMPARE(pipe(typed), 0);
        const int savedInput = dup(STDIN_FILENO);
        QVERIFY(dup2(typed[0], STDIN_FILENO) >= 0);
        QCOMPARE(write(typed[1], "typed\n", 6), ssize_t(6));

        const Outcome cat = outcome(QStringLiteral("cat"));
        dup2(savedInput, STDIN_FILENO);
        for (const int fd : {savedInput, typed[0], typed[1]})
            close(fd);
        QCOMPARE(cat, Outcome(0, ""));
    }

    void stopAndQuitEndTheCommandWithEverythingItStarted()
    {
        QTemporaryDir scratch;
        RunningCommands running;
        // A command that ignores SIGTERM and leaves a child in the background: the group's
        // id is the shell's, written where the test reads it.
        const auto start = [&scratch, &running](const QString &name, std::optional<CommandRunner::Result> &ended) {
            const QString groupFile = scratch.filePath(name);
            CommandRunner::runCommand(
                running, name,
                QStringLiteral("echo $$ > '%1'; trap '' TERM; sh -c 'sleep 100 & sleep 100'").arg(groupFile),
                [&ended](const CommandRunner::Result &result) { ended = result; });
            pid_t group = 0;
            [[maybe_unused]] const bool began = QTest::qWaitFor(
                [&] {
                    group = StoreTesting::fileBytes(groupFile).trimmed().toInt();
                    return group > 0 && processesInGroup(group, "sleep") == 2;
                },
                10000);
            return group;
        };

        std::optional<CommandRunner::Result> stopped;
        const pid_t stoppedGroup = start(QStringLiteral("Stubborn"), stopped);
        QCOMPARE(processesInGroup(stoppedGroup, "sleep"), 2);
        running.stop(running.entries().front().id);
        QVERIFY(running.entries().front().stopping);
        QTRY_VERIFY_WITH_TIMEOUT(stopped.has_value(), 10000);
        QVERIFY(stopped->stopped);
        QTRY_COMPARE_WITH_TIMEOUT(processesInGroup(stoppedGroup), 0, 10000);
        QVERIFY(running.entries().isEmpty());

        // Stopping them all (at quit) ends every command the same way, without waiting
        // for the stop's delay.
        std::optional<CommandRunner::Result> quit;
        const pid_t group = start(QStringLiteral("Quit"), quit);
        QCOMPARE(processesInGroup(group, "sleep"), 2);
        running.stopAll();
        QTRY_COMPARE_WITH_TIMEOUT(processesInGroup(group), 0, 1000);
        QTRY_VERIFY_WITH_TIMEOUT(quit && quit->stopped, 10000);
    }

    void runsInTheHomeDirectoryWithTheProgramsEnvironment()
    {
        QTemporaryDir home;
        const auto restoreHome = qScopeGuard([saved = qgetenv("HOME")] { qputenv("HOME", saved); });
        qputenv("HOME", QFile::encodeName(home.path()));
        StoreTesting::writeFile(home.path() + QStringLiteral("/backup.sh"),
                                "#!/bin/sh\necho \"$PWD $LETTERGATE_TEST_VALUE\"\n");
        QFile::setPermissions(home.path() + QStringLiteral("/backup.sh"), QFile::ReadOwner | QFile::ExeOwner);
        qputenv("LETTERGATE_TEST_VALUE", "inherited");

        QCOMPARE(outcome("./backup.sh"), Outcome(0, home.path() + QStringLiteral(" inherited\n")));

        // Not a login or interactive shell: no start-up files are read.
        StoreTesting::writeFile(home.path() + QStringLiteral("/.bashrc"), "echo from-bashrc\n");
        StoreTesting::writeFile(home.path() + QStringLiteral("/.bash_profile"), "echo from-profile\n");
        QCOMPARE(runToEnd("echo plain").output, QStringLiteral("plain\n"));

        // Without its home directory the command cannot start, and says why.
        qputenv("HOME", QFile::encodeName(home.path() + QStringLiteral("/does-not-exist")));
        const auto result = runToEnd("echo never");
        QCOMPARE(result.ending, CommandRunner::Ending::failedToStart);
        QVERIFY2(!result.output.isEmpty() && !result.output.contains(QStringLiteral("never")),
                 qPrintable(result.output));
    }
};

QTEST_GUILESS_MAIN(CommandRunnerTest)
#include "command_runner_test.moc"
