#include "SettingsUiTesting.h"

#include "settings/ui/CommandsTab.h"
#include "settings/ui/KeyField.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using Tab = SettingsView::Tab;

class CommandsTabTest : public QObject {
    Q_OBJECT
private slots:
    void rejectedSavesStoreNothing_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("message");
        QTest::newRow("emptied") << ""
                                 << "Key must be a letter";
        QTest::newRow("digit") << "4"
                               << "Key must be a letter";
        QTest::newRow("the snippet key") << "B"
                                         << "Key must differ from clipboard / snippet / link keys";
        QTest::newRow("the link key") << "q"
                                      << "Key must differ from clipboard / snippet / link keys";
        QTest::newRow("an app's letter") << "t"
                                         << "Key T conflicts with an app letter";
    }

    void rejectedSavesStoreNothing()
    {
        QFETCH(QString, key);
        QFETCH(QString, message);
        SettingsFixture fixture;
        fixture.settings.applyLetters({{"app.with.t", "t"}});
        ShownView shown(fixture, Tab::Commands);
        CommandsTab &tab = shown.view.commandsTab();
        const int ticks = fixture.tick();

        tab.addCommand();
        tab.keyField().setText(key);
        tab.save();

        QCOMPARE(tab.errorText(), std::optional<QString>(message));
        QCOMPARE(fixture.tick(), ticks);
        QVERIFY(fixture.commands.commands().isEmpty());
        QCOMPARE(fixture.settings.commandKey(), QStringLiteral("m"));
    }

    void saveStoresTheFirstLetterAndReloads()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::Commands);
        CommandsTab &tab = shown.view.commandsTab();
        QCOMPARE(tab.keyField().text(), QStringLiteral("M"));

        tab.addCommand();
        CommandEditor *editor = tab.editors().first();
        QCOMPARE(editor->record().name, QStringLiteral("New command"));
        editor->commandEditor()->setPlainText(QStringLiteral("df -h /"));
        tab.addCommand();
        tab.editors().last()->nameField()->setText(QString()); // blank name and command: dropped
        tab.keyField().setText(QStringLiteral("xy"));
        tab.save();

        QCOMPARE(tab.errorText(), std::nullopt);
        QCOMPARE(fixture.settings.commandKey(), QStringLiteral("x"));
        QCOMPARE(fixture.commands.commands().size(), 1);
        QCOMPARE(fixture.commands.commands().first().command, QStringLiteral("df -h /"));
        QCOMPARE(tab.keyField().text(), QStringLiteral("X"));
        QCOMPARE(tab.editors().size(), 1);
        QVERIFY(tab.editors().first() != editor); // rebuilt from the store
    }

    void workingCopyIsDiscardedWhenTheTabIsShownAgain()
    {
        SettingsFixture fixture;
        Command stored;
        stored.name = QStringLiteral("Backup");
        stored.command = QStringLiteral("./backup.sh");
        fixture.commands.replaceAll({stored});
        ShownView shown(fixture, Tab::Commands);
        CommandsTab &tab = shown.view.commandsTab();
        tab.editors().first()->commandEditor()->setPlainText(QStringLiteral("rm -rf ~/tmp"));
        tab.addCommand();

        shown.revisit(Tab::Commands);
        QCOMPARE(tab.editors().size(), 1);
        QCOMPARE(tab.editors().first()->record(), stored);
        QCOMPARE(tab.editors().first()->commandEditor()->toPlainText(), QStringLiteral("./backup.sh"));
    }

    void helpTextAndExamples()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::Commands);
        CommandsTab &tab = shown.view.commandsTab();
        tab.addCommand();
        QVERIFY(labelTexts(tab).contains(QStringLiteral(
            "Shell commands run via `/bin/bash -c`. Supports any script (./xxx.sh, python xxx.py, etc.). From the "
            "panel, press M + number to run directly, or double-tap for the full list. The key must be a letter, "
            "distinct from clipboard, snippet, and link keys.")));
        QVERIFY(
            showsTextContaining(tab, QStringLiteral("e.g. ./backup.sh, python3 ~/script.py, open -a Safari https://")));
    }
};

QTEST_MAIN(CommandsTabTest)
#include "commands_tab_test.moc"
