#include "SettingsUiTesting.h"

#include "settings/ui/KeyField.h"
#include "settings/ui/LinksTab.h"

#include <QLabel>
#include <QPushButton>

using Tab = SettingsView::Tab;

namespace {

QuickLink link(const QString &name, const QString &url)
{
    QuickLink record;
    record.name = name;
    record.url = url;
    return record;
}

QStringList namesOf(const QList<QuickLink> &links)
{
    QStringList names;
    for (const QuickLink &record : links)
        names << record.name;
    return names;
}

} // namespace

class LinksTabTest : public QObject {
    Q_OBJECT
private slots:
    void rejectedSavesStoreNothing_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("message");
        QTest::newRow("emptied") << ""
                                 << "Key must be a letter";
        QTest::newRow("punctuation") << "?"
                                     << "Key must be a letter";
        QTest::newRow("the clipboard key") << "V"
                                           << "Key must differ from clipboard / snippet keys";
        QTest::newRow("the command key") << "m"
                                         << "Key must differ from clipboard / snippet keys";
        QTest::newRow("an app's letter") << "f"
                                         << "Key F conflicts with an app letter";
    }

    void rejectedSavesStoreNothing()
    {
        QFETCH(QString, key);
        QFETCH(QString, message);
        SettingsFixture fixture;
        fixture.settings.applyLetters({{"app.with.f", "f"}});
        ShownView shown(fixture, Tab::Links);
        LinksTab &tab = shown.view.linksTab();
        const int ticks = fixture.tick();

        tab.addLink();
        tab.keyField().setText(key);
        tab.save();

        QCOMPARE(tab.errorText(), std::optional<QString>(message));
        QCOMPARE(fixture.tick(), ticks);
        QVERIFY(fixture.links.links().isEmpty());
        QCOMPARE(fixture.settings.linkKey(), QStringLiteral("q"));
        QCOMPARE(tab.editors().size(), 1); // the working copy stays for correction
    }

    void saveStoresThenReloadsWhatWasStored()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::Links);
        LinksTab &tab = shown.view.linksTab();
        QCOMPARE(tab.keyField().text(), QStringLiteral("Q"));

        tab.addLink(); // "New link" with an empty url: kept, its name is not blank
        tab.addLink();
        tab.editors().last()->nameField()->setText(QStringLiteral(" \t"));
        tab.addLink();
        tab.editors().last()->nameField()->setText(QStringLiteral("Wiki"));
        tab.editors().last()->urlField()->setText(QStringLiteral("https://wiki.example.com"));
        tab.keyField().setText(QStringLiteral("lx"));
        const int ticks = fixture.tick();
        tab.save();

        QCOMPARE(tab.errorText(), std::nullopt);
        QCOMPARE(fixture.settings.linkKey(), QStringLiteral("l"));
        QCOMPARE(namesOf(fixture.links.links()), QStringList({"New link", "Wiki"}));
        QCOMPARE(fixture.tick(), ticks + 2);
        // Reloaded: the blank link is gone, the key shows as stored.
        QCOMPARE(tab.editors().size(), 2);
        QCOMPARE(tab.keyField().text(), QStringLiteral("L"));
    }

    void openNowUsesTheUnsavedUrlAndNeedsOne()
    {
        SettingsFixture fixture;
        fixture.links.replaceAll({link(QStringLiteral("Docs"), QStringLiteral("https://docs.example.com"))});
        ShownView shown(fixture, Tab::Links);
        LinksTab &tab = shown.view.linksTab();
        LinkEditor *editor = tab.editors().first();
        QPushButton *open = editor->openButton();
        QCOMPARE(open->toolTip(), QStringLiteral("Open now"));
        QVERIFY(open->isEnabled());

        editor->urlField()->setText(QStringLiteral("  \t "));
        QVERIFY(!open->isEnabled());
        editor->urlField()->setText(QStringLiteral(" example.org/page "));
        QVERIFY(open->isEnabled());
        open->click();
        QCOMPARE(fixture.platform.appList.openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/page"))});
        QCOMPARE(fixture.links.links().first().url, QStringLiteral("https://docs.example.com")); // still unsaved
    }

    void workingCopyIsDiscardedWhenTheTabIsShownAgain()
    {
        SettingsFixture fixture;
        fixture.links.replaceAll({link(QStringLiteral("Docs"), QStringLiteral("https://docs.example.com"))});
        ShownView shown(fixture, Tab::Links);
        LinksTab &tab = shown.view.linksTab();
        tab.editors().first()->findChild<QPushButton *>(QStringLiteral("delete"))->click();
        tab.addLink();
        tab.keyField().setText(QStringLiteral("v"));
        tab.save();
        QVERIFY(tab.errorText());

        shown.revisit(Tab::Links);
        QCOMPARE(namesOf(fixture.links.links()), QStringList{"Docs"});
        QCOMPARE(tab.editors().size(), 1);
        QCOMPARE(tab.editors().first()->record().name, QStringLiteral("Docs"));
        QCOMPARE(tab.keyField().text(), QStringLiteral("Q"));
        QCOMPARE(tab.errorText(), std::nullopt);
    }

    void emptyStateAndHelpText()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::Links);
        LinksTab &tab = shown.view.linksTab();
        QVERIFY(labelTexts(tab).contains(QStringLiteral("No quick links yet")));
        QVERIFY(labelTexts(tab).contains(QStringLiteral("Add a URL and Save. Open it by number from the panel.")));
        QVERIFY(showsTextContaining(tab, QStringLiteral("Supports web URLs (https://…) and app URL schemes (e.g. ")));
        QVERIFY(showsTextContaining(
            tab,
            QStringLiteral("opened just like Terminal's `open`. From the panel, press Q + number to open directly, "
                           "or double-tap for the full list. The key must be a letter, distinct from the "
                           "clipboard and snippet keys.")));
        tab.keyField().setText(QStringLiteral("k"));
        QVERIFY(showsTextContaining(tab, QStringLiteral("press K + number to open directly")));
        // Typed punctuation is shown, not taken as formatting.
        tab.keyField().setText(QStringLiteral("*"));
        QVERIFY(showsTextContaining(tab, QStringLiteral("press \\* + number")));
    }
};

QTEST_MAIN(LinksTabTest)
#include "links_tab_test.moc"
