#include "PanelRig.h"
#include "panel/AppsPage.h"
#include "panel/Card.h"
#include "panel/Clickable.h"
#include "panel/CompactBottomBar.h"
#include "panel/CompactChip.h"
#include "panel/EmptyState.h"
#include "panel/GridPage.h"
#include "panel/MiniPasteCard.h"
#include "panel/MoreChip.h"
#include "panel/PageArea.h"
#include "panel/PanelHeader.h"
#include "panel/PasteColumn.h"
#include "panel/ScreenRecordingBanner.h"
#include "panel/SnipCard.h"
#include "panel/SwitcherView.h"
#include "panel/SymbolButton.h"

#include <QTest>

using namespace PanelRig;

namespace {

// Every click callback, recorded as one line each.
struct Clicks {
    QStringList calls;

    SwitcherActions actions()
    {
        return {
            [this](const AppEntry &app) { calls << QStringLiteral("selectApp %1").arg(app.pid); },
            [this](const WindowInfo &window) { calls << QStringLiteral("selectWindow %1").arg(window.id); },
            [this](const ClipboardHistory::Item &item) { calls << QStringLiteral("pasteClip ") + item.text; },
            [this](const Snippet &snippet) { calls << QStringLiteral("pasteSnippet ") + snippet.name; },
            [this](const QuickLink &link) { calls << QStringLiteral("openLink ") + link.url; },
            [this](const Command &command) { calls << QStringLiteral("runCommand ") + command.command; },
            [this] { calls << QStringLiteral("enterClipboard"); },
            [this] { calls << QStringLiteral("enterSnippets"); },
            [this] { calls << QStringLiteral("enterLinks"); },
            [this] { calls << QStringLiteral("enterCommands"); },
        };
    }
    QStringList take() { return std::exchange(calls, {}); }
};

// A shown panel over a furnished rig, rebuilt after every change it is told about.
struct Panel {
    SwitcherRig &rig;
    Clicks clicks;
    int permissionRequests = 0;
    SwitcherView view{rig.model, rig.snippets, clicks.actions(), 4, 6, [this] { ++permissionRequests; }};

    explicit Panel(SwitcherRig &rig, QSize size = QSize(1000, 700)) : rig(rig)
    {
        view.resize(size);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        settle();
    }
    // Lets the scheduled rebuild and any page transition run.
    void settle()
    {
        QCoreApplication::processEvents();
        if (PageTransition *transition = view.pageArea()->transition())
            transition->finish();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    const HeaderContent &header() const { return view.header()->content(); }
    QWidget *page() const { return view.pageArea()->page(); }
    template <typename Block>
    QList<Block *> blocks() const
    {
        return page()->findChildren<Block *>();
    }
    AppsPage *appsPage() const { return qobject_cast<AppsPage *>(page()); }
    // The card grid of the page: the app grid on the apps page.
    GridPage *grid() const
    {
        if (AppsPage *apps = appsPage())
            return apps->grid();
        return qobject_cast<GridPage *>(page());
    }
    QList<CardFace *> cards() const { return grid()->cards(); }
    QStringList keyTexts() const
    {
        QStringList keys;
        for (const CardFace *card : cards())
            keys << card->keyText();
        return keys;
    }
};

void click(QWidget *widget, QPoint at)
{
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}
void click(QWidget *widget) { click(widget, widget->rect().center()); }
void click(CardFace *card) { click(card, card->faceRect().center().toPoint()); }

} // namespace

class SwitcherViewTest : public QObject {
    Q_OBJECT
private slots:
    void headersNameEveryPageAndCountItsEntries()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        QCOMPARE(panel.header(),
                 (HeaderContent{false, QStringLiteral("rectangle.on.rectangle.angled"), QStringLiteral("Switch Windows"),
                                QStringLiteral("· Press an app's letter to switch · V/B/Q/M for clipboard / snippet / "
                                               "link / command (or click)"),
                                QStringLiteral("5 apps")}));
        QVERIFY(!panel.view.header()->backButton()->isVisible());

        struct Expected {
            std::function<void()> go;
            QString title;
            QString hint;
            std::optional<QString> count;
        };
        const QList<Expected> pages{
            {[&] { rig.model.showWindows(20); }, QStringLiteral("Terminal"),
             QStringLiteral("· Press a number or click to pick a window · ⌫ Back"), std::nullopt},
            {[&] { rig.model.enter(Prefix::clipboard); }, QStringLiteral("Clipboard"),
             QStringLiteral("· Press a number or click to paste into the previous app · ⌫ Back"), QStringLiteral("3 items")},
            {[&] { rig.model.enter(Prefix::snippet); }, QStringLiteral("Snippets"),
             QStringLiteral("· Press a number or click to paste · ⌫ Back"), QStringLiteral("2 items")},
            {[&] { rig.model.enter(Prefix::link); }, QStringLiteral("Quick Links"),
             QStringLiteral("· Press a number or click to open · ⌫ Back"), QStringLiteral("2 links")},
            {[&] { rig.model.enter(Prefix::command); }, QStringLiteral("Commands"),
             QStringLiteral("· Press a number or click to run · ⌫ Back"), QStringLiteral("1 commands")},
        };
        for (const Expected &expected : pages) {
            expected.go();
            panel.settle();
            QCOMPARE(panel.header(), (HeaderContent{true, QString(), expected.title, expected.hint, expected.count}));
            QVERIFY(panel.view.header()->backButton()->isVisible());
            // The Back button goes back through the view model.
            click(panel.view.header()->backButton());
            QCOMPARE(rig.model.stage(), Stage::apps());
            panel.settle();
        }

        // A window page of an app that is gone: an empty title and an empty page.
        rig.model.showWindows(999);
        panel.settle();
        QCOMPARE(panel.header().title, QString());
        QVERIFY(panel.header().backButton);
        QVERIFY(panel.page()->findChildren<QWidget *>().isEmpty());
    }

    void theAppsHintNamesTheListKeysInUse()
    {
        SwitcherRig rig;
        QCOMPARE(rig.settings.store.setQuickKeys(QStringLiteral("c"), QStringLiteral("s")), KeyValidation::ok());
        QCOMPARE(rig.settings.store.setLinkKey(QStringLiteral("l")), KeyValidation::ok());
        QCOMPARE(rig.settings.store.setCommandKey(QStringLiteral("k")), KeyValidation::ok());
        rig.model.reset({app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100})});
        Panel panel(rig);
        QCOMPARE(panel.header().hint, QStringLiteral("· Press an app's letter to switch · C/S/L/K for clipboard / "
                                                     "snippet / link / command (or click)"));
        QCOMPARE(panel.header().count, QStringLiteral("1 apps"));
        QCOMPARE(panel.appsPage()->clipboardColumn()->entryKey(), QStringLiteral("C"));
        QCOMPARE(panel.appsPage()->commandBar()->entryKey(), QStringLiteral("K"));
    }

    void theBannerAsksForScreenRecordingOnTheAppsPageOnly()
    {
        SwitcherRig rig;
        rig.platform.capture.granted = false;
        furnish(rig);
        Panel panel(rig);
        ScreenRecordingBanner *banner = panel.view.banner();
        QVERIFY(banner->isVisible());
        QCOMPARE(banner->text(), QStringLiteral("Enable Screen Recording to show thumbnails and window titles "
                                                "(restart the app after granting)"));
        QCOMPARE(banner->y(), panel.view.header()->height());
        QVERIFY(panel.view.pageArea()->y() > banner->geometry().bottom());
        click(banner, QPoint(banner->width() - 5, banner->height() / 2));
        QCOMPARE(panel.permissionRequests, 1);
        QVERIFY(panel.clicks.calls.isEmpty());

        for (Prefix list : {Prefix::clipboard, Prefix::snippet, Prefix::link, Prefix::command}) {
            rig.model.enter(list);
            panel.settle();
            QVERIFY(!banner->isVisible());
            QCOMPARE(panel.view.pageArea()->y(), panel.view.header()->height() + 1);
            rig.model.back();
            panel.settle();
        }
        rig.model.showWindows(20);
        panel.settle();
        QVERIFY(!banner->isVisible());

        // Granted by the next showing: gone.
        rig.platform.capture.granted = true;
        rig.model.reset(furnishedApps());
        panel.settle();
        QVERIFY(!banner->isVisible());
    }

    void appCardsCarryLettersCountsAndPictures()
    {
        SwitcherRig rig;
        const QList<AppEntry> apps = furnishedApps();
        captureThumbnails(rig, {app(20, QStringLiteral("Terminal"), QStringLiteral("t"), {202, 203})});
        rig.model.reset(apps);
        Panel panel(rig);
        const QList<CardFace *> cards = panel.cards();
        QCOMPARE(panel.keyTexts(), (QStringList{QStringLiteral("E"), QStringLiteral("T"), QStringLiteral("?"),
                                                QStringLiteral("?"), QString()}));
        const auto *terminal = qobject_cast<Card *>(cards.at(1));
        QCOMPARE(terminal->data().title, QStringLiteral("Terminal"));
        QCOMPARE(terminal->data().countBadge, std::optional(3));
        QVERIFY(terminal->data().cascade);
        // The picture of the app's first window (201 was not captured).
        QVERIFY(!terminal->data().thumbnail);
        captureThumbnails(rig, {app(20, QStringLiteral("Terminal"), QStringLiteral("t"), {201})});
        rig.model.reset(apps);
        panel.settle();
        QVERIFY(qobject_cast<Card *>(panel.cards().at(1))->data().thumbnail);
        const auto *editor = qobject_cast<Card *>(panel.cards().at(0));
        QCOMPARE(editor->data().countBadge, std::nullopt);
        QVERIFY(!editor->data().cascade);
        QCOMPARE(editor->data().cardCorner, 14.0);
    }

    void appIconsOutliveAShowingWhileTheirAppIsListed()
    {
        SwitcherRig rig;
        giveIcon(rig, 10, Qt::green);
        const AppEntry editor = app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100});
        const AppEntry terminal = app(20, QStringLiteral("Terminal"), QStringLiteral("t"), {201});
        rig.model.reset({editor});
        Panel panel(rig);
        const qint64 first = qobject_cast<Card *>(panel.cards().at(0))->data().icon.cacheKey();

        // A new list of apps that still holds the editor shows the icon asked for before.
        giveIcon(rig, 10, Qt::red);
        rig.model.reset({editor, terminal});
        panel.settle();
        QCOMPARE(qobject_cast<Card *>(panel.cards().at(0))->data().icon.cacheKey(), first);

        // Once the editor has left the list, its icon is asked for again.
        rig.model.reset({terminal});
        panel.settle();
        rig.model.reset({editor, terminal});
        panel.settle();
        QCOMPARE(qobject_cast<Card *>(panel.cards().at(0))->data().icon.cacheKey(),
                 rig.platform.appList.icons.value(10).cacheKey());
        QVERIFY(rig.platform.appList.icons.value(10).cacheKey() != first);
    }

    void windowAndListCardsAreLabelledWithTheirPickKeys()
    {
        SwitcherRig rig;
        QList<quint32> ids;
        for (quint32 id = 1; id <= 12; ++id)
            ids.append(id);
        AppEntry many = app(50, QStringLiteral("Browser"), QStringLiteral("b"), ids);
        many.windows[4].title.clear();
        rig.model.reset({many});
        Panel panel(rig);
        rig.model.showWindows(50);
        panel.settle();
        QCOMPARE(panel.keyTexts(), QStringLiteral("1 2 3 4 5 6 7 8 9 A B C").split(u' '));
        const QList<Card *> windows = panel.blocks<Card>();
        for (const Card *card : windows) {
            QVERIFY(!card->data().countBadge);
            QVERIFY(!card->data().cascade);
        }
        QCOMPARE(qobject_cast<Card *>(panel.cards().at(0))->data().title,
                 QStringLiteral("window 1"));
        // Without a title (no Screen Recording) the card names the app.
        QCOMPARE(qobject_cast<Card *>(panel.cards().at(4))->data().title,
                 QStringLiteral("Browser"));

        QStringList forty;
        for (int i = 40; i >= 1; --i)
            forty << QStringLiteral("clip %1").arg(i);
        rig.copy(forty);
        rig.model.reset({many});
        rig.model.enter(Prefix::clipboard);
        panel.settle();
        const QStringList keys = panel.keyTexts();
        QCOMPARE(keys.size(), 40);
        QCOMPARE(keys.at(34), QStringLiteral("Z"));
        QCOMPARE(keys.mid(35), QStringList(5, QStringLiteral("?")));
        // An entry no key reaches is still clicked.
        click(panel.cards().at(39));
        QCOMPARE(panel.clicks.take(), QStringList{QStringLiteral("pasteClip clip 40")});
    }

    void theClipboardColumnShowsFourEntriesAndWhatIsLeft()
    {
        SwitcherRig rig;
        QStringList ten;
        for (int i = 10; i >= 1; --i)
            ten << QStringLiteral("entry %1").arg(i);
        rig.copy(ten);
        rig.setSnippets({QStringLiteral("s1")});
        rig.setLinks({QStringLiteral("l1"), QStringLiteral("l2"), QStringLiteral("l3")});
        rig.model.reset({app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100})});
        Panel panel(rig);

        PasteColumn *column = panel.appsPage()->clipboardColumn();
        QCOMPARE(column->title(), QStringLiteral("Clipboard"));
        QStringList cells;
        for (const MiniPasteCard *cell : column->cells())
            cells << cell->cell().badge + u' ' + cell->shownText();
        QCOMPARE(cells, (QStringList{QStringLiteral("1 entry 1"), QStringLiteral("2 entry 2"), QStringLiteral("3 entry 3"),
                                     QStringLiteral("4 entry 4")}));
        QCOMPARE(column->moreChip()->countText(), QStringLiteral("+6"));
        QCOMPARE(column->moreChip()->key(), QStringLiteral("V"));
        QCOMPARE(column->hint(), std::optional(EntryBox::Hint{QStringLiteral("10 total"), false}));
        QVERIFY(!column->isActive());
        QCOMPARE(column->border(), EntryBox::Border::plain);
        // Everything fits in the other boxes: no more-chip, no hint.
        QVERIFY(!panel.appsPage()->snippetColumn()->moreChip());
        QCOMPARE(panel.appsPage()->linkBar()->chips().size(), 3);
        QVERIFY(!panel.appsPage()->linkBar()->moreChip());
        QCOMPARE(panel.appsPage()->linkBar()->hint(), std::nullopt);

        // Armed by its list key: highlighted, "All"; the other boxes stay as they were.
        QCOMPARE(describe(rig.model.handle(QStringLiteral("v"))), QStringLiteral("awaiting"));
        panel.settle();
        column = panel.appsPage()->clipboardColumn();
        QVERIFY(column->isActive());
        QCOMPARE(column->border(), EntryBox::Border::active);
        QCOMPARE(column->hint(), std::optional(EntryBox::Hint{QStringLiteral("All"), true}));
        QVERIFY(!panel.appsPage()->snippetColumn()->isActive());
        QVERIFY(!panel.appsPage()->linkBar()->isActive());
        QCOMPARE(panel.view.pageArea()->transition(), nullptr);

        rig.model.back();
        rig.model.handle(QStringLiteral("q"));
        panel.settle();
        QCOMPARE(panel.appsPage()->linkBar()->hint(), std::optional(EntryBox::Hint{QStringLiteral("Press a number"), true}));
        QVERIFY(!panel.appsPage()->clipboardColumn()->isActive());
        rig.model.handle(QStringLiteral("9"));
        panel.settle();
        QCOMPARE(panel.appsPage()->linkBar()->hint(), std::nullopt);
    }

    void aLinkWithoutANameShowsItsAddressTwice()
    {
        SwitcherRig rig;
        QVERIFY(rig.links.replaceAll({QuickLink{QUuid::createUuid(), QString(), QStringLiteral("https://example.org/a")}}));
        rig.model.reset({});
        Panel panel(rig);
        const CompactChip *chip = panel.appsPage()->linkBar()->chips().value(0);
        QVERIFY(chip);
        QCOMPARE(chip->cell().name, QStringLiteral("https://example.org/a"));
        QCOMPARE(chip->cell().detail, QStringLiteral("https://example.org/a"));

        rig.model.enter(Prefix::link);
        panel.settle();
        const SnipCard *card = panel.blocks<SnipCard>().value(0);
        QVERIFY(card);
        QCOMPARE(card->data().title, QStringLiteral("https://example.org/a"));
        QCOMPARE(card->data().systemIcon, QStringLiteral("globe"));
        QCOMPARE(card->bodyText(), QStringLiteral("https://example.org/a"));
    }

    void emptyListsShowTheirEmptyStates()
    {
        SwitcherRig rig;
        rig.model.reset({});
        Panel panel(rig);
        QCOMPARE(panel.header().count, QStringLiteral("0 apps"));
        QVERIFY(panel.cards().isEmpty());
        const QList<std::pair<EntryBox *, QString>> boxes{
            {panel.appsPage()->clipboardColumn(), QStringLiteral("Nothing yet — copied items show up here")},
            {panel.appsPage()->snippetColumn(), QStringLiteral("Add in Settings → Snippets")},
            {panel.appsPage()->linkBar(), QStringLiteral("Add in Settings → Links")},
            {panel.appsPage()->commandBar(), QStringLiteral("Add in Settings → Commands")},
        };
        for (const auto &[box, hint] : boxes) {
            QVERIFY(box->isEmpty());
            QCOMPARE(box->emptyHint(), hint);
            QVERIFY(!box->moreChip());
            QCOMPARE(box->hint(), std::nullopt);
        }

        const QList<std::tuple<Prefix, QString, QString>> pages{
            {Prefix::clipboard, QStringLiteral("Clipboard history is empty"), QStringLiteral("Copy some text or images and come back")},
            {Prefix::snippet, QStringLiteral("No snippets yet"), QStringLiteral("Add them in Settings → Snippets")},
            {Prefix::link, QStringLiteral("No quick links yet"), QStringLiteral("Add them in Settings → Links")},
            {Prefix::command, QStringLiteral("No commands yet"), QStringLiteral("Add shell commands in Settings → Commands")},
        };
        for (const auto &[list, title, subtitle] : pages) {
            rig.model.enter(list);
            panel.settle();
            const auto *empty = qobject_cast<EmptyState *>(panel.page());
            QVERIFY(empty);
            QCOMPARE(empty->title(), title);
            QCOMPARE(empty->subtitle(), subtitle);
            QCOMPARE(empty->size(), panel.view.pageArea()->size());
            rig.model.back();
            panel.settle();
        }
    }

    void everyClickCallsItsAction()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        AppsPage *apps = panel.appsPage();
        click(apps->grid()->cards().at(0));
        click(apps->grid()->cards().at(1));
        click(apps->clipboardColumn()->cells().at(1));
        click(apps->snippetColumn()->cells().at(0));
        click(apps->linkBar()->chips().at(1));
        click(apps->commandBar()->chips().at(0));
        QCOMPARE(panel.clicks.take(), (QStringList{QStringLiteral("selectApp 10"), QStringLiteral("selectApp 20"),
                                                   QStringLiteral("pasteClip second"), QStringLiteral("pasteSnippet s1"),
                                                   QStringLiteral("openLink https://example.org/l2"),
                                                   QStringLiteral("runCommand echo c1")}));

        // More-chips open the full lists.
        rig.copy({QStringLiteral("4"), QStringLiteral("5")});
        rig.setSnippets(QStringList(5, QStringLiteral("s")));
        rig.setLinks(QStringList(7, QStringLiteral("l")));
        rig.setCommands(QStringList(8, QStringLiteral("c")));
        rig.model.reset(furnishedApps());
        panel.settle();
        apps = panel.appsPage();
        click(apps->clipboardColumn()->moreChip());
        click(apps->snippetColumn()->moreChip());
        click(apps->linkBar()->moreChip());
        click(apps->commandBar()->moreChip());
        QCOMPARE(panel.clicks.take(), (QStringList{QStringLiteral("enterClipboard"), QStringLiteral("enterSnippets"),
                                                   QStringLiteral("enterLinks"), QStringLiteral("enterCommands")}));

        // Cards of the window page and of every list page.
        rig.model.showWindows(20);
        panel.settle();
        click(panel.cards().at(2));
        const QList<Prefix> lists{Prefix::clipboard, Prefix::snippet, Prefix::link, Prefix::command};
        for (Prefix list : lists) {
            rig.model.enter(list);
            panel.settle();
            click(panel.cards().at(1));
        }
        QCOMPARE(panel.clicks.take(), (QStringList{QStringLiteral("selectWindow 203"), QStringLiteral("pasteClip 4"),
                                                   QStringLiteral("pasteSnippet s"),
                                                   QStringLiteral("openLink https://example.org/l"),
                                                   QStringLiteral("runCommand echo c")}));
    }

    void aCellPastTheEndOfAChangedListDoesNothing()
    {
        SwitcherRig rig;
        rig.copy({QStringLiteral("b"), QStringLiteral("a")});
        rig.model.reset({});
        Panel panel(rig);
        MiniPasteCard *second = panel.appsPage()->clipboardColumn()->cells().at(1);
        // The history shrinks; a click arrives before the panel redraws.
        rig.clipboard.clear();
        rig.model.reset({});
        click(second);
        QVERIFY(panel.clicks.calls.isEmpty());
    }

    void pageChangesCrossFadeWithTheViewModelsSpring()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        QWidget *appsPage = panel.page();

        rig.model.enter(Prefix::clipboard);
        QCoreApplication::processEvents();
        PageTransition *forward = panel.view.pageArea()->transition();
        QVERIFY(forward);
        QVERIFY(panel.page() != appsPage);
        QVERIFY(forward->isVisible());
        QVERIFY(forward->geometry() == panel.view.pageArea()->rect());
        QCOMPARE(forward->leavingScale(), PageArea::appsPageScale);
        QCOMPARE(forward->arrivingScale(), PageArea::otherPageScale);
        QCOMPARE(forward->spring().response, 0.34);
        QCOMPARE(forward->spring().dampingFraction, 0.82);
        // The arriving page is live beneath the pictures: a click reaches it.
        click(panel.cards().at(0));
        QCOMPARE(panel.clicks.take(), QStringList{QStringLiteral("pasteClip first")});
        // A redraw of the arriving page lets the transition run on over the new page.
        panel.view.rebuild();
        QCOMPARE(panel.view.pageArea()->transition(), forward);
        QVERIFY(panel.page()->graphicsEffect());
        QTRY_VERIFY_WITH_TIMEOUT(!panel.view.pageArea()->transition(), 2000);
        QCOMPARE(panel.page()->graphicsEffect(), nullptr);

        rig.model.back();
        QCoreApplication::processEvents();
        PageTransition *backward = panel.view.pageArea()->transition();
        QVERIFY(backward);
        QCOMPARE(backward->leavingScale(), PageArea::otherPageScale);
        QCOMPARE(backward->arrivingScale(), PageArea::appsPageScale);
        QCOMPARE(backward->spring().response, 0.32);
        QTRY_VERIFY_WITH_TIMEOUT(!panel.view.pageArea()->transition(), 2000);

        // A reset is not animated, nor is a change that keeps the page.
        rig.model.enter(Prefix::snippet);
        panel.settle();
        rig.model.reset(furnishedApps());
        QCoreApplication::processEvents();
        QCOMPARE(panel.view.pageArea()->transition(), nullptr);
        rig.model.handle(QStringLiteral("v"));
        QCoreApplication::processEvents();
        QCOMPARE(panel.view.pageArea()->transition(), nullptr);
    }

    void aCardRebuiltUnderThePointerKeepsItsOutline()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        CardFace *card = panel.cards().at(1);
        const QPoint centre = card->faceRect().center().toPoint();
        QTest::mouseMove(card, centre);
        QTRY_COMPARE(card->clickable().currentOutlineWidth(), Clickable::outlineWidth);

        // Typing a list key rebuilds the page; the new card under the pointer shows its
        // outline at once instead of fading in again.
        rig.model.handle(QStringLiteral("v"));
        panel.settle();
        CardFace *rebuilt = panel.cards().at(1);
        QVERIFY(rebuilt != card);
        QVERIFY(rebuilt->clickable().isHovering());
        QCOMPARE(rebuilt->clickable().currentOutlineWidth(), Clickable::outlineWidth);
        QCOMPARE(rebuilt->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!panel.cards().at(0)->clickable().isHovering());
    }

    void aResizeRebuildsThePageForTheNewSize()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        const GridMetrics before = panel.appsPage()->grid()->metrics();
        panel.view.resize(1400, 900);
        panel.settle();
        QCOMPARE(panel.page()->size(), panel.view.pageArea()->size());
        QCOMPARE(panel.view.pageArea()->width(), 1400);
        QCOMPARE(panel.appsPage()->grid()->height(), AppsPage::gridHeight(panel.view.pageArea()->height()));
        QVERIFY(panel.appsPage()->grid()->metrics().thumbW > before.thumbW);
    }

    void thePanelIsARoundedShape()
    {
        const QRegion mask = SwitcherView::panelMask(QSize(400, 300));
        QVERIFY(mask.contains(QPoint(200, 150)));
        QVERIFY(mask.contains(QPoint(200, 1)));
        QVERIFY(mask.contains(QPoint(1, 150)));
        QVERIFY(!mask.contains(QPoint(1, 1)));
        QVERIFY(!mask.contains(QPoint(398, 298)));
        QVERIFY(!mask.contains(QPoint(400, 150)));

        // Opaque without a compositor, translucent with one.
        SwitcherRig rig;
        rig.model.reset({});
        SwitcherView view(rig.model, rig.snippets, {}, 4, 6, {});
        view.resize(400, 300);
        const auto fillAlpha = [&view] {
            QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            return image.pixelColor(200, 290).alpha();
        };
        QVERIFY(fillAlpha() < 255);
        view.setTranslucent(false);
        QCOMPARE(fillAlpha(), 255);
    }
};

QTEST_MAIN(SwitcherViewTest)
#include "switcher_view_test.moc"
