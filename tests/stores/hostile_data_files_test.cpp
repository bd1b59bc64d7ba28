#include "StoreTesting.h"
#include "stores/CommandStore.h"
#include "stores/SnippetStore.h"
#include "support/TestEnvironment.h"

#include <QJsonObject>
#include <QTest>

using StoreTesting::keptCopies;
using StoreTesting::writeFile;

namespace {

QByteArray snippetRecord(const QByteArray &text)
{
    return R"({"id":"5B0C7D0E-6F1F-4A41-9A63-1A0D1D0D0D01","name":"n","letter":"","kind":"text","text":")" + text
        + R"("})";
}

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
