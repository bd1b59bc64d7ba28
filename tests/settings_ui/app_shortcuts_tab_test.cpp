#include "SettingsUiTesting.h"

#include "settings/ui/AppShortcutRow.h"
#include "settings/ui/AppShortcutsTab.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using Tab = SettingsView::Tab;
using AppTextMap = SettingsStore::AppTextMap;

namespace {

void storeApps(SettingsStore &store, const AppTextMap &letters, const AppTextMap &names)
{
    store.setLetters(letters);
    store.setNames(names);
    store.saveLetters();
}

// Three apps with the letters A, B and C.
void storeThreeApps(SettingsStore &store)
{
    storeApps(store, {{"app.one", "a"}, {"app.two", "b"}, {"app.three", "c"}},
              {{"app.one", "One"}, {"app.two", "Two"}, {"app.three", "Three"}});
}

QStringList rowTexts(const AppShortcutsTab &tab)
{
    QStringList texts;
    for (const AppShortcutRow *row : tab.rows())
        texts << row->findChildren<QLabel *>().last()->text() + u'=' + row->text();
    return texts;
}

AppShortcutRow *rowOf(const AppShortcutsTab &tab, const QString &bundleID)
{
    for (AppShortcutRow *row : tab.rows()) {
        if (row->bundleID() == bundleID)
            return row;
    }
    qFatal("no row for %s", qPrintable(bundleID));
}

} // namespace

class AppShortcutsTabTest : public QObject {
    Q_OBJECT
private slots:
    void rowsAreSortedByNameWithLettersInUpperCase()
    {
        SettingsFixture fixture;
        storeApps(
            fixture.settings,
            {{"org.example.zed", "z"}, {"org.example.alpha", "a"}, {"org.example.beta", ""}, {"com.unnamed.Tool", "u"}},
            {{"org.example.zed", "zed"}, {"org.example.alpha", "Alpha"}, {"org.example.beta", "beta"}});
        ShownView shown(fixture, Tab::AppShortcuts);
        const AppShortcutsTab &tab = shown.view.appShortcutsTab();
        QVERIFY(!tab.showsEmptyState());
        // Case-insensitive by name; an app without a recorded name goes by its identifier.
        QCOMPARE(rowTexts(tab), QStringList({"Alpha=A", "beta=", "com.unnamed.Tool=U", "zed=Z"}));
    }

    void saveStoresFirstLettersOrNamesTheProblemAndStoresNothing_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("message");
        // One row for each message and the order they are tried in; the store's own tests
        // cover every rule.
        QTest::newRow("digit") << "7" << "b" << "Only A–Z or blank";
        QTest::newRow("not a letter wins over a duplicate") << "c" << "7" << "Only A–Z or blank";
        QTest::newRow("duplicate in any case") << "K" << "k" << "Duplicate letter";
        QTest::newRow("a list key, typed upper case") << "a" << "M" << "Letter M conflicts with a quick-access key";
    }

    void saveStoresFirstLettersOrNamesTheProblemAndStoresNothing()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, message);
        SettingsFixture fixture;
        storeThreeApps(fixture.settings);
        ShownView shown(fixture, Tab::AppShortcuts);
        AppShortcutsTab &tab = shown.view.appShortcutsTab();
        const AppTextMap before = fixture.settings.letters();
        const int ticks = fixture.tick();

        rowOf(tab, "app.one")->field()->setText(first);
        rowOf(tab, "app.two")->field()->setText(second);
        tab.save();
        QCOMPARE(tab.errorText(), std::optional<QString>(message));
        QVERIFY(tab.findChild<QLabel *>(QStringLiteral("errorText"))->isVisibleTo(&tab));
        QCOMPARE(fixture.settings.letters(), before);
        QCOMPARE(fixture.tick(), ticks);
        // What was typed stays for correction.
        QCOMPARE(rowOf(tab, "app.one")->text(), first);
        QCOMPARE(rowOf(tab, "app.two")->text(), second);

        // The next good Save (Ctrl+S, the button shows itself pressed for a moment first)
        // clears the message and stores first letters.
        rowOf(tab, "app.one")->field()->setText(QStringLiteral("kx"));
        rowOf(tab, "app.two")->field()->setText(QString());
        rowOf(tab, "app.three")->field()->setText(QStringLiteral("d"));
        QTest::keyClick(rowOf(tab, "app.one")->field(), Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(fixture.settings.letters(), AppTextMap({{"app.one", "k"}, {"app.two", ""}, {"app.three", "d"}}));
        QCOMPARE(fixture.tick(), ticks + 1);
        QCOMPARE(tab.errorText(), std::nullopt);
        // Reloaded: one letter, upper case; a cleared app stays listed without one.
        QCOMPARE(rowTexts(tab), QStringList({"One=K", "Three=D", "Two="}));

        // An edit not saved is discarded, its message with it, when the tab is shown again.
        rowOf(tab, "app.one")->field()->setText(first);
        rowOf(tab, "app.two")->field()->setText(second);
        tab.save();
        QCOMPARE(tab.errorText(), std::optional<QString>(message));
        shown.revisit(Tab::AppShortcuts);
        QCOMPARE(rowOf(tab, "app.one")->text(), QStringLiteral("K"));
        QCOMPARE(tab.errorText(), std::nullopt);
    }

    void pasteKeystrokeIsSavedWithTheLettersAndOnlyBySave()
    {
        SettingsFixture fixture;
        storeThreeApps(fixture.settings);
        ShownView shown(fixture, Tab::AppShortcuts);
        AppShortcutsTab &tab = shown.view.appShortcutsTab();
        const int ticks = fixture.tick();
        const auto choose = [&tab](const QString &bundleID, const QString &label) {
            QComboBox *choice = rowOf(tab, bundleID)->pasteKeystrokeChoice();
            choice->setCurrentText(label);
            QCOMPARE(choice->currentText(), label);
        };
        QCOMPARE(rowOf(tab, "app.one")->pasteKeystroke(), std::nullopt);

        // Leaving the tab discards the choice.
        choose("app.one", "Shift+Insert");
        shown.revisit(Tab::AppShortcuts);
        QCOMPARE(rowOf(tab, "app.one")->pasteKeystroke(), std::nullopt);

        // A Save the letters reject stores no keystroke either, and keeps the choice.
        choose("app.one", "Shift+Insert");
        choose("app.two", "Ctrl+Shift+V");
        rowOf(tab, "app.three")->field()->setText(QStringLiteral("7"));
        tab.save();
        QVERIFY(fixture.settings.pasteKeystrokes().isEmpty());
        QCOMPARE(fixture.tick(), ticks);
        QCOMPARE(rowOf(tab, "app.two")->pasteKeystroke(), PasteKeystroke::controlShiftV);

        // B is the snippet key.
        rowOf(tab, "app.two")->field()->setText(QStringLiteral("t"));
        rowOf(tab, "app.three")->field()->setText(QStringLiteral("c"));
        tab.save();
        QCOMPARE(tab.errorText(), std::nullopt);
        const SettingsStore::PasteKeystrokeMap chosen{{"app.one", PasteKeystroke::shiftInsert},
                                                      {"app.two", PasteKeystroke::controlShiftV}};
        QCOMPARE(fixture.settings.pasteKeystrokes(), chosen);
        QCOMPARE(fixture.tick(), ticks + 1);
        QCOMPARE(rowOf(tab, "app.one")->pasteKeystroke(), PasteKeystroke::shiftInsert);

        // Back to automatic.
        choose("app.one", "Automatic");
        choose("app.three", "Ctrl+V");
        tab.save();
        QCOMPARE(fixture.settings.pasteKeystrokes(),
                 SettingsStore::PasteKeystrokeMap(
                     {{"app.two", PasteKeystroke::controlShiftV}, {"app.three", PasteKeystroke::controlV}}));
    }

    void emptyStateStillSaves()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::AppShortcuts);
        AppShortcutsTab &tab = shown.view.appShortcutsTab();
        QVERIFY(tab.showsEmptyState());

        const int ticks = fixture.tick();
        auto *save = tab.findChild<QPushButton *>(QStringLiteral("saveButton"));
        QVERIFY(save->isEnabled());
        save->click();
        QCOMPARE(fixture.tick(), ticks + 1);
        QVERIFY(shown.view.findChild<QWidget *>(QStringLiteral("savedBadge"))->isVisible());
        QVERIFY(fixture.settings.letters().isEmpty());
    }
};

QTEST_MAIN(AppShortcutsTabTest)
#include "app_shortcuts_tab_test.moc"
