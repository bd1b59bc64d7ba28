#include "SettingsUiTesting.h"

#include "settings/ui/KeyField.h"
#include "settings/ui/LinksTab.h"
#include "support/StubOpener.h"

#include <QPushButton>

using namespace lettergate;

using Tab = SettingsView::Tab;

// The tabs of one list key (links here; the commands tab shares the behaviour, and the
// window's tests save, refuse and leave through it): Save stores the key first and the
// list only when the key is accepted, then shows what was stored.
class SingleKeyTabsTest : public QObject {
    Q_OBJECT
private slots:
    void saveStoresTheListOnlyWithAnAcceptedKeyAndOpenNowTakesTheUnsavedUrl()
    {
        SettingsFixture fixture;
        fixture.settings.applyLetters({{"app.with.f", "f"}});
        ShownView shown(fixture, Tab::Links);
        LinksTab &tab = shown.view.linksTab();
        tab.addLink();
        tab.editors().at(0)->nameField()->setText(QStringLiteral("Stored"));
        tab.editors().at(0)->urlField()->setText(QStringLiteral("stored.example"));
        tab.addLink();
        tab.editors().at(1)->nameField()->setText(QStringLiteral(" \t")); // a blank record is dropped
        tab.keyField().setText(QStringLiteral("xy"));
        const int ticks = fixture.tick();
        tab.save();
        QCOMPARE(tab.errorText(), std::nullopt);
        QCOMPARE(fixture.settings.linkKey(), QStringLiteral("x"));
        QCOMPARE(fixture.links.links().size(), 1);
        QCOMPARE(fixture.links.links().first().url, QStringLiteral("stored.example"));
        QCOMPARE(fixture.tick(), ticks + 2); // the key, then the list
        // Reloaded from the store: the blank record is gone, the key shows in upper case.
        QCOMPARE(tab.editors().size(), 1);
        QCOMPARE(tab.keyField().text(), QStringLiteral("X"));

        // A refused key stores the list neither; the store's own tests cover every rule, and
        // the window's tests what leaving the tab does to the edits.
        tab.editors().at(0)->nameField()->setText(QStringLiteral("Renamed"));
        tab.keyField().setText(QStringLiteral("f"));
        tab.save();
        QCOMPARE(tab.errorText(), std::optional<QString>(QStringLiteral("Key F conflicts with an app letter")));
        QCOMPARE(fixture.links.links().first().name, QStringLiteral("Stored"));
        QCOMPARE(fixture.tick(), ticks + 2);

        // Open Now needs a URL, and opens the one typed, saved or not.
        LinkEditor *editor = tab.editors().first();
        editor->urlField()->setText(QStringLiteral("  \t "));
        QVERIFY(!editor->openButton()->isEnabled());
        editor->urlField()->setText(QStringLiteral(" example.org/page "));
        StubOpener opener;
        editor->openButton()->click();
        QTRY_COMPARE(opener.opened(), QStringList{QStringLiteral("https://example.org/page")});
        QCOMPARE(fixture.links.links().first().url, QStringLiteral("stored.example"));
    }
};

QTEST_MAIN(SingleKeyTabsTest)
#include "single_key_tabs_test.moc"
