#include "StoreTesting.h"
#include "platform/Paths.h"
#include "settings/SaveIndicator.h"
#include "stores/CommandStore.h"
#include "support/TestEnvironment.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace StoreTesting;

namespace {

Command command(const QString &name, const QString &line)
{
    Command result;
    result.name = name;
    result.command = line;
    return result;
}

} // namespace

class CommandStoreTest : public QObject {
    Q_OBJECT
private slots:
    void saveDropsBlankCommandsAndReloads()
    {
        TestEnvironment environment;
        const QString file = Paths::dataDirectory() + QStringLiteral("/commands.json");
        CommandStore store(Paths::dataDirectory());
        QVERIFY(store.commands().isEmpty());
        QSignalSpy changes(&store, &CommandStore::commandsChanged);
        const int ticks = SaveIndicator::shared().tick();

        const QList<Command> typed = {
            command(QStringLiteral("  "), QStringLiteral("\t")), // dropped
            command(QString(), QStringLiteral(" ./backup.sh ")),
            command(QStringLiteral("Named"), QString()),
        };
        QVERIFY(store.replaceAll(typed));
        const QList<Command> kept = {typed[1], typed[2]};
        QCOMPARE(store.commands(), kept);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(SaveIndicator::shared().tick(), ticks + 1);
        QCOMPARE(jsonArray(file).first().toObject(),
                 QJsonObject({{QLatin1StringView("id"), kept[0].id.toString(QUuid::WithoutBraces).toUpper()},
                              {QLatin1StringView("name"), QString()},
                              {QLatin1StringView("command"), QStringLiteral(" ./backup.sh ")}}));
        QCOMPARE(mode(file), 0600);

        CommandStore reloaded(Paths::dataDirectory());
        QCOMPARE(reloaded.commands(), kept);
    }

    void oneBadElementEmptiesTheStoreButNothingIsLost()
    {
        TestEnvironment environment;
        const QString file = Paths::dataDirectory() + QStringLiteral("/commands.json");
        const QByteArray content = R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"a","command":["ls"]}])";
        writeFile(file, content);
        CommandStore store(Paths::dataDirectory());
        QVERIFY(store.commands().isEmpty());
        QCOMPARE(keptCopies(file).size(), 1);
        QCOMPARE(fileBytes(Paths::dataDirectory() + u'/' + keptCopies(file).first()), content);
    }
};

QTEST_GUILESS_MAIN(CommandStoreTest)
#include "command_store_test.moc"
