#include "StoreTesting.h"
#include "platform/Paths.h"
#include "stores/ClipboardHistory.h"
#include "stores/CommandStore.h"
#include "stores/PictureFiles.h"
#include "stores/SnippetStore.h"
#include "support/ClipboardReads.h"
#include "support/FakePlatform.h"
#include "support/HostileFiles.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDirIterator>
#include <QImage>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace lettergate;

using namespace HostileFiles;
using namespace StoreTesting;

namespace {

// Every name under the folder, with its size: what a store must leave as it is.
QStringList contents(const QString &folder)
{
    QStringList found;
    QDirIterator entries(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QFileInfo entry = entries.nextFileInfo();
        found << QStringLiteral("%1 %2").arg(entry.filePath()).arg(entry.size());
    }
    found.sort();
    return found;
}

const QByteArray plantedList = R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","isImage":false,"text":"planted"}])";

constexpr qint64 gibibyte = qint64(1) << 30;
// Reading one of these files whole would read, and perhaps hold, a gibibyte; giving up
// after a picture's first bytes reads next to nothing.
constexpr qint64 readBound = 64 << 20;

} // namespace

// Files built to hurt the reader: nesting far beyond any record, a gibibyte of (sparse)
// nothing behind a picture's first bytes, pipes and links. Nothing crashes or reads the
// gibibyte, and a data file that cannot be a store's is set aside whole.
class HostileFilesTest : public QObject {
    Q_OBJECT

private slots:
    void deepNestingIsSetAsideWhole()
    {
        const QByteArray bytes(1 << 20, '[');
        TestEnvironment environment;
        const QString snippets = environment.dataHome() + QStringLiteral("/snippets.json");
        writeFile(snippets, bytes);
        QVERIFY(SnippetStore(environment.dataHome()).snippets().isEmpty());
        QCOMPARE(fileBytes(environment.dataHome() + u'/' + keptCopies(snippets).value(0)), bytes);
    }

    // A data folder that someone else owns, or may write in, could hold their links
    // and files: nothing is read from it or written to it, and the program goes on with
    // its history in memory.
    void aFolderOthersControlIsNeitherReadNorWritten()
    {
        const passwd *nobody = getpwnam("nobody");
        const QList<std::tuple<int, bool, QString>> rows{
            {0770, false, QStringLiteral("other users may write in it (mode 0770)")},
            {0700, true, QStringLiteral("it belongs to another user (uid %1)").arg(nobody ? nobody->pw_uid : 0)},
        };
        for (const auto &[mode, anotherOwner, why] : rows) {
            if (anotherOwner && geteuid() != 0)
                continue; // giving a folder to another user takes root
            TestEnvironment environment;
            const QString folder = Paths::dataDirectory();
            writeFile(folder + QStringLiteral("/clipboard.json"), plantedList);
            const QByteArray encoded = QFile::encodeName(folder);
            QCOMPARE(::chmod(encoded.constData(), mode_t(mode)), 0);
            if (anotherOwner)
                QCOMPARE(::chown(encoded.constData(), nobody->pw_uid, nobody->pw_gid), 0);
            const QStringList before = contents(folder);

            LogCapture log;
            FakePlatform platform;
            ClipboardHistory history(platform.board, folder);
            CommandStore commands(folder);
            platform.board.copyText(QStringLiteral("a secret"));
            QVERIFY(readClipboard(history));
            QCOMPARE(history.items().size(), 1);
            QVERIFY(!commands.replaceAll({Command{}}));
            history.flushPendingWrites();

            QCOMPARE(contents(folder), before);
            QCOMPARE(log.lines,
                     QStringList{QStringLiteral("[Lettergate] ⚠️ %1 is not safe to keep Lettergate's files in: %2; "
                                                "nothing is read from or saved there, and this session's "
                                                "changes are kept in memory only")
                                     .arg(folder, why)});
        }
    }

    // A link in a data file's place is moved aside, at load and again before a write,
    // and what it points to is never read or written.
    void aLinkedDataFileIsSetAsideAndItsTargetUntouched()
    {
        TestEnvironment environment;
        const QString folder = Paths::dataDirectory();
        const QString list = folder + QStringLiteral("/clipboard.json");
        const QString victim = environment.root() + QStringLiteral("/victim.json");
        writeFile(victim, plantedList);
        QVERIFY(QDir().mkpath(folder));
        FakePlatform platform;
        std::optional<ClipboardHistory> history;
        for (const char *copy : {"first", "second"}) {
            QVERIFY(QFile::link(victim, list) || (QFile::remove(list) && QFile::link(victim, list)));
            if (!history)
                history.emplace(platform.board, folder);
            platform.board.copyText(QString::fromLatin1(copy));
            QVERIFY(readClipboard(*history));
            history->flushPendingWrites();
        }
        QCOMPARE(history->items().size(), 2);
        QCOMPARE(fileBytes(victim), plantedList);
        QCOMPARE(keptCopies(list).size(), 2);
    }

    void hugeBogusOrUnopenablePictureFilesAreRefusedWithoutBeingRead()
    {
        const QList<std::pair<QByteArray, qint64>> files{
            {QByteArray(), gibibyte},
            {QByteArray("\x89PNG\r\n\x1a\n", 8), gibibyte},
            {QByteArray("/* XPM */\nstatic char *x[] = {\n"), PictureFiles::maximumFileBytes + 1},
            {QByteArray("not a picture\n"), 14},
        };
        TestEnvironment environment;
        SnippetStore store(environment.dataHome());
        const QString folder = store.imagesDirectory() + u'/';
        QStringList paths;
        for (const auto &[head, size] : files) {
            paths << folder + QStringLiteral("hostile%1.png").arg(paths.size());
            writeSparse(paths.last(), head, size);
        }
        // Opening a pipe nobody writes to would wait forever.
        paths << folder + QStringLiteral("pipe.png");
        QCOMPARE(::mkfifo(QFile::encodeName(paths.last()).constData(), 0600), 0);
        const QStringList present = QDir(folder).entryList(QDir::Files | QDir::System);
        paths << environment.root() + QStringLiteral("/missing.png");
        for (const QString &path : paths) {
            const qint64 readBefore = bytesRead();
            QVERIFY2(PictureFiles::readStoredPng(path).isNull(), qPrintable(path));
            QVERIFY(PictureFiles::readAnyPicture(path).isNull());
            QVERIFY(!store.importImage(QUrl::fromLocalFile(path)));
            const qint64 read = bytesRead() - readBefore;
            QVERIFY2(read < readBound, qPrintable(QStringLiteral("read %1 bytes of %2").arg(read).arg(path)));
        }
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::System), present);
    }

    // A stored picture is the PNG the program wrote: anything else is not read.
    void onlyThePngTheProgramWroteIsAStoredPicture()
    {
        TestEnvironment environment;
        QVERIFY(!SnippetStore::pngData(QImage()));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        const QString jpeg = environment.root() + QStringLiteral("/picture.jpg");
        QVERIFY(picture.save(jpeg));
        QCOMPARE(PictureFiles::readAnyPicture(jpeg).size(), picture.size());
        QVERIFY(PictureFiles::readStoredPng(jpeg).isNull());
    }
};

QTEST_GUILESS_MAIN(HostileFilesTest)
#include "hostile_files_test.moc"
