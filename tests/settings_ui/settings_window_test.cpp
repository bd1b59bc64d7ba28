#include "SettingsUiTesting.h"

#include "settings/ui/GeneralSettingsTab.h"
#include "settings/ui/SavedBadge.h"
#include "settings/ui/SettingsWindowController.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QSignalSpy>

using Tab = SettingsView::Tab;

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

    void taskbarEntryFollowsShowInDockAtOnce()
    {
        SettingsFixture fixture;
        SettingsWindowController controller(fixture.services());
        controller.show();
        SettingsView *window = controller.window();
        QCOMPARE(window->windowType(), Qt::Tool); // no taskbar entry by default
        window->move(40, 50);
        auto *toggle = window->generalTab().findChild<QCheckBox *>();
        QCOMPARE(toggle->text(), QStringLiteral("Show in Dock"));

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
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
