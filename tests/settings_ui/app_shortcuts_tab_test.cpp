#include "SettingsUiTesting.h"

#include "settings/ui/AppShortcutRow.h"
#include "settings/ui/AppShortcutsTab.h"

#include <QComboBox>
#include <QLabel>

using namespace lettergate;

using Tab = SettingsView::Tab;
using AppTextMap = SettingsStore::AppTextMap;

namespace {

QStringList rowTexts(const AppShortcutsTab &tab)
{
    QStringList texts;
    for (const AppShortcutRow *row : tab.rows())
        texts << row->findChildren<QLabel *>().last()->text() + u'=' + row->text();
    return texts;
}

AppShortcutRow *rowOf(const AppShortcutsTab &tab, const QString &bundleID)
{
    const QList<AppShortcutRow *> rows = tab.rows();
    const auto row = std::ranges::find(rows, bundleID, &AppShortcutRow::bundleID);
    if (row == rows.end())
        qFatal("no row for %s", qPrintable(bundleID));
    return *row;
}

} // namespace

class AppShortcutsTabTest : public QObject {
    Q_OBJECT
private slots:
    // Sorted by name in any case, an app without a recorded name by its identifier;
    // Save stores first letters and the paste keystrokes, or names the problem and stores nothing.
    void saveStoresLettersAndPasteKeystrokesOrNamesTheProblemAndStoresNothing()
    {
        SettingsFixture fixture;
        fixture.settings.setLetters({{"app.one", "a"}, {"app.two", "b"}, {"com.unnamed.Tool", "u"}});
        fixture.settings.setNames({{"app.one", "one"}, {"app.two", "Two"}});
        fixture.settings.saveLetters();
        ShownView shown(fixture, Tab::AppShortcuts);
        AppShortcutsTab &tab = shown.view.appShortcutsTab();
        QCOMPARE(rowTexts(tab), QStringList({"com.unnamed.Tool=U", "one=A", "Two=B"}));
        const AppTextMap before = fixture.settings.letters();
        const int ticks = fixture.tick();
        // One row for each order the problems are tried in; the store's own tests cover every rule.
        const QList<std::tuple<QString, QString, QString>> refused{{"u", "7", "Only A–Z or blank"},
                                                                   {"K", "k", "Duplicate letter"}};
        for (const auto &[first, second, message] : refused) {
            rowOf(tab, "app.one")->field()->setText(first);
            rowOf(tab, "app.two")->field()->setText(second);
            tab.save();
            QCOMPARE(tab.errorText(), std::optional<QString>(message));
            QCOMPARE(fixture.settings.letters(), before);
            QCOMPARE(fixture.tick(), ticks);
            QCOMPARE(rowOf(tab, "app.two")->text(), second); // what was typed stays for correction
        }

        // The next good Save (Ctrl+S) clears the message and stores first letters.
        rowOf(tab, "app.one")->field()->setText(QStringLiteral("kx"));
        rowOf(tab, "app.two")->field()->setText(QString());
        QTest::keyClick(rowOf(tab, "app.one")->field(), Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(fixture.settings.letters(),
                     AppTextMap({{"app.one", "k"}, {"app.two", ""}, {"com.unnamed.Tool", "u"}}));
        QCOMPARE(tab.errorText(), std::nullopt);
        QCOMPARE(rowTexts(tab), QStringList({"com.unnamed.Tool=U", "one=K", "Two="}));

        // An edit not saved is discarded, its message with it, when the tab is shown again.
        rowOf(tab, "app.one")->field()->setText(QStringLiteral("7"));
        tab.save();
        shown.revisit(Tab::AppShortcuts);
        QCOMPARE(rowOf(tab, "app.one")->text(), QStringLiteral("K"));
        QCOMPARE(tab.errorText(), std::nullopt);

        // The paste keystroke is saved with the letters, and only by Save.
        const auto choose = [&tab](const QString &bundleID, const QString &label) {
            rowOf(tab, bundleID)->pasteKeystrokeChoice()->setCurrentText(label);
            QCOMPARE(rowOf(tab, bundleID)->pasteKeystrokeChoice()->currentText(), label);
        };
        // Leaving the tab discards the choice.
        choose("app.one", "Shift+Insert");
        shown.revisit(Tab::AppShortcuts);
        QCOMPARE(rowOf(tab, "app.one")->pasteKeystroke(), std::nullopt);

        // A Save the letters reject stores no keystroke either, and keeps the choice.
        choose("app.one", "Shift+Insert");
        rowOf(tab, "app.two")->field()->setText(QStringLiteral("7"));
        tab.save();
        QVERIFY(fixture.settings.pasteKeystrokes().isEmpty());
        QCOMPARE(rowOf(tab, "app.one")->pasteKeystroke(), PasteKeystroke::shiftInsert);
        rowOf(tab, "app.two")->field()->setText(QStringLiteral("c"));
        choose("app.two", "Ctrl+V");
        tab.save();
        QCOMPARE(fixture.settings.pasteKeystrokes(),
                 SettingsStore::PasteKeystrokeMap(
                     {{"app.one", PasteKeystroke::shiftInsert}, {"app.two", PasteKeystroke::controlV}}));

        // Back to automatic.
        choose("app.one", "Automatic");
        tab.save();
        QCOMPARE(fixture.settings.pasteKeystrokes(),
                 SettingsStore::PasteKeystrokeMap({{"app.two", PasteKeystroke::controlV}}));
    }
};

QTEST_MAIN(AppShortcutsTabTest)
#include "app_shortcuts_tab_test.moc"
