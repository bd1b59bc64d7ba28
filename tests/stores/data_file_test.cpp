#include "StoreTesting.h"
#include "stores/DataFile.h"
#include "stores/PrivateFiles.h"
#include "stores/QuickLink.h"
#include "support/HostileFiles.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QJsonObject>
#include <QTest>
#include <QThread>

#include <atomic>
#include <sys/stat.h>
#include <unistd.h>

using namespace lettergate;

using namespace StoreTesting;

namespace {

// A record that notes the thread it was encoded on.
struct Probe {
    QString text;
    static inline std::atomic<QThread *> encodedOn = nullptr;

    QJsonObject toJson() const
    {
        encodedOn = QThread::currentThread();
        return {{QLatin1StringView("text"), text}};
    }
    static std::optional<Probe> fromJson(const QJsonObject &object)
    {
        return Probe{object.value(QLatin1StringView("text")).toString()};
    }
};

QList<Probe> probes(int number)
{
    return {Probe{QStringLiteral("list %1").arg(number)}};
}

QByteArray probeFile(int number)
{
    return QStringLiteral(R"([{"text":"list %1"}])").arg(number).toUtf8();
}

// The file itself (a link is not followed): its inode and size, which only a rename
// leaves unchanged.
std::pair<ino_t, off_t> identity(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {0, -1};
    return {info.st_ino, info.st_size};
}

} // namespace

class DataFileTest : public QObject {
    Q_OBJECT
private slots:
    void writesAtomicallyAndOwnerOnly()
    {
        TestEnvironment environment;
        const QString directory = environment.dataHome() + QStringLiteral("/Lettergate");
        const QString path = directory + QStringLiteral("/links.json");
        const mode_t savedMask = ::umask(0); // a permissive umask must not matter
        QVERIFY(PrivateFiles::writeAtomically(path, "[1]"));
        QCOMPARE(mode(directory), 0700);
        QCOMPARE(mode(path), 0600);

        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        QVERIFY(PrivateFiles::writeAtomically(path, "[2]"));
        ::umask(savedMask);
        QCOMPARE(mode(path), 0600);
        QCOMPARE(QDir(directory).entryList(QDir::Files), QStringList{QStringLiteral("links.json")});

        // What the writer thread puts on disk is byte for byte what the file has always held.
        const QUuid id = QUuid::fromString(QStringLiteral("6ba7b810-9dad-11d1-80b4-00c04fd430c8"));
        QVERIFY(
            DataFile(path).saveRecords(QList<QuickLink>{{id, QStringLiteral("\"é\n\t/"), QStringLiteral("\u0001😀")}}));
        QCOMPARE(fileBytes(path),
                 QByteArray("[{\"id\":\"6BA7B810-9DAD-11D1-80B4-00C04FD430C8\",\"name\":\"\\\"\xc3\xa9\\n\\t/\","
                            "\"url\":\"\\u0001\xf0\x9f\x98\x80\"}]"));
    }

    // Changes close together are one write, made off the GUI thread once they stop; a
    // burst that goes on is written every few seconds; a flush, or the end of the file's
    // owner, writes what is pending; a save that waits is never overwritten by an
    // earlier one.
    void savesAreCoalescedAndWrittenOffTheGuiThread()
    {
        TestEnvironment environment;
        const QString path = environment.dataHome() + QStringLiteral("/probes.json");
        std::optional<DataFile> file(std::in_place, path);
        QVERIFY(file->saveRecords(probes(0)));

        for (int change = 1; change <= 10; ++change) {
            file->saveRecordsSoon(probes(change));
            QTest::qWait(20);
        }
        QCOMPARE(fileBytes(path), probeFile(0));
        QTRY_COMPARE(fileBytes(path), probeFile(10));
        QVERIFY(Probe::encodedOn != QThread::currentThread());

        // A change every 100 ms, for longer than a save may wait.
        const auto waitedTooLong = std::chrono::duration_cast<std::chrono::milliseconds>(DataFile::longestDelay * 1.5);
        bool writtenDuringTheBurst = false;
        for (int change = 11; change * 100 < waitedTooLong.count() + 1100; ++change) {
            file->saveRecordsSoon(probes(change));
            QTest::qWait(100);
            writtenDuringTheBurst = writtenDuringTheBurst || fileBytes(path) != probeFile(10);
        }
        QVERIFY(writtenDuringTheBurst);

        file->saveRecordsSoon(probes(101));
        QVERIFY(file->saveRecords(probes(102)));
        QTest::qWait(int(DataFile::quietPeriod.count()) * 2);
        QCOMPARE(fileBytes(path), probeFile(102));

        file->saveRecordsSoon(probes(103));
        file.reset();
        QCOMPARE(fileBytes(path), probeFile(103));
    }

    void anUndecodableFileThatCannotBeMovedIsNeverOverwritten()
    {
        TestEnvironment environment;
        const QString directory = environment.dataHome() + QStringLiteral("/Lettergate");
        const QString path = directory + QStringLiteral("/links.json");
        writeFile(path, "[{\"id\":");
        LogCapture log;
        std::optional<DataFile> file;
        {
            ReadOnlyDirectory readOnly(directory, environment.root());
            file.emplace(path);
            QVERIFY(!file->loadRecords<QuickLink>());
            QVERIFY(!file->saveRecords(QList<QuickLink>{}));
            QCOMPARE(fileBytes(path), QByteArray("[{\"id\":"));
        }
        QCOMPARE(log.lines,
                 QStringList{QStringLiteral("[Lettergate] ⚠️ could not write %1: the unreadable file there "
                                            "could not be kept aside")
                                 .arg(path)});

        // Once it can be moved, it is kept before the first write.
        QVERIFY(file->saveRecords(QList<QuickLink>{}));
        QCOMPARE(fileBytes(path), QByteArray("[]"));
        QCOMPARE(keptCopies(path).size(), 1);
        QCOMPARE(fileBytes(directory + u'/' + keptCopies(path).first()), QByteArray("[{\"id\":"));
    }

    // What cannot be a data file is never read: a file of gigabytes would be held in
    // memory whole, a pipe blocks the reader and a device never ends. Each is kept aside
    // as it is, with one log line saying why, and the next save does not touch it.
    void whatCannotBeADataFileIsKeptAsideUnread()
    {
        const QList<std::pair<QString, QString>> rows{
            {"over", "is 256.0 MiB, larger than the 256 MiB a data file may hold, and was not read"},
            {"pipe", "is not a regular file"},
            {"device", "is a symbolic link, which Lettergate never follows"},
        };
        for (const auto &[kind, why] : rows) {
            TestEnvironment environment;
            const QString directory = environment.dataHome() + QStringLiteral("/Lettergate");
            const QString path = directory + QStringLiteral("/links.json");
            QVERIFY(QDir().mkpath(directory));
            const QByteArray encodedPath = QFile::encodeName(path);
            if (kind == u"over")
                HostileFiles::writeSparse(path, "[", DataFile::maximumFileBytes + 1);
            else if (kind == u"pipe")
                QCOMPARE(::mkfifo(encodedPath.constData(), 0600), 0);
            else
                QCOMPARE(::symlink("/dev/zero", encodedPath.constData()), 0);
            const auto original = identity(path);

            LogCapture log;
            const qint64 readBefore = HostileFiles::bytesRead();
            DataFile file(path);
            QVERIFY2(!file.loadRecords<QuickLink>(), qPrintable(kind));
            QVERIFY2(HostileFiles::bytesRead() - readBefore < (1 << 20), qPrintable(kind));
            const QStringList kept = keptCopies(path);
            QCOMPARE(kept.size(), 1);
            const QString copy = directory + u'/' + kept.first();
            QCOMPARE(identity(copy), original);
            QCOMPARE(log.lines,
                     QStringList{QStringLiteral("[Lettergate] ⚠️ %1 %2; kept it as %3").arg(path, why, copy)});
            QVERIFY(file.saveRecords(QList<QuickLink>{}));
            QCOMPARE(fileBytes(path), QByteArray("[]"));
            QCOMPARE(identity(copy), original);
        }
    }

    // A kill between the temporary file's link and its rename leaves it beside the file
    // (the reliability tests kill the real program while it saves); the next load removes
    // it, and names that are not such a copy stay.
    void theNextLoadRemovesWhatAKilledWriterLeft()
    {
        TestEnvironment environment;
        const QString directory = environment.dataHome() + QStringLiteral("/Lettergate");
        const QString path = directory + QStringLiteral("/links.json");
        const QStringList others{QStringLiteral("links.json.Fs-OOS"),
                                 QStringLiteral("links.json.unreadable-20261207-064500"),
                                 QStringLiteral("snippets.json.Fs0OOS")};
        writeFile(path, "[]");
        for (const QString &name : others + QStringList{QStringLiteral("links.json.Fs0OOS")})
            writeFile(directory + u'/' + name, "[]");
        QVERIFY(DataFile(path).loadRecords<QuickLink>());
        QCOMPARE(QDir(directory).entryList(QDir::Files), QStringList{QStringLiteral("links.json")} + others);
    }
};

QTEST_GUILESS_MAIN(DataFileTest)

#include "data_file_test.moc"
