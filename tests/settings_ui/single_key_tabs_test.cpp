#include "SettingsUiTesting.h"

#include "settings/ui/KeyField.h"
#include "settings/ui/LinksTab.h"
#include "support/StubOpener.h"

#include <QPushButton>

using namespace lettergate;

using Tab = SettingsView::Tab;

// The tabs of one list key (links here; the commands tab shares the behaviour, and the
// window's tests save and refuse through it): Save stores the key first and the list
// only when the key is accepted, then shows what was stored; leaving the tab discards
// unsaved edits.
class SingleKeyTabsTest : public QObject {
    Q_OBJECT
private slots:
    void saveStoresWhatIsAcceptedAndLeavingTheTabDiscardsTheRest()
    {
        SettingsFixture fixture;
        fixture.settings.applyLetters({{"app.with.f", "f"}});
        ShownView shown(fixture, Tab::Links);
        LinksTab &tab = shown.view.linksTab();
        const auto storedNames = [&fixture] {
            QStringList names;
            for (const QuickLink &link : fixture.links.links())
                names << link.name;
            return names;
        };
        tab.addLink();
        tab.editors().at(0)->nameField()->setText(QStringLiteral("Stored"));
        tab.editors().at(0)->urlField()->setText(QStringLiteral("stored.example"));
        tab.addLink();
        tab.editors().at(1)->nameField()->setText(QStringLiteral(" \t")); // a blank record is dropped
        tab.keyField().setText(QStringLiteral("xy"));
        int ticks = fixture.tick();
        tab.save();
        QCOMPARE(tab.errorText(), std::nullopt);
        QCOMPARE(fixture.settings.linkKey(), QStringLiteral("x"));
        QCOMPARE(storedNames(), QStringList{"Stored"});
        QCOMPARE(fixture.links.links().first().url, QStringLiteral("stored.example"));
        QCOMPARE(fixture.tick(), ticks + 2); // the key, then the list
        // Reloaded from the store: the blank record is gone, the key shows in upper case.
        QCOMPARE(tab.editors().size(), 1);
        QCOMPARE(tab.keyField().text(), QStringLiteral("X"));

        // A refused key stores nothing, neither the key nor the list; the store's own
        // tests cover every rule.
        ticks = fixture.tick();
        tab.editors().at(0)->nameField()->setText(QStringLiteral("Renamed"));
        tab.addLink();
        tab.keyField().setText(QStringLiteral("f"));
        tab.save();
        QCOMPARE(tab.errorText(), std::optional<QString>(QStringLiteral("Key F conflicts with an app letter")));
        QCOMPARE(fixture.tick(), ticks);
        QCOMPARE(storedNames(), QStringList{"Stored"});
        QCOMPARE(tab.editors().size(), 2); // the working copy stays for correction
        // Shown again, the tab shows what is stored, without the message.
        shown.revisit(Tab::Links);
        QCOMPARE(tab.editors().size(), 1);
        QCOMPARE(tab.errorText(), std::nullopt);
    }

    void openNowUsesTheUnsavedUrlAndNeedsOne()
    {
        SettingsFixture fixture;
        fixture.links.replaceAll(
            {QuickLink{QUuid::createUuid(), QStringLiteral("Docs"), QStringLiteral("https://docs.example.com")}});
        ShownView shown(fixture, Tab::Links);
        LinkEditor *editor = shown.view.linksTab().editors().first();
        QPushButton *open = editor->openButton();
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
