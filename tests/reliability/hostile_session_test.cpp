#include "RunningProgram.h"
#include "x11/X11TestSupport.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

using namespace lettergate;

namespace {

// Every file and folder below a directory, by path relative to it, with its content
// (empty for folders).
QMap<QString, QByteArray> snapshot(const QString &directory)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(directory, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        entries.insert(file.fileName().mid(directory.size()),
                       it.fileInfo().isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return entries;
}

void copyText(const QString &text)
{
    X11Test::run(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("printf '%1' | xclip -selection clipboard").arg(text)});
}

bool historyHolds(const RunningProgram &program, const QString &text)
{
    const auto entries = Reliability::readJsonArray(program.dataDirectory() + QStringLiteral("/clipboard.json"));
    return entries && entries->at(0).toObject().value(QStringLiteral("text")).toString() == text;
}

// `lettergate <verb>` beside the program, serving the event loop meanwhile (a listener
// of the test's own may be the one to answer): its status and standard output.
std::pair<int, QByteArray> runVerb(const QProcessEnvironment &environment, const QString &verb)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("LETTERGATE_BINARY"), {verb});
    if (!QTest::qWaitFor([&process] { return process.state() == QProcess::NotRunning; }, 15000))
        return {-1, {}};
    return {process.exitCode(), process.readAllStandardOutput()};
}

// A listener planted on lettergate.socket in a folder, answering every connection with
// the same bytes.
class PlantedListener {
public:
    PlantedListener(const QString &folder, const QByteArray &answer)
    {
        QLocalServer::removeServer(folder + QStringLiteral("/lettergate.socket"));
        m_server.listen(folder + QStringLiteral("/lettergate.socket"));
        QObject::connect(&m_server, &QLocalServer::newConnection, &m_server, [this, answer] {
            while (QLocalSocket *socket = m_server.nextPendingConnection()) {
                ++connections;
                socket->write(answer);
                socket->disconnectFromServer();
            }
        });
    }
    int connections = 0;

private:
    QLocalServer m_server;
};

} // namespace

// The program in a hostile session: listeners planted where it looks for itself,
// starts that race, and an X server that goes away.
class HostileSessionTest : public QObject {
    Q_OBJECT

private slots:
    // A listener in the program's own folder that is no Lettergate: what it sends
    // reaches the terminal as printable text only, a reply that is not one of ours is no
    // instance, and it does not keep the program from starting.
    void aListenerSomeoneElsePlantedIsNeitherBelievedNorInTheWay()
    {
        RunningProgram program;
        QTemporaryDir state;
        // A runtime folder anyone may write to is never looked in (the state folder is).
        const QString openToAll = state.filePath(QStringLiteral("open"));
        QVERIFY(QDir().mkpath(openToAll) && QFile::setPermissions(openToAll, QFileDevice::Permissions(0x7777)));
        program.environment().insert(QStringLiteral("XDG_RUNTIME_DIR"), openToAll);
        program.environment().insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        const QString own = state.filePath(QStringLiteral("Lettergate"));
        QVERIFY(
            QDir().mkpath(own)
            && QFile::setPermissions(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        // Escape sequences (an OSC title, a screen clear, a C1 CSI), a right-to-left
        // override and a zero-width space.
        const QByteArray hostile = "ok\n\x1b]0;owned\x07\x1b[2J\xc2\x9b"
                                   "31m\xe2\x80\xaetxt.exe\xe2\x80\x8b\n";
        const struct {
            QByteArray answer;
            std::pair<int, QByteArray> result;
        } replies[] = {{hostile, {0, "]0;owned[2J31mtxt.exe\n"}}, {"garbage\n", {1, ""}}, {"", {1, ""}}};
        for (const auto &reply : replies) {
            const PlantedListener planted(own, reply.answer);
            QCOMPARE(runVerb(program.environment(), QStringLiteral("windows")), reply.result);
            QCOMPARE(planted.connections, 1);
        }
        const PlantedListener squatter(own, "garbage\n");
        QVERIFY2(program.start(), program.output().constData());
        QCOMPARE(runVerb(program.environment(), QStringLiteral("settings")).first, 0);
        QCOMPARE(squatter.connections, 0);
    }

    void simultaneousStartsLeaveOneInstance()
    {
        // The program's own home; the starts are the test's.
        RunningProgram home;
        for (const int starts : {2, 3, 2, 3}) {
            std::vector<std::unique_ptr<QProcess>> processes;
            for (int i = 0; i < starts; ++i) {
                processes.push_back(std::make_unique<QProcess>());
                processes.back()->setProcessEnvironment(home.environment());
                processes.back()->setProcessChannelMode(QProcess::MergedChannels);
            }
            for (const auto &process : processes)
                process->start(qEnvironmentVariable("LETTERGATE_BINARY"), {});
            const auto running = [&processes] {
                return std::ranges::count_if(processes, [](const auto &process) {
                    return process->state() != QProcess::NotRunning;
                });
            };
            // Every start but one hands over to that one and ends.
            QVERIFY2(QTest::qWaitFor([&] { return running() <= 1; }, 20000),
                     qPrintable(QStringLiteral("%1 of %2 starts still run").arg(running()).arg(starts)));
            QCOMPARE(running(), 1);
            for (const auto &process : processes)
                QVERIFY2(process->state() != QProcess::NotRunning || process->exitCode() == 0,
                         process->readAll().constData());
            QCOMPARE(runVerb(home.environment(), QStringLiteral("quit")).first, 0);
            QVERIFY(QTest::qWaitFor([&] { return running() == 0; }, 10000));
        }
    }

    void theXServerGoingAwayEndsTheProgramCleanly()
    {
        // A session of its own: the shared one must outlive this test.
        QTemporaryDir sessionDirectory;
        const QString session = qEnvironmentVariable("LETTERGATE_SESSION_SCRIPT");
        const QString display = X11Test::run(session, {QStringLiteral("start"), sessionDirectory.path()});
        QVERIFY(display.startsWith(u':'));
        const QByteArray sharedDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", display.toLocal8Bit());
        RunningProgram program;
        program.environment().insert(QStringLiteral("DISPLAY"), display);
        // A window at start-up gets a letter, which writes the settings file.
        X11Test::HelperWindow window({"--title", "Witness", "--class", "witness,Witness"});
        QVERIFY(program.start());
        copyText(QStringLiteral("kept across the end"));
        QTRY_VERIFY_WITH_TIMEOUT(historyHolds(program, QStringLiteral("kept across the end")), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(program.settingsFile()), 10000);
        QMap<QString, QByteArray> dataBefore = snapshot(program.dataDirectory());
        const QMap<QString, QByteArray> configBefore = snapshot(program.configDirectory());
        const qsizetype outputBefore = program.output().size();

        // A copy the program has read but not yet saved (a save waits for the copies to
        // stop) when the session ends: the window manager first, then the server.
        copyText(QStringLiteral("copied as the session ends"));
        QTest::qWait(300);
        X11Test::run(session, {QStringLiteral("stop"), sessionDirectory.path()});
        qputenv("DISPLAY", sharedDisplay);
        QVERIFY(program.process().waitForFinished(10000));
        program.process().waitForReadyRead(100);
        // One line on its way out, and every file as before but the history, which has
        // the last copy.
        const QByteArray lastWords = program.output().mid(outputBefore).trimmed();
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QVERIFY2(!lastWords.isEmpty() && !lastWords.contains('\n'), lastWords.constData());
        QVERIFY(historyHolds(program, QStringLiteral("copied as the session ends")));
        QMap<QString, QByteArray> dataAfter = snapshot(program.dataDirectory());
        dataAfter.remove(QStringLiteral("/clipboard.json"));
        dataBefore.remove(QStringLiteral("/clipboard.json"));
        QCOMPARE(dataAfter, dataBefore);
        QCOMPARE(snapshot(program.configDirectory()), configBefore);
    }
};

QTEST_GUILESS_MAIN(HostileSessionTest)
#include "hostile_session_test.moc"
