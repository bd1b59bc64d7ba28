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
#include "panel/SwitcherView.h"
#include "panel/SymbolButton.h"

#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace lettergate;

using namespace PanelRig;

// What the panel's pages show is covered by the golden pictures; these check what a
// picture cannot: that clicks reach their actions, and how the page is rebuilt.
namespace {

// A shown panel over a furnished rig that records every click callback as one line.
struct Panel {
    SwitcherRig &rig;
    QStringList clicks;
    AppIconCache icons{rig.platform.appList};
    SwitcherView view{
        rig.model,
        rig.snippets,
        icons,
        SwitcherActions{[this](const AppEntry &app) { clicks << QStringLiteral("app %1").arg(app.pid); },
                        [this](const WindowInfo &window) { clicks << QStringLiteral("window %1").arg(window.id); },
                        [this](const ClipboardHistory::Item &item) { clicks << QStringLiteral("clip ") + item.text; },
                        [this](const Snippet &snippet) { clicks << QStringLiteral("snippet ") + snippet.name; },
                        [this](const QuickLink &link) { clicks << QStringLiteral("link ") + link.url; },
                        [this](const Command &command) { clicks << QStringLiteral("command ") + command.command; },
                        [this] { clicks << QStringLiteral("all clips"); },
                        [this] { clicks << QStringLiteral("all snippets"); },
                        [this] { clicks << QStringLiteral("all links"); },
                        [this] { clicks << QStringLiteral("all commands"); }},
        4,
        6,
        [this] { clicks << QStringLiteral("ask for screen recording"); }};

    explicit Panel(SwitcherRig &rig)
        : rig(rig)
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
    QWidget *page() const { return view.pageArea()->page(); }
    AppsPage *appsPage() const { return qobject_cast<AppsPage *>(page()); }
    QList<CardFace *> cards() const
    {
        return appsPage() ? appsPage()->grid()->cards() : qobject_cast<GridPage *>(page())->cards();
    }
};

void click(QWidget *widget, QPoint at)
{
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}
void click(QWidget *widget)
{
    click(widget, widget->rect().center());
}
void click(CardFace *card)
{
    click(card, card->faceRect().center().toPoint());
}

} // namespace

class SwitcherViewTest : public QObject {
    Q_OBJECT
private slots:
    void everyClickCallsItsAction()
    {
        SwitcherRig rig;
        rig.platform.capture.granted = false;
        furnish(rig);
        rig.setSnippets(QStringList(5, QStringLiteral("s")));
        rig.setLinks(QStringList(7, QStringLiteral("l")));
        rig.setCommands(QStringList(8, QStringLiteral("c")));
        rig.copy({QStringLiteral("4"), QStringLiteral("5")});
        rig.model.reset(furnishedApps());
        Panel panel(rig);
        AppsPage *apps = panel.appsPage();
        ScreenRecordingBanner *banner = panel.view.banner();
        click(banner, QPoint(banner->width() - 5, banner->height() / 2));
        for (CardFace *card : {apps->grid()->cards().at(0), apps->grid()->cards().at(1)})
            click(card);
        for (QWidget *cell : std::initializer_list<QWidget *>{
                 apps->clipboardColumn()->cells().at(1), apps->snippetColumn()->cells().at(0),
                 apps->linkBar()->chips().at(1), apps->commandBar()->chips().at(0), apps->clipboardColumn()->moreChip(),
                 apps->snippetColumn()->moreChip(), apps->linkBar()->moreChip(), apps->commandBar()->moreChip()})
            click(cell);
        // Cards of the window page and of every list page, and the Back button.
        rig.model.showWindows(20);
        panel.settle();
        click(panel.cards().at(2));
        click(panel.view.header()->backButton());
        QCOMPARE(rig.model.stage(), Stage::apps());
        for (Prefix list : {Prefix::clipboard, Prefix::snippet, Prefix::link, Prefix::command}) {
            rig.model.enter(list);
            panel.settle();
            click(panel.cards().at(1));
        }
        QCOMPARE(panel.clicks,
                 QStringLiteral("ask for screen recording|app 10|app 20|clip 4|snippet s|link https://example.org/l|"
                                "command echo c|all clips|all snippets|all links|all commands|window 203|clip 4|"
                                "snippet s|link https://example.org/l|command echo c")
                     .split(u'|'));

        // An entry past the last pick key is still clicked.
        QStringList forty;
        for (int i = 40; i >= 1; --i)
            forty << QStringLiteral("clip %1").arg(i);
        rig.copy(forty);
        rig.model.reset(furnishedApps());
        rig.model.enter(Prefix::clipboard);
        panel.settle();
        panel.clicks.clear();
        click(panel.cards().at(39));
        QCOMPARE(panel.clicks, QStringList{QStringLiteral("clip clip 40")});
    }

    void aCellPastTheEndOfAChangedListOrAGoneAppShowsNothing()
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
        QVERIFY(panel.clicks.isEmpty());
        // The window page of an app that is gone: an empty page.
        rig.model.showWindows(999);
        panel.settle();
        QVERIFY(panel.page()->findChildren<QWidget *>().isEmpty());
    }

    void pageChangesCrossFadeOverThePanelWithTheViewModelsSpring()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        // Empty panel inside the page area, away from the rounded outline, on both pages:
        // mid-transition it shows the panel, never the window colour.
        const QRect area = panel.view.pageArea()->geometry();
        const QList<QPoint> samples{area.topLeft() + QPoint(8, 6), area.bottomRight() + QPoint(-8, -24)};
        const QImage settled = rendered(panel.view);
        rig.model.enter(Prefix::clipboard);
        QCoreApplication::processEvents();
        PageTransition *forward = panel.view.pageArea()->transition();
        QVERIFY(forward);
        QCOMPARE(forward->spring().response, Springs::forward.response);
        // The arriving page is live beneath the pictures, and a redraw lets the transition run on.
        click(panel.cards().at(0));
        QCOMPARE(panel.clicks, QStringList{QStringLiteral("clip first")});
        panel.view.rebuild();
        QCOMPARE(panel.view.pageArea()->transition(), forward);
        QTRY_VERIFY_WITH_TIMEOUT(forward->progress() > 0.3, 2000);
        const QImage frame = rendered(panel.view);
        for (const QPoint &point : samples)
            QVERIFY(qAbs(frame.pixelColor(point).red() - settled.pixelColor(point).red()) <= 2
                    && qAbs(frame.pixelColor(point).alpha() - settled.pixelColor(point).alpha()) <= 2);
        QTRY_VERIFY_WITH_TIMEOUT(!panel.view.pageArea()->transition(), 2000);
        QCOMPARE(panel.page()->graphicsEffect(), nullptr);
    }

    void highlightsHoversAndPicturesUpdateThePageInPlace()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        const QWidget *page = panel.page();
        CardFace *second = panel.cards().at(1);
        const QImage plain = rendered(*second);
        rig.model.navigate(Navigation::right);
        rig.model.navigate(Navigation::right);
        QCoreApplication::processEvents();
        QCOMPARE(panel.page(), page);
        QVERIFY(rendered(*second) != plain);
        rig.model.navigate(Navigation::nextBox);
        QCoreApplication::processEvents();
        QCOMPARE(rendered(*second), plain);

        // Pictures taken while the panel is open: each card takes its own.
        rig.capture({app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100})});
        rig.model.refreshThumbnails();
        panel.settle();
        QCOMPARE(panel.page(), page);
        QCOMPARE(qobject_cast<Card *>(panel.cards().at(0))->data().thumbnail->cacheKey(),
                 rig.model.thumbnails().value(100).cacheKey());

        // A card rebuilt under the pointer shows its outline at once instead of fading in again.
        QTest::mouseMove(second, second->faceRect().center().toPoint());
        QTRY_VERIFY(second->clickable().isHovering());
        rig.model.handle(QStringLiteral("v"));
        panel.settle();
        QVERIFY(panel.cards().at(1) != second);
        QCOMPARE(panel.cards().at(1)->clickable().currentOutlineWidth(), Clickable::outlineWidth);
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
        const auto firstCellHasPicture = [&] {
            return bool(panel.appsPage()->snippetColumn()->cells().at(0)->cell().image);
        };
        // Saved again under a new file just before a showing: drawn when it arrives.
        QVERIFY(rig.snippets.replaceAll({*rig.snippets.importImage(QUrl::fromLocalFile(png)), logo}));
        rig.model.reset(furnishedApps());
        panel.view.rebuild();
        QVERIFY(!firstCellHasPicture());
        QTRY_VERIFY(firstCellHasPicture());
        // A preview no page shows rebuilds nothing.
        QTRY_VERIFY(rig.snippets.previews().isIdle());
        panel.settle();
        const QWidget *page = panel.page();
        rig.snippets.importImage(QUrl::fromLocalFile(png));
        QTRY_VERIFY(rig.snippets.previews().isIdle());
        panel.settle();
        QCOMPARE(panel.page(), page);
    }

    void windowPicturesAreKeptAtTheSizeTheirCardsDrawThem()
    {
        SwitcherRig rig;
        furnish(rig);
        Panel panel(rig);
        panel.view.resize(1400, 900);
        panel.settle();
        QCOMPARE(panel.view.pageSizeWithin(panel.view.size()), panel.view.pageArea()->size());
        QCOMPARE(panel.page()->size(), panel.view.pageArea()->size());
        const auto drawnSize = [](const CardFace *card) {
            const GridMetrics metrics = qobject_cast<const Card *>(card)->data().metrics;
            return QSize(int(std::ceil(metrics.thumbW * 2)), int(std::ceil(metrics.thumbH * 2)));
        };
        const QList<AppEntry> apps = rig.model.apps();
        const QHash<quint32, QSize> sizes = cardPictureSizes(apps, panel.view.pageArea()->size(), 2);
        const QSize terminalCard = drawnSize(panel.cards().at(1));
        QCOMPARE(sizes.value(100), drawnSize(panel.cards().at(0)));
        // The terminal's first window is drawn on its app card and on the window page.
        rig.model.showWindows(20);
        panel.settle();
        QCOMPARE(sizes.value(201), drawnSize(panel.cards().at(0)).expandedTo(terminalCard));
        QCOMPARE(sizes.value(203), drawnSize(panel.cards().at(2)));
        QCOMPARE(sizes.size(), 7);
    }

    void withoutACompositorThePanelIsOpaque()
    {
        SwitcherRig rig;
        rig.model.reset({});
        Panel panel(rig);
        QVERIFY(rendered(panel.view).pixelColor(500, 690).alpha() < 255);
        panel.view.setTranslucent(false);
        QCOMPARE(rendered(panel.view).pixelColor(500, 690).alpha(), 255);
    }
};

QTEST_MAIN(SwitcherViewTest)
#include "switcher_view_test.moc"
