#include "PanelRig.h"
#include "panel/AppIconCache.h"
#include "panel/AppsPage.h"
#include "panel/Card.h"
#include "panel/CardPictureSizes.h"
#include "panel/Clickable.h"
#include "panel/CompactBottomBar.h"
#include "panel/CompactChip.h"
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

#include <QTemporaryDir>
#include <QTest>
#include <cmath>

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
    AppIconCache icons{rig.platform.appList};
    SwitcherView view{rig.model, rig.snippets, icons, clicks.actions(), 4, 6, [this] { ++permissionRequests; }};

    explicit Panel(SwitcherRig &rig) : rig(rig)
    {
        view.resize(1000, 700);
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
        QCOMPARE(panel.header().count, QStringLiteral("5 apps"));
        QVERIFY(!panel.header().backButton);
        QVERIFY(!panel.view.header()->backButton()->isVisible());

        struct Expected {
            std::function<void()> go;
            QString title;
            std::optional<QString> count;
        };
        const QList<Expected> pages{
            {[&] { rig.model.showWindows(20); }, QStringLiteral("Terminal"), std::nullopt},
            {[&] { rig.model.enter(Prefix::clipboard); }, QStringLiteral("Clipboard"), QStringLiteral("3 items")},
            {[&] { rig.model.enter(Prefix::snippet); }, QStringLiteral("Snippets"), QStringLiteral("2 items")},
            {[&] { rig.model.enter(Prefix::link); }, QStringLiteral("Quick Links"), QStringLiteral("2 links")},
            {[&] { rig.model.enter(Prefix::command); }, QStringLiteral("Commands"), QStringLiteral("1 commands")},
        };
        for (const Expected &expected : pages) {
            expected.go();
            panel.settle();
            QCOMPARE(panel.header().title, expected.title);
            QCOMPARE(panel.header().count, expected.count);
            QVERIFY(panel.header().symbol.isEmpty()); // the Back button stands in its place
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
        rig.model.back();

        // The apps hint and the boxes name the list keys in use.
        QCOMPARE(rig.settings.store.setQuickKeys(QStringLiteral("c"), QStringLiteral("s")), KeyValidation::ok());
        QCOMPARE(rig.settings.store.setLinkKey(QStringLiteral("l")), KeyValidation::ok());
        QCOMPARE(rig.settings.store.setCommandKey(QStringLiteral("k")), KeyValidation::ok());
        rig.model.reset(furnishedApps());
        panel.settle();
        QVERIFY(panel.header().hint.contains(QStringLiteral("C/S/L/K")));
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
        QCOMPARE(banner->y(), panel.view.header()->height());
        QVERIFY(panel.view.pageArea()->y() > banner->geometry().bottom());
        click(banner, QPoint(banner->width() - 5, banner->height() / 2));
        QCOMPARE(panel.permissionRequests, 1);
        QVERIFY(panel.clicks.calls.isEmpty());

        rig.model.enter(Prefix::clipboard);
        panel.settle();
        QVERIFY(!banner->isVisible());
        QCOMPARE(panel.view.pageArea()->y(), panel.view.header()->height() + 1);
        rig.model.back();
        rig.model.showWindows(20);
        panel.settle();
        QVERIFY(!banner->isVisible());

        // Granted by the next showing: gone.
        rig.platform.capture.granted = true;
        rig.model.reset(furnishedApps());
        panel.settle();
        QVERIFY(!banner->isVisible());
    }

    void appCardsCarryLettersCountsPicturesAndKeptIcons()
    {
        SwitcherRig rig;
        const QList<AppEntry> apps = furnishedApps();
        captureThumbnails(rig, {app(20, QStringLiteral("Terminal"), QStringLiteral("t"), {202, 203})});
        giveIcon(rig, 10, Qt::green);
        Panel panel(rig);
        panel.icons.prepare(apps.constFirst().windows, 1);
        rig.model.reset(apps);
        panel.settle();
        QCOMPARE(panel.keyTexts(), (QStringList{QStringLiteral("E"), QStringLiteral("T"), QStringLiteral("?"),
                                                QStringLiteral("?"), QString()}));
        const auto cardData = [&panel](int index) { return qobject_cast<Card *>(panel.cards().at(index))->data(); };
        QCOMPARE(cardData(1).title, QStringLiteral("Terminal"));
        QCOMPARE(cardData(1).countBadge, std::optional(3));
        QVERIFY(cardData(1).cascade);
        QCOMPARE(cardData(0).countBadge, std::nullopt);
        QVERIFY(!cardData(0).cascade);
        // The picture of the app's first window (201 was not captured).
        QVERIFY(!cardData(1).thumbnail);
        const qint64 icon = cardData(0).icon.cacheKey();
        QVERIFY(!cardData(0).icon.isNull());

        // The next showing brings the picture, and the icon prepared while the editor
        // stayed listed.
        captureThumbnails(rig, {app(20, QStringLiteral("Terminal"), QStringLiteral("t"), {201})});
        giveIcon(rig, 10, Qt::red);
        rig.model.reset(apps);
        panel.settle();
        QVERIFY(cardData(1).thumbnail);
        QCOMPARE(cardData(0).icon.cacheKey(), icon);

        // Pictures taken while the panel is open rebuild nothing: each card takes its
        // own (the editor's first; the terminal's window is no longer listed).
        const QList<CardFace *> built = panel.cards();
        captureThumbnails(rig, {app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100})});
        rig.model.refreshThumbnails();
        panel.settle();
        QVERIFY(panel.cards() == built);
        QCOMPARE(cardData(0).thumbnail->cacheKey(), rig.model.thumbnails().value(100).cacheKey());
        QVERIFY(!cardData(1).thumbnail);
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
        for (const Card *card : panel.page()->findChildren<Card *>())
            QVERIFY(!card->data().countBadge && !card->data().cascade);
        QCOMPARE(qobject_cast<Card *>(panel.cards().at(0))->data().title, QStringLiteral("window 1"));
        // Without a title (no Screen Recording) the card names the app.
        QCOMPARE(qobject_cast<Card *>(panel.cards().at(4))->data().title, QStringLiteral("Browser"));

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

    void theBoxesShowTheirFirstEntriesAndWhatIsLeft()
    {
        SwitcherRig rig;
        QStringList ten;
        for (int i = 10; i >= 1; --i)
            ten << QStringLiteral("entry %1").arg(i);
        rig.copy(ten);
        rig.setSnippets({QStringLiteral("s1")});
        rig.setLinks({QStringLiteral("l1"), QStringLiteral("l2"), QStringLiteral("l3")});
        QList<QuickLink> links = rig.links.links();
        links[0].name.clear();
        QVERIFY(rig.links.replaceAll(links));
        rig.model.reset({app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100})});
        Panel panel(rig);

        PasteColumn *column = panel.appsPage()->clipboardColumn();
        QStringList cells;
        for (const MiniPasteCard *cell : column->cells())
            cells << cell->cell().badge + u' ' + cell->shownText();
        QCOMPARE(cells, (QStringList{QStringLiteral("1 entry 1"), QStringLiteral("2 entry 2"), QStringLiteral("3 entry 3"),
                                     QStringLiteral("4 entry 4")}));
        QCOMPARE(column->moreChip()->countText(), QStringLiteral("+6"));
        QCOMPARE(column->moreChip()->key(), QStringLiteral("V"));
        QCOMPARE(column->hint(), std::optional(EntryBox::Hint{QStringLiteral("10 total"), false}));
        QCOMPARE(column->border(), EntryBox::Border::plain);
        // Everything fits in the other boxes: no more-chip, no hint.
        QVERIFY(!panel.appsPage()->snippetColumn()->moreChip());
        QCOMPARE(panel.appsPage()->linkBar()->chips().size(), 3);
        QVERIFY(!panel.appsPage()->linkBar()->moreChip());
        QCOMPARE(panel.appsPage()->linkBar()->hint(), std::nullopt);
        // A link without a name shows its address as its name, on its page too.
        QCOMPARE(panel.appsPage()->linkBar()->chips().at(0)->cell().name, QStringLiteral("https://example.org/l1"));

        // Armed by its list key: highlighted, "All"; the other boxes stay as they were.
        QCOMPARE(describe(rig.model.handle(QStringLiteral("v"))), QStringLiteral("awaiting"));
        panel.settle();
        column = panel.appsPage()->clipboardColumn();
        QVERIFY(column->isActive());
        QCOMPARE(column->border(), EntryBox::Border::active);
        QCOMPARE(column->hint(), std::optional(EntryBox::Hint{QStringLiteral("All"), true}));
        QVERIFY(!panel.appsPage()->snippetColumn()->isActive());
        QVERIFY(!panel.appsPage()->linkBar()->isActive());

        rig.model.back();
        rig.model.handle(QStringLiteral("q"));
        panel.settle();
        QCOMPARE(panel.appsPage()->linkBar()->hint(), std::optional(EntryBox::Hint{QStringLiteral("Press a number"), true}));
        QVERIFY(!panel.appsPage()->clipboardColumn()->isActive());
        rig.model.handle(QStringLiteral("q"));
        panel.settle();
        const SnipCard *unnamed = panel.page()->findChildren<SnipCard *>().value(0);
        QVERIFY(unnamed);
        QCOMPARE(unnamed->data().title, QStringLiteral("https://example.org/l1"));
        QCOMPARE(unnamed->bodyText(), QStringLiteral("https://example.org/l1"));
    }

    void snippetPreviewsMadeAfterABuildAreDrawnWhereTheyShow()
    {
        SwitcherRig rig;
        QTemporaryDir files;
        const QString png = files.filePath(QStringLiteral("Logo.png"));
        QVERIFY(picture(QSize(20, 10), Qt::green).save(png));
        const Snippet logo = *rig.snippets.importImage(QUrl::fromLocalFile(png));
        QTRY_VERIFY(rig.snippets.previews().isIdle());
        rig.model.reset(furnishedApps());
        Panel panel(rig);
        const auto firstCellHasPicture = [&panel] {
            return bool(panel.appsPage()->snippetColumn()->cells().at(0)->cell().image);
        };

        // Saved again under a new file just before a showing, the picture is decoded
        // after the page showing the list was built: it is drawn when it arrives.
        Snippet copy = *rig.snippets.importImage(QUrl::fromLocalFile(png));
        QVERIFY(rig.snippets.replaceAll({copy, logo}));
        rig.model.reset(furnishedApps());
        panel.view.rebuild();
        QVERIFY(!firstCellHasPicture());
        QTRY_VERIFY(firstCellHasPicture());

        // A preview no page shows (a picture imported but not saved) rebuilds nothing.
        QTRY_VERIFY(rig.snippets.previews().isIdle());
        panel.settle();
        const QWidget *page = panel.page();
        rig.snippets.importImage(QUrl::fromLocalFile(png));
        QTRY_VERIFY(rig.snippets.previews().isIdle());
        panel.settle();
        QCOMPARE(panel.page(), page);
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
        for (Prefix list : {Prefix::clipboard, Prefix::snippet, Prefix::link, Prefix::command}) {
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
        QCOMPARE(forward->geometry(), panel.view.pageArea()->rect());
        QCOMPARE(forward->leavingScale(), PageArea::appsPageScale);
        QCOMPARE(forward->arrivingScale(), PageArea::otherPageScale);
        QCOMPARE(forward->spring().response, Springs::forward.response);
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
        QCOMPARE(backward->spring().response, Springs::back.response);
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

    void aTransitionFrameShowsThePanelBehindThePagesNeverTheWindowColour()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        // The page area's corners and a few points of empty panel inside it: away from
        // the rounded outline, and empty on the apps page and on the clipboard page alike.
        const QRect area = panel.view.pageArea()->geometry();
        const QList<QPoint> samples{area.topLeft() + QPoint(8, 6),      area.topRight() + QPoint(-8, 6),
                                    area.bottomLeft() + QPoint(8, -24), area.bottomRight() + QPoint(-8, -24),
                                    QPoint(area.center().x(), area.top() + 6), QPoint(area.left() + 8, area.center().y())};
        const QImage settled = rendered(panel.view);
        const QColor windowColour = panel.view.palette().color(QPalette::Window);

        rig.model.enter(Prefix::clipboard);
        QCoreApplication::processEvents();
        PageTransition *transition = panel.view.pageArea()->transition();
        QVERIFY(transition);
        const auto checkFrame = [&](const char *when) {
            const QImage frame = rendered(panel.view);
            for (const QPoint &point : samples) {
                const QColor expected = settled.pixelColor(point);
                const QColor seen = frame.pixelColor(point);
                const bool same = qAbs(seen.red() - expected.red()) <= 2 && qAbs(seen.green() - expected.green()) <= 2
                                  && qAbs(seen.blue() - expected.blue()) <= 2 && qAbs(seen.alpha() - expected.alpha()) <= 2;
                QVERIFY2(same && seen != windowColour,
                         qPrintable(QStringLiteral("%1 at (%2, %3): %4, the panel is %5")
                                        .arg(when)
                                        .arg(point.x())
                                        .arg(point.y())
                                        .arg(seen.name(QColor::HexArgb), expected.name(QColor::HexArgb))));
            }
        };
        checkFrame("first frame");
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(transition->progress() > 0.3 && transition->progress() < 0.9, 2000);
        checkFrame("mid-transition");
    }

    void theHighlightedBlockIsOutlinedWithoutRebuildingThePage()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        const QWidget *page = panel.page();
        CardFace *first = panel.cards().at(0);
        CardFace *second = panel.cards().at(1);
        const QImage plainFirst = rendered(*first);
        const QImage plainSecond = rendered(*second);

        rig.model.navigate(Navigation::right);
        rig.model.navigate(Navigation::right);
        QCoreApplication::processEvents();
        QCOMPARE(panel.page(), page);
        QCOMPARE(panel.cards().at(1), second);
        QVERIFY(rendered(*second) != plainSecond);
        QCOMPARE(rendered(*first), plainFirst);

        // Into a box, then to a page built afresh: one outlined block, on the page shown.
        rig.model.navigate(Navigation::nextBox);
        QCoreApplication::processEvents();
        QCOMPARE(rendered(*second), plainSecond);
        QVERIFY(panel.appsPage()->clipboardColumn()->cells().at(0)->clickable().isHighlighted());
        rig.model.enter(Prefix::snippet);
        panel.settle();
        const QList<CardFace *> snippets = panel.cards();
        QVERIFY(snippets.at(0)->clickable().isHighlighted());
        QVERIFY(!snippets.at(1)->clickable().isHighlighted());
    }

    void aCardRebuiltUnderThePointerKeepsItsOutline()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        CardFace *card = panel.cards().at(1);
        QTest::mouseMove(card, card->faceRect().center().toPoint());
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
        QVERIFY(panel.appsPage()->grid()->metrics().thumbW > before.thumbW);

        // Window pictures are kept at the largest size a card draws them, worked out
        // without building the pages: the app's card, and its card on the window page
        // (an app with one window switches to it and has none).
        QCOMPARE(panel.view.pageSizeWithin(panel.view.size()), panel.view.pageArea()->size());
        constexpr qreal ratio = 2;
        const auto drawnSize = [ratio](const CardFace *card) {
            const GridMetrics metrics = qobject_cast<const Card *>(card)->data().metrics;
            return QSize(int(std::ceil(metrics.thumbW * ratio)), int(std::ceil(metrics.thumbH * ratio)));
        };
        const QList<AppEntry> apps = rig.model.apps();
        const QHash<quint32, QSize> sizes = cardPictureSizes(apps, panel.view.pageArea()->size(), ratio);
        QList<QSize> onAppsPage;
        for (const CardFace *card : panel.cards())
            onAppsPage.append(drawnSize(card));
        QCOMPARE(onAppsPage.size(), apps.size());
        qsizetype windowCards = 0;
        for (qsizetype index = 0; index < apps.size(); ++index) {
            if (!opensWindowPage(apps.at(index))) {
                QCOMPARE(sizes.value(apps.at(index).windows.constFirst().id), onAppsPage.at(index));
                ++windowCards;
                continue;
            }
            rig.model.showWindows(apps.at(index).pid);
            panel.settle();
            const QList<CardFace *> cards = panel.cards();
            QCOMPARE(cards.size(), apps.at(index).windows.size());
            for (qsizetype window = 0; window < cards.size(); ++window) {
                const quint32 id = apps.at(index).windows.at(window).id;
                const bool onAppCard = id == AppsPage::pictureWindow(apps.at(index)).id;
                QCOMPARE(sizes.value(id), drawnSize(cards.at(window)).expandedTo(onAppCard ? onAppsPage.at(index) : QSize()));
                ++windowCards;
            }
            rig.model.back();
        }
        QCOMPARE(sizes.size(), windowCards);
    }

    void thePanelIsARoundedShapeOpaqueWithoutACompositor()
    {
        const QRegion mask = SwitcherView::panelMask(QSize(400, 300));
        QVERIFY(mask.contains(QPoint(200, 1)) && mask.contains(QPoint(1, 150)));
        QVERIFY(!mask.contains(QPoint(1, 1)) && !mask.contains(QPoint(398, 298)) && !mask.contains(QPoint(400, 150)));

        SwitcherRig rig;
        rig.model.reset({});
        AppIconCache icons(rig.platform.appList);
        SwitcherView view(rig.model, rig.snippets, icons, {}, 4, 6, {});
        view.resize(400, 300);
        QVERIFY(rendered(view).pixelColor(200, 290).alpha() < 255);
        view.setTranslucent(false);
        QCOMPARE(rendered(view).pixelColor(200, 290).alpha(), 255);
    }
};

QTEST_MAIN(SwitcherViewTest)
#include "switcher_view_test.moc"
