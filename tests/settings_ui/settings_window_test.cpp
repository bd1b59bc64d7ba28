#include "SettingsUiTesting.h"

#include "settings/ui/CommandsTab.h"
#include "settings/ui/GeneralSettingsTab.h"
#include "settings/ui/KeyField.h"
#include "settings/ui/SavedBadge.h"
#include "settings/ui/SettingsWindowController.h"
#include "settings/ui/WindowPlacement.h"

#include <QCheckBox>
#include <QFileInfo>

using namespace lettergate;

using Tab = SettingsView::Tab;
using UnsavedEdits = SettingsQuestions::UnsavedEdits;

class SettingsWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Made once, closing only hides it, and its place and size last into the next run.
    // It has a taskbar entry only when asked to, and follows the choice at once.
    void windowIsMadeOnceAndReusedWhereItWas()
    {
        SettingsFixture fixture;
        {
            SettingsWindowController controller(fixture.services());
            QVERIFY(!controller.window());
            controller.show();
            SettingsView *window = controller.window();
            QCOMPARE(window->windowType(), Qt::Tool);
            window->move(60, 40);
            window->generalTab().findChild<QCheckBox *>()->click();
            QVERIFY(fixture.settings.showInDock());
            QCOMPARE(window->windowType(), Qt::Window);
            QCOMPARE(window->pos(), QPoint(60, 40));
            fixture.settings.setShowInDock(false);
            QCOMPARE(window->windowType(), Qt::Tool);
            QVERIFY(window->isVisible());
            window->showTab(Tab::Links);
            window->resize(700, 520);
            QVERIFY(window->close());
            controller.show();
            QCOMPARE(controller.window(), window);
            QCOMPARE(window->currentTab(), Tab::Links);
            QVERIFY(window->close());
        }
        SettingsStore nextRun(Paths::settingsFile(), fixture.armer, fixture.saveIndicator);
        nextRun.load();
        SettingsWindowController controller(SettingsServices{nextRun, fixture.saveIndicator, fixture.snippets,
                                                             fixture.links, fixture.commands, fixture.history,
                                                             fixture.platform, fixture.trigger});
        controller.show();
        QCOMPARE(QRect(controller.window()->pos(), controller.window()->size()), QRect(60, 40, 700, 520));
    }

    void placementKeepsTheWindowOnAScreen()
    {
        // Two screens side by side, the primary one on the right.
        const QList<QRect> screens{QRect(1024, 0, 1920, 1080), QRect(0, 0, 1024, 768)};
        const QList<std::pair<std::optional<QRect>, QRect>> cases{
            {std::nullopt, QRect(1684, 300, 600, 480)},
            {QRect(100, 50, 700, 500), QRect(100, 50, 700, 500)},
            {QRect(2400, 700, 600, 480), QRect(2344, 600, 600, 480)}, // partly past the last edge
            {QRect(500, 100, 600, 480), QRect(424, 100, 600, 480)},   // across both, mostly on the left
            {QRect(1200, 0, 600, 2000), QRect(1200, 0, 600, 1080)},   // taller than its screen
            {QRect(-3000, 0, 700, 500), QRect(1634, 290, 700, 500)},  // on a monitor that went away
        };
        for (const auto &[stored, placed] : cases)
            QCOMPARE(WindowPlacement::restored(stored, QSize(600, 480), screens), placed);
    }

    void leavingUnsavedEditsAsksAndDoesWhatWasChosen()
    {
        const struct {
            bool edited;
            QString typedKey; // "V" is refused
            UnsavedEdits choice;
            bool leaves;
            QString storedName;
        } cases[] = {
            {false, "M", UnsavedEdits::Cancel, true, "Stored"}, {true, "M", UnsavedEdits::Save, true, "Edited"},
            {true, "V", UnsavedEdits::Save, false, "Stored"},   {true, "M", UnsavedEdits::Discard, true, "Stored"},
            {true, "M", UnsavedEdits::Cancel, false, "Stored"},
        };
        for (const bool byTab : {false, true}) {
            for (const auto &test : cases) {
                SettingsFixture fixture;
                fixture.commands.replaceAll(
                    {Command{QUuid::createUuid(), QStringLiteral("Stored"), QStringLiteral("true")}});
                SettingsWindowController controller(fixture.services());
                controller.show();
                SettingsView *window = controller.window();
                window->showTab(Tab::Commands);
                CommandsTab &tab = window->commandsTab();
                int questions = 0;
                window->setUnsavedEditsQuestion([&](QWidget *) {
                    ++questions;
                    return test.choice;
                });
                if (test.edited) {
                    tab.editors().first()->nameField()->setText(QStringLiteral("Edited"));
                    tab.keyField().setText(test.typedKey);
                }
                if (byTab)
                    window->showTab(Tab::Links);
                QCOMPARE(byTab ? window->currentTab() == Tab::Links : window->close(), test.leaves);
                QCOMPARE(questions, test.edited ? 1 : 0);
                QCOMPARE(fixture.commands.commands().first().name, test.storedName);
                // The tab shows the edits only while it stays in view.
                QCOMPARE(tab.editors().first()->nameField()->text(),
                         test.leaves ? test.storedName : QStringLiteral("Edited"));
            }
        }
    }

    void aFailingSaveShowsInTheWindowAndNotifiesOnce()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::Links);
        const SavedBadge &badge = shown.view.savedBadge();
        QVERIFY(!badge.isShowing()); // the load's ticks came before the window
        const QuickLink link{QUuid::createUuid(), QStringLiteral("Docs"), QStringLiteral("example.com")};
        {
            StoreTesting::ReadOnlyDirectory readOnly(Paths::dataDirectory(), fixture.environment.root());
            QVERIFY(!fixture.links.replaceAll({link}));
            QVERIFY(!fixture.links.replaceAll({link, link}));
        }
        QVERIFY(badge.showsFailure());
        QVERIFY2(badge.text().startsWith(QStringLiteral("Not saved: links.json: ")), qPrintable(badge.text()));
        QCOMPARE(fixture.platform.notes.shown.size(), 1);
        // Another file's save does not cover it up.
        fixture.settings.setShowInDock(true);
        QVERIFY(badge.showsFailure());

        // Written again: "Saved", then gone.
        QVERIFY(fixture.links.replaceAll({link}));
        QCOMPARE(badge.text(), QStringLiteral("Saved"));
        QTRY_VERIFY_WITH_TIMEOUT(!badge.isShowing(), 5000);

        // The settings file recovers too once its folder can be written again, with
        // what was set while it could not.
        {
            StoreTesting::ReadOnlyDirectory readOnly(QFileInfo(Paths::settingsFile()).absolutePath(),
                                                     fixture.environment.root());
            fixture.settings.setShowInDock(false);
        }
        QVERIFY(badge.showsFailure());
        QCOMPARE(fixture.platform.notes.shown.size(), 2);
        fixture.settings.setSettingsWindowGeometry(QRect(10, 10, 600, 480));
        QVERIFY(!badge.showsFailure());
        SettingsStore nextRun(Paths::settingsFile(), fixture.armer, fixture.saveIndicator);
        nextRun.load();
        QVERIFY(!nextRun.showInDock());
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
