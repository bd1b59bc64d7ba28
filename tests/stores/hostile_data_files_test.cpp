#include "StoreTesting.h"
#include "platform/Paths.h"
#include "stores/ClipboardHistory.h"
#include "stores/CommandStore.h"
#include "stores/SnippetStore.h"
#include "support/ClipboardReads.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDirIterator>
#include <QJsonObject>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace lettergate;

using StoreTesting::keptCopies;
using StoreTesting::writeFile;

namespace {

QByteArray snippetRecord(const QByteArray &text)
{
    return R"({"id":"5B0C7D0E-6F1F-4A41-9A63-1A0D1D0D0D01","name":"n","letter":"","kind":"text","text":")" + text
           + R"("})";
}

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

} // namespace

// Data files built to hurt the reader: nesting far beyond any record, and strings of
// many megabytes. Nothing crashes, a file that cannot be a store's is set aside whole,
// and one that can is read completely.
class HostileDataFilesTest : public QObject {
    Q_OBJECT

private slots:
    void deepNestingIsSetAsideWhole()
    {
        const QList<QByteArray> files{
            QByteArray(1 << 20, '['),
            "[" + snippetRecord("x").chopped(1) + R"(,"extra":)" + QByteArray(50000, '{').replace("{", "{\"a\":") + "1"
                + QByteArray(50000, '}') + "}]",
        };
        for (const QByteArray &bytes : files) {
            TestEnvironment environment;
            const QString snippets = environment.dataHome() + QStringLiteral("/snippets.json");
            writeFile(snippets, bytes);
            QVERIFY(SnippetStore(environment.dataHome()).snippets().isEmpty());
            QCOMPARE(StoreTesting::fileBytes(environment.dataHome() + u'/' + keptCopies(snippets).value(0)), bytes);
        }
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
                QCOMPARE(::chown(encoded.constData(), getpwnam("nobody")->pw_uid, getpwnam("nobody")->pw_gid), 0);
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
            QVERIFY(!QFileInfo(list).isSymLink());
        }
        QCOMPARE(history->items().size(), 2);
        QCOMPARE(StoreTesting::fileBytes(victim), plantedList);
        QCOMPARE(keptCopies(list).size(), 2);
    }

    void hugeStringsAreReadWhole()
    {
        TestEnvironment environment;
        const QString snippets = environment.dataHome() + QStringLiteral("/snippets.json");
        // 64 MiB of text with escapes all the way through.
        const QByteArray unit = "abc\\n\\\"\\u00e9";
        QByteArray text;
        text.reserve(64 << 20);
        while (text.size() < (64 << 20))
            text += unit;
        writeFile(snippets, "[" + snippetRecord(text) + "]");

        SnippetStore store(environment.dataHome());
        QCOMPARE(store.snippets().size(), 1);
        const QString loaded = store.snippets().first().text;
        QCOMPARE(loaded.size(), (text.size() / unit.size()) * 6);
        QVERIFY(loaded.startsWith(QStringLiteral("abc\n\"é")));
        QVERIFY(keptCopies(snippets).isEmpty());
    }
};

QTEST_GUILESS_MAIN(HostileDataFilesTest)
#include "hostile_data_files_test.moc"
