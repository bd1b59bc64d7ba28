#include "StoreTesting.h"
#include "stores/CommandRunner.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <optional>

namespace {

// Runs the line and waits for its completion.
std::optional<CommandRunner::Result> runToEnd(const QString &line, int timeoutMs = 20000)
{
    std::optional<CommandRunner::Result> result;
    CommandRunner::run(line, [&result](const CommandRunner::Result &done) { result = done; });
    if (!QTest::qWaitFor([&result] { return result.has_value(); }, timeoutMs))
        return std::nullopt;
    return result;
}

// Points HOME elsewhere while it lives.
class HomeDirectory {
public:
    explicit HomeDirectory(const QString &path)
        : m_saved(qgetenv("HOME"))
    {
        qputenv("HOME", QFile::encodeName(path));
    }
    ~HomeDirectory() { qputenv("HOME", m_saved); }

private:
    QByteArray m_saved;
};

} // namespace

class CommandRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void reportsExitStatusAndOutputInTheOrderWritten()
    {
        auto result = runToEnd(QStringLiteral("exit 3"));
        QVERIFY(result);
        QCOMPARE(result->exitCode, 3);
        QCOMPARE(result->output, QString());

        result = runToEnd(QStringLiteral("for i in 1 2 3; do echo out$i; echo err$i >&2; done; exit 0"));
        QVERIFY(result);
        QCOMPARE(result->exitCode, 0);
        QCOMPARE(result->output, QStringLiteral("out1\nerr1\nout2\nerr2\nout3\nerr3\n"));

        // A process killed by a signal reports the signal's number.
        result = runToEnd(QStringLiteral("kill -TERM $$"));
        QVERIFY(result);
        QCOMPARE(result->exitCode, SIGTERM);
    }

    void decodesUtf8OrGivesNothing()
    {
        auto result = runToEnd(QStringLiteral("printf 'caf\\303\\251'"));
        QVERIFY(result);
        QCOMPARE(result->output, QStringLiteral("café"));

        result = runToEnd(QStringLiteral("printf 'ok\\377'; exit 4"));
        QVERIFY(result);
        QCOMPARE(result->output, QString());
        QCOMPARE(result->exitCode, 4);

        result = runToEnd(QStringLiteral("printf 'cut \\342\\202'"));
        QVERIFY(result);
        QCOMPARE(result->output, QString());
    }

    void deliversLargeOutputWholeUpToTheLimit()
    {
        auto result = runToEnd(QStringLiteral("head -c 1048576 /dev/zero | tr '\\0' x"));
        QVERIFY(result);
        QCOMPARE(result->exitCode, 0);
        QCOMPARE(result->output, QString(1048576, u'x'));

        // Past the limit the rest is read and dropped: the command still ends normally,
        // and a character the limit cut in two is left out rather than voiding the text.
        result = runToEnd(QStringLiteral("printf a; yes 'é' | tr -d '\\n' | head -c 18000000; exit 5"));
        QVERIFY(result);
        QCOMPARE(result->exitCode, 5);
        const qsizetype wholeCharacters = (CommandRunner::maximumOutputBytes - 1) / 2;
        QCOMPARE(result->output.size(), 1 + wholeCharacters);
        QVERIFY(result->output.startsWith(QStringLiteral("aé")));
        QVERIFY(result->output.endsWith(QStringLiteral("éé")));
    }

    void runsInTheHomeDirectoryWithTheProgramsEnvironment()
    {
        QTemporaryDir home;
        HomeDirectory useHome(home.path());
        StoreTesting::writeFile(home.path() + QStringLiteral("/backup.sh"), "#!/bin/sh\necho \"$PWD $LETTERGATE_TEST_VALUE\"\n");
        QFile::setPermissions(home.path() + QStringLiteral("/backup.sh"), QFile::ReadOwner | QFile::ExeOwner);
        qputenv("LETTERGATE_TEST_VALUE", "inherited");

        const auto result = runToEnd(QStringLiteral("./backup.sh"));
        QVERIFY(result);
        QCOMPARE(result->exitCode, 0);
        QCOMPARE(result->output, home.path() + QStringLiteral(" inherited\n"));

        // Not a login or interactive shell: no start-up files are read.
        StoreTesting::writeFile(home.path() + QStringLiteral("/.bashrc"), "echo from-bashrc\n");
        StoreTesting::writeFile(home.path() + QStringLiteral("/.bash_profile"), "echo from-profile\n");
        QCOMPARE(runToEnd(QStringLiteral("echo plain"))->output, QStringLiteral("plain\n"));
    }

    void aCommandThatCannotStartReportsWhy()
    {
        QTemporaryDir root;
        HomeDirectory useHome(root.path() + QStringLiteral("/does-not-exist"));
        const auto result = runToEnd(QStringLiteral("echo never"));
        QVERIFY(result);
        QCOMPARE(result->exitCode, -1);
        QVERIFY(!result->output.isEmpty());
        QVERIFY2(!result->output.contains(QStringLiteral("never")), qPrintable(result->output));
    }

    void commandsRunSideBySideAndNeverBlock()
    {
        QTemporaryDir scratch;
        const QString pidFile = scratch.path() + QStringLiteral("/pid");
        std::optional<CommandRunner::Result> endless;
        CommandRunner::run(QStringLiteral("echo $$ > '%1'; exec sleep 600").arg(pidFile),
                           [&endless](const CommandRunner::Result &result) { endless = result; });

        QStringList finished;
        bool ranInsideRun = true;
        CommandRunner::run(QStringLiteral("sleep 0.3; echo slow"), [&](const CommandRunner::Result &result) {
            finished << result.output.trimmed();
        });
        CommandRunner::run(QStringLiteral("echo quick"), [&](const CommandRunner::Result &result) {
            finished << result.output.trimmed();
        });
        ranInsideRun = !finished.isEmpty();
        QVERIFY(!ranInsideRun);

        QTRY_COMPARE_WITH_TIMEOUT(finished, QStringList({QStringLiteral("quick"), QStringLiteral("slow")}), 10000);
        QVERIFY(!endless);

        // The endless one completes only when it ends.
        QTRY_VERIFY_WITH_TIMEOUT(!StoreTesting::fileBytes(pidFile).trimmed().isEmpty(), 10000);
        const pid_t pid = StoreTesting::fileBytes(pidFile).trimmed().toInt();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid, SIGKILL), 0);
        QTRY_VERIFY_WITH_TIMEOUT(endless.has_value(), 10000);
        QCOMPARE(endless->exitCode, SIGKILL);
    }

    void completionArrivesOnTheGuiThreadWhoeverAsks()
    {
        QThread *guiThread = QThread::currentThread();
        QThread *completedOn = nullptr;
        std::optional<CommandRunner::Result> result;
        QThread *caller = QThread::create([&] {
            CommandRunner::run(QStringLiteral("echo from a worker"), [&](const CommandRunner::Result &done) {
                completedOn = QThread::currentThread();
                result = done;
            });
        });
        caller->start();
        QVERIFY(caller->wait(10000));
        delete caller;
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 10000);
        QCOMPARE(completedOn, guiThread);
        QCOMPARE(result->output, QStringLiteral("from a worker\n"));
    }
};

QTEST_GUILESS_MAIN(CommandRunnerTest)
#include "command_runner_test.moc"
