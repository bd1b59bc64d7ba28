#include "SettingsUiTesting.h"

#include "settings/ui/CommandsTab.h"
#include "settings/ui/KeyField.h"
#include "settings/ui/LinksTab.h"
#include "support/StubOpener.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>

using Tab = SettingsView::Tab;

namespace {

// The Links or the Commands tab, seen through what the two have in common: one list key
// and a working copy of one list, each record with a name and one more field.
struct KeyedTab {
    SingleKeyTab &tab;
    std::function<void()> add;
    std::function<int()> editorCount;
    std::function<QLineEdit *(int)> nameField;
    // The record's second field (a link's url, a command's command line).
    std::function<void(int, const QString &)> setDetail;
    std::function<QStringList()> storedNames;
    std::function<QString()> firstStoredDetail;
    std::function<QString()> storedKey;
};

// Lambdas hold pointers: the tab and the fixture outlive the KeyedTab, the references
// passed here do not.
KeyedTab keyedTab(SettingsFixture &fixture, SettingsView &view, Tab which)
{
    SettingsFixture *const stores = &fixture;
    if (which == Tab::Links) {
        LinksTab *const tab = &view.linksTab();
        return {*tab,
                [tab] { tab->addLink(); },
                [tab] { return int(tab->editors().size()); },
                [tab](int i) { return tab->editors().at(i)->nameField(); },
                [tab](int i, const QString &text) { tab->editors().at(i)->urlField()->setText(text); },
                [stores] {
                    QStringList names;
                    for (const QuickLink &link : stores->links.links())
                        names << link.name;
                    return names;
                },
                [stores] { return stores->links.links().value(0).url; },
                [stores] { return stores->settings.linkKey(); }};
    }
    CommandsTab *const tab = &view.commandsTab();
    return {*tab,
            [tab] { tab->addCommand(); },
            [tab] { return int(tab->editors().size()); },
            [tab](int i) { return tab->editors().at(i)->nameField(); },
            [tab](int i, const QString &text) { tab->editors().at(i)->commandEditor()->setPlainText(text); },
            [stores] {
                QStringList names;
                for (const Command &command : stores->commands.commands())
                    names << command.name;
                return names;
            },
            [stores] { return stores->commands.commands().value(0).command; },
            [stores] { return stores->settings.commandKey(); }};
}

} // namespace

// The Links and Commands tabs: Save stores the key first and the list only when the key
// is accepted, then shows what was stored; leaving the tab discards unsaved edits.
class SingleKeyTabsTest : public QObject {
    Q_OBJECT
private slots:
    void saveStoresWhatIsAcceptedAndLeavingTheTabDiscardsTheRest_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("message");
        const int links = int(Tab::Links);
        const int commands = int(Tab::Commands);
        const QString linkDistinct = QStringLiteral("Key must differ from clipboard / snippet keys");
        const QString commandDistinct = QStringLiteral("Key must differ from clipboard / snippet / link keys");
        // One row for each way a tab refuses; the store's own tests cover every rule.
        QTest::newRow("link key emptied") << links << "" << "Key must be a letter";
        QTest::newRow("link key is the clipboard key") << links << "V" << linkDistinct;
        QTest::newRow("link key is an app's letter") << links << "f" << "Key F conflicts with an app letter";
        QTest::newRow("command key is the link key") << commands << "q" << commandDistinct;
    }

    void saveStoresWhatIsAcceptedAndLeavingTheTabDiscardsTheRest()
    {
        QFETCH(int, tab);
        QFETCH(QString, key);
        QFETCH(QString, message);
        SettingsFixture fixture;
        fixture.settings.applyLetters({{"app.with.f", "f"}});
        ShownView shown(fixture, Tab(tab));
        const KeyedTab keyed = keyedTab(fixture, shown.view, Tab(tab));
        QCOMPARE(keyed.tab.keyField().text(), keyed.storedKey().toUpper());

        keyed.add();
        keyed.nameField(0)->setText(QStringLiteral("Stored"));
        keyed.setDetail(0, QStringLiteral("stored.example"));
        keyed.add();
        keyed.nameField(1)->setText(QStringLiteral(" \t")); // a blank record is dropped
        QLineEdit *const firstName = keyed.nameField(0);
        keyed.tab.keyField().setText(QStringLiteral("xy"));
        int ticks = fixture.tick();
        keyed.tab.save();
        QCOMPARE(keyed.tab.errorText(), std::nullopt);
        QCOMPARE(keyed.storedKey(), QStringLiteral("x"));
        QCOMPARE(keyed.storedNames(), QStringList{"Stored"});
        QCOMPARE(keyed.firstStoredDetail(), QStringLiteral("stored.example"));
        QCOMPARE(fixture.tick(), ticks + 2); // the key, then the list
        // Reloaded from the store: the blank record is gone, the key shows in upper case.
        QCOMPARE(keyed.editorCount(), 1);
        QVERIFY(keyed.nameField(0) != firstName);
        QCOMPARE(keyed.tab.keyField().text(), QStringLiteral("X"));

        // A refused key stores nothing, neither the key nor the list.
        ticks = fixture.tick();
        keyed.nameField(0)->setText(QStringLiteral("Renamed"));
        keyed.setDetail(0, QStringLiteral("changed.example"));
        keyed.add();
        keyed.tab.keyField().setText(key);
        keyed.tab.save();
        QCOMPARE(keyed.tab.errorText(), std::optional<QString>(message));
        QCOMPARE(fixture.tick(), ticks);
        QCOMPARE(keyed.storedNames(), QStringList{"Stored"});
        QCOMPARE(keyed.firstStoredDetail(), QStringLiteral("stored.example"));
        QCOMPARE(keyed.storedKey(), QStringLiteral("x"));
        QCOMPARE(keyed.editorCount(), 2); // the working copy stays for correction

        // Shown again, the tab shows what is stored, without the message.
        shown.revisit(Tab(tab));
        QCOMPARE(keyed.editorCount(), 1);
        QCOMPARE(keyed.nameField(0)->text(), QStringLiteral("Stored"));
        QCOMPARE(keyed.tab.keyField().text(), QStringLiteral("X"));
        QCOMPARE(keyed.tab.errorText(), std::nullopt);
    }

    void helpTextNamesTheKeyAsTyped_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("links") << int(Tab::Links);
        QTest::newRow("commands") << int(Tab::Commands);
    }

    void helpTextNamesTheKeyAsTyped()
    {
        QFETCH(int, tab);
        SettingsFixture fixture;
        ShownView shown(fixture, Tab(tab));
        const KeyedTab keyed = keyedTab(fixture, shown.view, Tab(tab));
        const auto names = [&keyed](const QString &label) {
            return showsTextContaining(keyed.tab, QStringLiteral("press %1 + number").arg(label));
        };
        QVERIFY(names(keyed.storedKey().toUpper()));
        keyed.tab.keyField().setText(QStringLiteral("k"));
        QVERIFY(names(QStringLiteral("K")));
        // Typed punctuation is shown, not taken as formatting.
        keyed.tab.keyField().setText(QStringLiteral("*"));
        QVERIFY(names(QStringLiteral("\\*")));
    }

    void openNowUsesTheUnsavedUrlAndNeedsOne()
    {
        SettingsFixture fixture;
        QuickLink docs;
        docs.name = QStringLiteral("Docs");
        docs.url = QStringLiteral("https://docs.example.com");
        fixture.links.replaceAll({docs});
        ShownView shown(fixture, Tab::Links);
        LinkEditor *editor = shown.view.linksTab().editors().first();
        QPushButton *open = editor->openButton();
        QVERIFY(open->isEnabled());

        editor->urlField()->setText(QStringLiteral("  \t "));
        QVERIFY(!open->isEnabled());
        editor->urlField()->setText(QStringLiteral(" example.org/page "));
        QVERIFY(open->isEnabled());
        StubOpener opener;
        open->click();
        QTRY_COMPARE(opener.opened(), QStringList{QStringLiteral("https://example.org/page")});
        QCOMPARE(fixture.links.links().first().url, QStringLiteral("https://docs.example.com")); // still unsaved
    }
};

QTEST_MAIN(SingleKeyTabsTest)
#include "single_key_tabs_test.moc"
