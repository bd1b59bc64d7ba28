#include "RunningProgram.h"
#include "x11/X11TestSupport.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sys/stat.h>
#include <vector>

using X11Test::HelperWindow;

namespace {

// Every file and folder below a directory, by path relative to it, with its content
// (empty for folders).
QMap<QString, QByteArray> snapshot(const QString &directory)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(directory, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        entries.insert(path.mid(directory.size()), it.fileInfo().isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return entries;
}

int modeOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777) : -1;
}

void copyText(const QString &text)
{
    X11Test::run(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("printf '%1' | xclip -selection clipboard").arg(text)});
}

bool historyHolds(const RunningProgram &program, const QString &text)
{
    const auto entries = Reliability::readJsonArray(program.dataDirectory() + QStringLiteral("/clipboard.json"));
    return entries && entries->at(0).toObject().value(QStringLiteral("text")).toString() == text;
}

struct VerbRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// `lettergate <verb>` beside the program, serving the event loop meanwhile: a listener
// of the test's own may be the one to answer.
VerbRun runVerb(const QProcessEnvironment &environment, const QString &verb)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("LETTERGATE_BINARY"), {verb});
    if (!QTest::qWaitFor([&process] { return process.state() == QProcess::NotRunning; }, 15000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
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
                ++m_connections;
                socket->write(answer);
                socket->disconnectFromServer();
            }
        });
    }
    bool isListening() const { return m_server.isListening(); }
    int connections() const { return m_connections; }

private:
    QLocalServer m_server;
    int m_connections = 0;
};

} // namespace

// The program in a hostile session: a permissive umask and loose folders from before,
// listeners planted where it looks for itself, starts that race, and an X server that
// goes away.
class HostileSessionTest : public QObject {
    Q_OBJECT

private slots:
    void filesStayPrivateUnderAPermissiveUmask()
    {
        RunningProgram program;
        // Folders left world-readable by an earlier version or a restored backup (ones
        // others may write in are refused outright: hostile_data_files_test).
        QVERIFY(QDir().mkpath(program.configDirectory()));
        QVERIFY(QDir().mkpath(program.dataDirectory() + QStringLiteral("/clipboard_images")));
        for (const QString &folder : {program.configDirectory(), program.dataDirectory(),
                                      program.dataDirectory() + QStringLiteral("/clipboard_images")})
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        program.process().setChildProcessModifier([] { ::umask(0); });
        // A window at start-up gets a letter, which writes the settings file.
        HelperWindow window({"--title", "Umask", "--class", "umask,Umask"});
        QVERIFY(X11Test::waitUntilManaged(window.window()));
        QVERIFY2(program.start(), program.output().constData());
        copyText(QStringLiteral("private words"));
        QTRY_VERIFY_WITH_TIMEOUT(historyHolds(program, QStringLiteral("private words")), 10000);
        QTemporaryDir pictures;
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::darkMagenta);
        QVERIFY(picture.save(pictures.filePath(QStringLiteral("p.png"))));
        X11Test::xclipCopy(pictures.filePath(QStringLiteral("p.png")), QStringLiteral("image/png"));
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(program.dataDirectory() + QStringLiteral("/clipboard_images")).isEmpty(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(program.settingsFile()), 10000);
        program.stop();

        int checked = 0;
        for (const QString &root : {program.configDirectory(), program.dataDirectory()}) {
            QVERIFY2(modeOf(root) == 0700, qPrintable(root));
            QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                const int expected = it.fileInfo().isDir() ? 0700 : 0600;
                QVERIFY2(modeOf(path) == expected, qPrintable(QStringLiteral("%1 is %2").arg(path).arg(modeOf(path), 0, 8)));
                ++checked;
            }
        }
        Reliability::reportFigure(QStringLiteral("paths checked private under umask 000"), QString::number(checked + 2));
    }

    void aListenerSomeoneElsePlantedIsNeitherBelievedNorInTheWay()
    {
        RunningProgram program;
        QTemporaryDir folders;
        const QString openToAll = folders.filePath(QStringLiteral("open"));
        QVERIFY(QDir().mkpath(openToAll) && ::chmod(QFile::encodeName(openToAll).constData(), 0777) == 0);
        program.environment().insert(QStringLiteral("XDG_RUNTIME_DIR"), openToAll);
        program.environment().insert(QStringLiteral("XDG_STATE_HOME"), folders.filePath(QStringLiteral("state")));
        // Escape sequences (an OSC title, a screen clear, a C1 CSI), a right-to-left
        // override and a zero-width space.
        const QByteArray hostile = "ok\n\x1b]0;owned\x07\x1b[2J\xc2\x9b" "31m\xe2\x80\xaetxt.exe\xe2\x80\x8b\n";
        {
            // A runtime folder anyone may write to is never looked in.
            const PlantedListener impostor(openToAll, hostile);
            QVERIFY(impostor.isListening());
            const VerbRun windows = runVerb(program.environment(), QStringLiteral("windows"));
            QCOMPARE(windows.exitCode, 1);
            QVERIFY2(windows.err.contains("not using " + QFile::encodeName(openToAll)), windows.err.constData());
            QVERIFY2(windows.err.contains("Lettergate is not running"), windows.err.constData());
            QCOMPARE(impostor.connections(), 0);
        }

        // In the private folder, a listener that is no Lettergate: what it sends reaches
        // the terminal as printable text only, and a reply that is not one of ours is no
        // instance.
        const QString own = folders.filePath(QStringLiteral("state/Lettergate"));
        QCOMPARE(modeOf(own), 0700);
        const struct {
            QByteArray answer;
            int exitCode;
            QByteArray out;
        } replies[] = {{hostile, 0, "]0;owned[2J31mtxt.exe\n"}, {"garbage\n", 1, ""}, {"", 1, ""}};
        for (const auto &reply : replies) {
            const PlantedListener planted(own, reply.answer);
            const VerbRun windows = runVerb(program.environment(), QStringLiteral("windows"));
            QCOMPARE(windows.exitCode, reply.exitCode);
            QCOMPARE(windows.out, reply.out);
            QCOMPARE(planted.connections(), 1);
        }

        // Nor does such a listener keep the program from starting: it becomes the instance.
        const PlantedListener squatter(own, "garbage\n");
        QVERIFY2(program.start(), program.output().constData());
        QCOMPARE(runVerb(program.environment(), QStringLiteral("settings")).exitCode, 0);
        QCOMPARE(squatter.connections(), 0);
    }

    void simultaneousStartsLeaveOneInstance()
    {
        // The program's own home; the starts are the test's.
        RunningProgram home;
        const QProcessEnvironment environment = home.environment();
        for (const int starts : {2, 3, 2, 3}) {
            std::vector<std::unique_ptr<QProcess>> processes;
            for (int i = 0; i < starts; ++i) {
                processes.push_back(std::make_unique<QProcess>());
                processes.back()->setProcessEnvironment(environment);
                processes.back()->setProcessChannelMode(QProcess::MergedChannels);
            }
            for (const auto &process : processes)
                process->start(qEnvironmentVariable("LETTERGATE_BINARY"), {});
            const auto running = [&processes] {
                return std::count_if(processes.begin(), processes.end(),
                                     [](const auto &process) { return process->state() != QProcess::NotRunning; });
            };
            // Every start but one hands over to that one and ends.
            QVERIFY2(QTest::qWaitFor([&] { return running() <= 1; }, 20000),
                     qPrintable(QStringLiteral("%1 of %2 starts still run").arg(running()).arg(starts)));
            QCOMPARE(running(), 1);
            for (const auto &process : processes) {
                if (process->state() == QProcess::NotRunning)
                    QVERIFY2(process->exitCode() == 0, process->readAll().constData());
            }
            QCOMPARE(runVerb(environment, QStringLiteral("quit")).exitCode, 0);
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
        HelperWindow window({"--title", "Witness", "--class", "witness,Witness"});
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
        const QByteArray lastWords = program.output().mid(outputBefore).trimmed();
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QVERIFY2(!lastWords.isEmpty() && !lastWords.contains('\n'), lastWords.constData());
        QVERIFY(historyHolds(program, QStringLiteral("copied as the session ends")));
        QMap<QString, QByteArray> dataAfter = snapshot(program.dataDirectory());
        dataAfter.remove(QStringLiteral("/clipboard.json"));
        dataBefore.remove(QStringLiteral("/clipboard.json"));
        QCOMPARE(dataAfter, dataBefore);
        QCOMPARE(snapshot(program.configDirectory()), configBefore);
        Reliability::reportFigure(QStringLiteral("last words when the X server went away"), QString::fromUtf8(lastWords));
    }
};

QTEST_GUILESS_MAIN(HostileSessionTest)
#include "hostile_session_test.moc"
