#include "RunningProgram.h"
#include "x11/X11TestSupport.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using Reliability::panelHasFocus;
using Reliability::panelIsMapped;
using Reliability::pressKeys;
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

} // namespace

// The program in a hostile session: a permissive umask and loose folders from before,
// windows that vanish under its letters, and an X server that goes away.
class HostileSessionTest : public QObject {
    Q_OBJECT

private slots:
    void filesStayPrivateUnderAPermissiveUmask()
    {
        RunningProgram program;
        // Folders left world-readable by an earlier version or a restored backup.
        QVERIFY(QDir().mkpath(program.configDirectory()));
        QVERIFY(QDir().mkpath(program.dataDirectory() + QStringLiteral("/clipboard_images")));
        for (const QString &folder : {program.configDirectory(), program.dataDirectory(),
                                      program.dataDirectory() + QStringLiteral("/clipboard_images")})
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
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

    void aWindowThatVanishesUnderItsLetterChangesNothing()
    {
        RunningProgram program;
        program.writeSettings("[Lettergate.appLetters]\nVanishing=x\n");
        QVERIFY2(program.start(), program.output().constData());
        HelperWindow vanishing({"--title", "Vanishing", "--class", "vanishing,Vanishing"});
        QVERIFY(X11Test::waitUntilManaged(vanishing.window()));
        pressKeys(QStringLiteral("ctrl+alt+w"));
        QVERIFY(QTest::qWaitFor(panelHasFocus, 5000));
        vanishing.close();
        pressKeys(QStringLiteral("x"));
        QVERIFY2(QTest::qWaitFor([&] { return program.output().contains("no AX window matches")
                                              || program.output().contains("cannot get AX window list"); },
                                 10000),
                 program.output().constData());
        if (panelIsMapped())
            pressKeys(QStringLiteral("Escape"));
        QTRY_VERIFY(!panelIsMapped());
        // Still alive and answering.
        pressKeys(QStringLiteral("ctrl+alt+w"));
        QVERIFY(QTest::qWaitFor(panelHasFocus, 5000));
        pressKeys(QStringLiteral("Escape"));
        QTRY_VERIFY(!panelIsMapped());
        QVERIFY(program.isRunning());
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
        const QMap<QString, QByteArray> dataBefore = snapshot(program.dataDirectory());
        const QMap<QString, QByteArray> configBefore = snapshot(program.configDirectory());
        const qsizetype outputBefore = program.output().size();

        // The window manager first, then the server, as a session ends.
        X11Test::run(session, {QStringLiteral("stop"), sessionDirectory.path()});
        qputenv("DISPLAY", sharedDisplay);
        QVERIFY(program.process().waitForFinished(10000));
        program.process().waitForReadyRead(100);
        const QByteArray lastWords = program.output().mid(outputBefore).trimmed();
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QVERIFY2(!lastWords.isEmpty() && !lastWords.contains('\n'), lastWords.constData());
        QCOMPARE(snapshot(program.dataDirectory()), dataBefore);
        QCOMPARE(snapshot(program.configDirectory()), configBefore);
        Reliability::reportFigure(QStringLiteral("last words when the X server went away"), QString::fromUtf8(lastWords));
    }
};

QTEST_GUILESS_MAIN(HostileSessionTest)
#include "hostile_session_test.moc"
