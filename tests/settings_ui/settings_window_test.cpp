#include "SettingsUiTesting.h"

#include "settings/ui/AppShortcutRow.h"
#include "settings/ui/AppShortcutsTab.h"
#include "settings/ui/CommandsTab.h"
#include "settings/ui/GeneralSettingsTab.h"
#include "settings/ui/KeyField.h"
#include "settings/ui/SavedBadge.h"
#include "settings/ui/SettingsWindowController.h"
#include "settings/ui/WindowPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QWheelEvent>

using Tab = SettingsView::Tab;
using UnsavedEdits = SettingsQuestions::UnsavedEdits;
Q_DECLARE_METATYPE(UnsavedEdits)

namespace {

// One notch of the wheel, turned towards the end of the list, over the widget's centre.
void turnWheelDown(QWidget *widget)
{
    const QPointF centre = QRectF(widget->rect()).center();
    QWheelEvent wheel(centre, widget->mapToGlobal(centre), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

// Whether the row is in view from top to bottom, not cut by its list's edge.
bool showsWhole(const QWidget *row)
{
    return row->visibleRegion().boundingRect() == row->rect();
}

// Where the widget is in the window: it moves up as its list scrolls down.
int heightInWindow(const QWidget *widget)
{
    return widget->mapTo(widget->window(), QPoint()).y();
}

void storeCommands(CommandStore &store, int count)
{
    QList<Command> commands;
    for (int i = 0; i < count; ++i) {
        Command command;
        command.name = QStringLiteral("Command %1").arg(i);
        command.command = QStringLiteral("true");
        commands.append(command);
    }
    store.replaceAll(commands);
}

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void windowIsMadeOnceAndReusedWhereItWas()
    {
        SettingsFixture fixture;
        SettingsWindowController controller(fixture.services());
        QVERIFY(!controller.window());

        controller.show();
        SettingsView *window = controller.window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->currentTab(), Tab::General);

        window->showTab(Tab::Links);
        window->move(130, 90);
        QVERIFY(window->close()); // closing only hides
        QVERIFY(!window->isVisible());

        controller.show();
        QCOMPARE(controller.window(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->pos(), QPoint(130, 90));
        QCOMPARE(window->currentTab(), Tab::Links); // the tab view keeps its selection
    }

    void placeAndSizeAreRememberedAcrossRuns()
    {
        SettingsFixture fixture;
        {
            SettingsWindowController controller(fixture.services());
            controller.show();
            QCOMPARE(controller.window()->size(), SettingsView::contentSize); // never placed before
            controller.window()->resize(700, 520);
            controller.window()->move(60, 40);
            QVERIFY(controller.window()->close());
        }
        SettingsStore nextRun(Paths::settingsFile(), fixture.armer, fixture.saveIndicator);
        nextRun.load();
        QCOMPARE(nextRun.settingsWindowGeometry(), std::optional<QRect>(QRect(60, 40, 700, 520)));

        SettingsWindowController controller(fixture.services());
        controller.show();
        QCOMPARE(controller.window()->pos(), QPoint(60, 40));
        QCOMPARE(controller.window()->size(), QSize(700, 520));
    }

    void placementKeepsTheWindowOnAScreen_data()
    {
        QTest::addColumn<std::optional<QRect>>("stored");
        QTest::addColumn<QRect>("placed");
        // Two screens side by side, the primary one on the right.
        QTest::newRow("never placed") << std::optional<QRect>() << QRect(1684, 300, 600, 480);
        QTest::newRow("where it was") << std::optional(QRect(100, 50, 700, 500)) << QRect(100, 50, 700, 500);
        QTest::newRow("partly past the last edge")
            << std::optional(QRect(2400, 700, 600, 480)) << QRect(2344, 600, 600, 480);
        QTest::newRow("across both, mostly on the left")
            << std::optional(QRect(500, 100, 600, 480)) << QRect(424, 100, 600, 480);
        QTest::newRow("taller than its screen")
            << std::optional(QRect(1200, 0, 600, 2000)) << QRect(1200, 0, 600, 1080);
        QTest::newRow("on a monitor that went away")
            << std::optional(QRect(-3000, 0, 700, 500)) << QRect(1634, 290, 700, 500);
    }

    void placementKeepsTheWindowOnAScreen()
    {
        QFETCH(std::optional<QRect>, stored);
        QFETCH(QRect, placed);
        const QList<QRect> screens{QRect(1024, 0, 1920, 1080), QRect(0, 0, 1024, 768)};
        QCOMPARE(WindowPlacement::restored(stored, QSize(600, 480), screens), placed);
    }

    void leavingUnsavedEditsAsksAndDoesWhatWasChosen_data()
    {
        QTest::addColumn<bool>("byTab");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QString>("typedKey");
        QTest::addColumn<UnsavedEdits>("choice");
        QTest::addColumn<bool>("leaves");
        QTest::addColumn<QString>("storedName");
        for (const bool byTab : {false, true}) {
            const char *how = byTab ? "another tab, " : "close, ";
            QTest::addRow("%snothing edited: no question", how)
                << byTab << false << "M" << UnsavedEdits::Cancel << true << "Stored";
            QTest::addRow("%ssave", how) << byTab << true << "M" << UnsavedEdits::Save << true << "Edited";
            QTest::addRow("%ssave refused: stays on the reason", how)
                << byTab << true << "V" << UnsavedEdits::Save << false << "Stored";
            QTest::addRow("%sdiscard", how) << byTab << true << "M" << UnsavedEdits::Discard << true << "Stored";
            QTest::addRow("%scancel: back to the edits", how)
                << byTab << true << "M" << UnsavedEdits::Cancel << false << "Stored";
        }
    }

    void leavingUnsavedEditsAsksAndDoesWhatWasChosen()
    {
        QFETCH(bool, byTab);
        QFETCH(bool, edited);
        QFETCH(QString, typedKey);
        QFETCH(UnsavedEdits, choice);
        QFETCH(bool, leaves);
        QFETCH(QString, storedName);
        SettingsFixture fixture;
        Command stored;
        stored.name = QStringLiteral("Stored");
        stored.command = QStringLiteral("true");
        fixture.commands.replaceAll({stored});
        SettingsWindowController controller(fixture.services());
        controller.show();
        SettingsView *window = controller.window();
        window->showTab(Tab::Commands);
        CommandsTab &tab = window->commandsTab();
        int questions = 0;
        window->setUnsavedEditsQuestion([&](QWidget *) {
            ++questions;
            return choice;
        });

        if (edited) {
            tab.editors().first()->nameField()->setText(QStringLiteral("Edited"));
            tab.keyField().setText(typedKey);
        }
        if (byTab) {
            window->showTab(Tab::Links);
            QCOMPARE(window->currentTab(), leaves ? Tab::Links : Tab::Commands);
        } else {
            QCOMPARE(window->close(), leaves);
            QCOMPARE(window->isVisible(), !leaves);
        }

        QCOMPARE(questions, edited ? 1 : 0);
        QCOMPARE(fixture.commands.commands().first().name, storedName);
        QCOMPARE(tab.errorText().has_value(), typedKey == u"V");
        // Whatever was chosen, the tab shows the edits only while it stays in view.
        QCOMPARE(tab.editors().first()->nameField()->text(), leaves ? storedName : QStringLiteral("Edited"));
    }

    void wheelOverARowScrollsTheList()
    {
        SettingsFixture fixture;
        SettingsStore::AppTextMap letters;
        SettingsStore::AppTextMap names;
        for (char letter = 'a'; letter <= 'p'; ++letter) {
            const QString id = QStringLiteral("app.") + QChar(letter);
            letters.insert(id, QString(QChar(letter)));
            names.insert(id, id);
        }
        fixture.settings.setLetters(letters);
        fixture.settings.setNames(names);
        ShownView shown(fixture, Tab::AppShortcuts);
        const AppShortcutRow *first = shown.view.appShortcutsTab().rows().first();
        QComboBox *choice = first->pasteKeystrokeChoice();
        QTRY_VERIFY(!showsWhole(shown.view.appShortcutsTab().rows().last())); // laid out, longer than the window
        const int top = heightInWindow(first);

        // The menu keeps its choice; the list moves.
        turnWheelDown(choice);
        QCOMPARE(choice->currentIndex(), 0);
        QVERIFY(heightInWindow(first) < top);
        QVERIFY(!first->isEdited());

        // A command's text box with nothing of its own to scroll passes the wheel on too.
        storeCommands(fixture.commands, 12);
        ShownView commands(fixture, Tab::Commands);
        const CommandEditor *editor = commands.view.commandsTab().editors().first();
        QTRY_VERIFY(!showsWhole(commands.view.commandsTab().editors().last()));
        const int commandTop = heightInWindow(editor);
        turnWheelDown(editor->commandEditor()->viewport());
        QVERIFY(heightInWindow(editor) < commandTop);
    }

    void addShowsTheNewRowWithItsNameReadyToType()
    {
        SettingsFixture fixture;
        storeCommands(fixture.commands, 12);
        ShownView shown(fixture, Tab::Commands);
        CommandsTab &tab = shown.view.commandsTab();
        QTRY_VERIFY(!showsWhole(tab.editors().last())); // laid out, longer than the window

        tab.addCommand();
        CommandEditor *added = tab.editors().last();
        QTRY_VERIFY(showsWhole(added));
        QTRY_VERIFY(added->nameField()->hasFocus());
        QCOMPARE(added->nameField()->selectedText(), QStringLiteral("New command"));
    }

    void aLongErrorWrapsInsteadOfBeingCut()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::Commands);
        CommandsTab &tab = shown.view.commandsTab();
        tab.keyField().setText(QStringLiteral("V"));
        tab.save();
        const auto *error = tab.findChild<QLabel *>(QStringLiteral("errorText"));
        QCOMPARE(error->text(), QStringLiteral("Key must differ from clipboard / snippet / link keys"));

        // Too long for one line beside the buttons: it takes as many lines as it needs.
        QTRY_VERIFY(error->isVisible());
        QVERIFY(error->fontMetrics().horizontalAdvance(error->text()) > error->width());
        QVERIFY(error->heightForWidth(error->width()) > error->fontMetrics().height());
        QTRY_VERIFY(error->height() >= error->heightForWidth(error->width()));
    }

    void taskbarEntryFollowsShowInTaskbarAtOnce()
    {
        SettingsFixture fixture;
        SettingsWindowController controller(fixture.services());
        controller.show();
        SettingsView *window = controller.window();
        QCOMPARE(window->windowType(), Qt::Tool); // no taskbar entry by default
        window->move(40, 50);
        auto *toggle = window->generalTab().findChild<QCheckBox *>();
        QCOMPARE(toggle->text(), QStringLiteral("Show in taskbar"));

        // The General tab's switch stores the choice, and follows the store.
        toggle->click();
        QVERIFY(fixture.settings.showInDock());
        QCOMPARE(window->windowType(), Qt::Window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->pos(), QPoint(40, 50));
        QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);

        fixture.settings.setShowInDock(false);
        QVERIFY(!toggle->isChecked());
        QCOMPARE(window->windowType(), Qt::Tool);
        QVERIFY(window->isVisible());

        // A window made while the choice is on starts with its entry.
        SettingsWindowController second(fixture.services());
        fixture.settings.setShowInDock(true);
        second.show();
        QCOMPARE(second.window()->windowType(), Qt::Window);
    }

    void savedBadgeStaysUpUntilShortlyAfterTheLastSave()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::General);
        const SavedBadge &badge = shown.view.savedBadge();
        QVERIFY(!badge.isShowing()); // the load's ticks came before the window
        QSignalSpy changes(&badge, &SavedBadge::showingChanged);

        QElapsedTimer sinceLastSave;
        fixture.settings.setShowInDock(true);
        QVERIFY(badge.isShowing());
        QTRY_VERIFY(badge.isVisible());
        QTest::qWait(700); // half the delay: the first save alone would hide it 700 ms after the second
        fixture.settings.setShowInDock(false);
        sinceLastSave.start();

        // It goes down once, never sooner than the delay after the last save.
        QTRY_VERIFY_WITH_TIMEOUT(!badge.isShowing(), 5000);
        QVERIFY(sinceLastSave.elapsed() >= SavedBadge::hideDelay.count());
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.at(1).first(), QVariant(false));
        QTRY_VERIFY(!badge.isVisible()); // faded out
    }

    void aFailingSaveShowsInTheWindowAndNotifiesOnce()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::Links);
        const SavedBadge &badge = shown.view.savedBadge();
        QuickLink link;
        link.name = QStringLiteral("Docs");
        link.url = QStringLiteral("example.com");
        const int ticks = fixture.tick();
        {
            StoreTesting::ReadOnlyDirectory readOnly(Paths::dataDirectory(), fixture.environment.root());
            QVERIFY(!fixture.links.replaceAll({link}));
            QVERIFY(!fixture.links.replaceAll({link, link}));
        }
        QCOMPARE(fixture.tick(), ticks);
        QVERIFY(badge.isShowing());
        QVERIFY(badge.showsFailure());
        QVERIFY2(badge.text().startsWith(QStringLiteral("Not saved: links.json: ")), qPrintable(badge.text()));
        QCOMPARE(fixture.platform.notes.shown.size(), 1);
        QCOMPARE(fixture.platform.notes.shown.first().summary, QStringLiteral("Lettergate could not save links.json"));
        // Another file's save does not cover it up.
        fixture.settings.setShowInDock(true);
        QVERIFY(badge.showsFailure());

        // Written again: "Saved", then gone; a later failure is news again.
        QVERIFY(fixture.links.replaceAll({link}));
        QVERIFY(!badge.showsFailure());
        QCOMPARE(badge.text(), QStringLiteral("Saved"));
        QTRY_VERIFY_WITH_TIMEOUT(!badge.isShowing(), 5000);
        {
            StoreTesting::ReadOnlyDirectory readOnly(Paths::dataDirectory(), fixture.environment.root());
            QVERIFY(!fixture.links.replaceAll({}));
        }
        QCOMPARE(fixture.platform.notes.shown.size(), 2);
        QVERIFY(fixture.links.replaceAll({}));

        // The settings file recovers too once its folder can be written again, with
        // what was set while it could not.
        {
            StoreTesting::ReadOnlyDirectory readOnly(QFileInfo(Paths::settingsFile()).absolutePath(),
                                                     fixture.environment.root());
            fixture.settings.setShowInDock(false);
        }
        QVERIFY(badge.showsFailure());
        fixture.settings.setSettingsWindowGeometry(QRect(10, 10, 600, 480));
        QVERIFY(!badge.showsFailure());
        SettingsStore nextRun(Paths::settingsFile(), fixture.armer, fixture.saveIndicator);
        nextRun.load();
        QVERIFY(!nextRun.showInDock());
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
