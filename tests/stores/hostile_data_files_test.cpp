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

QStringList texts(const ClipboardHistory &history)
{
    QStringList result;
    for (const ClipboardHistory::Item &item : history.items())
        result << item.text;
    return result;
}

const QByteArray plantedList = R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","isImage":false,"text":"planted"}])";

} // namespace

// Data files built to hurt the reader: nesting far beyond any record, and strings of
// many megabytes. Nothing crashes, a file that cannot be a store's is set aside whole,
// and one that can is read completely.
class HostileDataFilesTest : public QObject {
    Q_OBJECT

private slots:
    void deepNestingIsSetAsideWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("a million brackets") << QByteArray(1 << 20, '[');
        QTest::newRow("closed nesting a hundred thousand deep")
            << QByteArray(100000, '[') + QByteArray(100000, ']');
        QTest::newRow("objects nested in a record")
            << "[" + snippetRecord("x").chopped(1) + R"(,"extra":)" + QByteArray(50000, '{').replace("{", "{\"a\":")
                   + "1" + QByteArray(50000, '}') + "}]";
    }
    void deepNestingIsSetAsideWhole()
    {
        QFETCH(QByteArray, bytes);
        TestEnvironment environment;
        const QString snippets = environment.dataHome() + QStringLiteral("/snippets.json");
        const QString commands = environment.dataHome() + QStringLiteral("/commands.json");
        writeFile(snippets, bytes);
        writeFile(commands, bytes);

        SnippetStore snippetStore(environment.dataHome());
        CommandStore commandStore(environment.dataHome());
        QVERIFY(snippetStore.snippets().isEmpty());
        QVERIFY(commandStore.commands().isEmpty());
        for (const QString &file : {snippets, commands}) {
            const QStringList kept = keptCopies(file);
            QCOMPARE(kept.size(), 1);
            QCOMPARE(StoreTesting::fileBytes(QFileInfo(file).absolutePath() + u'/' + kept.first()), bytes);
        }
    }

    // A data folder that someone else owns, or may write in, could hold their links
    // and files: nothing is read from it or written to it, and the program goes on with
    // its history in memory.
    void aFolderOthersControlIsNeitherReadNorWritten_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("anotherOwner");
        QTest::addColumn<QString>("why");
        QTest::newRow("open to everyone") << 0777 << false << QStringLiteral("other users may write in it (mode 0777)");
        QTest::newRow("open to its group") << 0770 << false << QStringLiteral("other users may write in it (mode 0770)");
        const passwd *nobody = getpwnam("nobody");
        QTest::newRow("another user's") << 0700 << true
                                        << QStringLiteral("it belongs to another user (uid %1)").arg(nobody ? nobody->pw_uid : 0);
    }
    void aFolderOthersControlIsNeitherReadNorWritten()
    {
        QFETCH(int, mode);
        QFETCH(bool, anotherOwner);
        QFETCH(QString, why);
        if (anotherOwner && geteuid() != 0)
            QSKIP("giving a folder to another user takes root");
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
        QCOMPARE(texts(history), QStringList{QStringLiteral("a secret")});
        QVERIFY(!commands.replaceAll({Command{}}));
        history.flushPendingWrites();

        QCOMPARE(contents(folder), before);
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] ⚠️ %1 is not safe to keep Lettergate's files in: %2; "
                                                       "nothing is read from or saved there, and this session's "
                                                       "changes are kept in memory only")
                                            .arg(folder, why)});
    }

    // A link in a data file's place is moved aside, at load or before a write, and what
    // it points to is never read or written.
    void aLinkedDataFileIsSetAsideAndItsTargetUntouched()
    {
        TestEnvironment environment;
        const QString folder = Paths::dataDirectory();
        const QString list = folder + QStringLiteral("/clipboard.json");
        const QString victim = environment.root() + QStringLiteral("/victim.json");
        writeFile(victim, plantedList);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::link(victim, list));

        FakePlatform platform;
        ClipboardHistory history(platform.board, folder);
        QVERIFY(history.items().isEmpty());
        platform.board.copyText(QStringLiteral("first"));
        QVERIFY(readClipboard(history));
        history.flushPendingWrites();
        QVERIFY(!QFileInfo(list).isSymLink());
        QCOMPARE(StoreTesting::jsonArray(list).size(), 1);

        QVERIFY(QFile::remove(list));
        QVERIFY(QFile::link(victim, list));
        platform.board.copyText(QStringLiteral("second"));
        QVERIFY(readClipboard(history));
        history.flushPendingWrites();
        QVERIFY(!QFileInfo(list).isSymLink());
        QCOMPARE(StoreTesting::jsonArray(list).size(), 2);

        QCOMPARE(StoreTesting::fileBytes(victim), plantedList);
        const QStringList kept = keptCopies(list);
        QCOMPARE(kept.size(), 2);
        for (const QString &copy : kept)
            QCOMPARE(QFileInfo(folder + u'/' + copy).symLinkTarget(), victim);
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
