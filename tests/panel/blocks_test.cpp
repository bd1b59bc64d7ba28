#include "PanelRig.h"
#include "panel/AppIconCache.h"
#include "panel/Card.h"
#include "panel/Clickable.h"
#include "panel/CompactBottomBar.h"
#include "panel/CompactChip.h"
#include "panel/MiniPasteCard.h"
#include "panel/MoreChip.h"
#include "panel/PasteColumn.h"
#include "panel/SnipCard.h"

#include <QTest>

using namespace PanelRig;

namespace {

const GridMetrics metrics{1, 160, 100};

Card::Data appCard(std::optional<int> windows, bool cascade)
{
    Card::Data data;
    data.title = QStringLiteral("Terminal");
    data.keyText = QStringLiteral("T");
    data.countBadge = windows;
    data.metrics = metrics;
    data.cascade = cascade;
    return data;
}

bool sameColour(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) < 8 && qAbs(a.green() - b.green()) < 8 && qAbs(a.blue() - b.blue()) < 8;
}

} // namespace

class BlocksTest : public QObject {
    Q_OBJECT
private slots:
    void cardsStackBackCardsForAppsWithSeveralWindows()
    {
        Card two(appCard(2, true), {});
        QCOMPARE(two.titleSuffix(), QStringLiteral("·2"));
        Card three(appCard(3, true), {});
        QCOMPARE(three.backCardOffsets(), (QList<QPointF>{QPointF(10, 10), QPointF(5, 5)}));
        Card window(appCard(std::nullopt, false), {});
        QCOMPARE(window.titleSuffix(), QString());
        QVERIFY(Card(appCard(3, false), {}).backCardOffsets().isEmpty());

        // The face is exactly (thumbW + 24) × (thumbH + 67); the back cards show below
        // and beside it, inside the widget: one for two windows, two for more.
        QCOMPARE(three.faceRect().size(), QSizeF(184, 167));
        const QPointF below(three.faceRect().center().x(), three.faceRect().bottom());
        QVERIFY(rendered(three).pixelColor((below + QPointF(0, 8)).toPoint()).alpha() > 200);
        QVERIFY(rendered(two).pixelColor((below + QPointF(0, 3)).toPoint()).alpha() > 200);
        QVERIFY(rendered(two).pixelColor((below + QPointF(0, 8)).toPoint()).alpha() < 100);
        QVERIFY(rendered(window).pixelColor((below + QPointF(0, 3)).toPoint()).alpha() < 100);
    }

    void cardsShowTheThumbnailOrTheAppIcon()
    {
        FakePlatform platform;
        QPixmap icon(32, 32);
        icon.fill(QColor(0, 200, 0));
        platform.appList.icons.insert(7, QIcon(icon));
        AppIconCache icons(platform.appList);
        icons.prepare(7, 1);
        icons.prepare(99, 1);

        Card::Data withIcon = appCard(std::nullopt, false);
        withIcon.icon = icons.icon(7);
        Card::Data withPicture = withIcon;
        withPicture.thumbnail = picture(QSize(320, 200), QColor(200, 0, 0));
        Card pictured(withPicture, {});
        Card iconOnly(withIcon, {});
        const QPoint bodyCentre = (iconOnly.faceRect().topLeft() + QPointF(12 + 80, 12 + 33 + 10 + 50)).toPoint();
        QVERIFY(sameColour(rendered(pictured).pixelColor(bodyCentre), QColor(200, 0, 0)));
        QVERIFY(sameColour(rendered(iconOnly).pixelColor(bodyCentre), QColor(0, 200, 0)));

        // A process without an icon gets the placeholder symbol, not an empty square.
        Card::Data gone = appCard(std::nullopt, false);
        gone.icon = icons.icon(99);
        Card placeholder(gone, {});
        const QImage image = rendered(placeholder);
        int inked = 0;
        for (int y = bodyCentre.y() - 20; y <= bodyCentre.y() + 20; ++y) {
            for (int x = bodyCentre.x() - 20; x <= bodyCentre.x() + 20; ++x)
                inked += image.pixelColor(x, y).lightness() > 100 ? 1 : 0;
        }
        QVERIFY(inked > 20);
    }

    void appIconsAreLookedUpOnlyWhenPreparedAndKeptWhileTheirProcessIsListed()
    {
        FakePlatform platform;
        QPixmap green(256, 256);
        green.fill(Qt::green);
        QPixmap red(16, 16);
        red.fill(Qt::red);
        const auto colourOf = [](const QIcon &icon) { return icon.pixmap(16).toImage().pixelColor(0, 0); };
        const auto windowsOf = [](const QList<AppEntry> &apps) {
            QList<WindowInfo> windows;
            for (const AppEntry &app : apps)
                windows.append(app.windows);
            return windows;
        };
        const AppEntry editor = app(7, QStringLiteral("Editor"), QStringLiteral("e"), {70});
        const AppEntry viewer = app(8, QStringLiteral("Viewer"), QStringLiteral("v"), {80});
        const AppEntry other = app(9, QStringLiteral("Other"), std::nullopt, {90});
        platform.appList.icons.insert(7, QIcon(green));
        platform.appList.icons.insert(9, QIcon(red));
        AppIconCache icons(platform.appList);
        icons.prepare(windowsOf({editor, viewer}), 2);
        QCOMPARE(colourOf(icons.icon(7)), QColor(Qt::green));
        QVERIFY(icons.icon(8).isNull());
        // Rendered for the title row and the largest picture area, at the density asked.
        QCOMPARE(icons.icon(7).availableSizes(),
                 (QList<QSize>{QSize(2 * Card::leadingLogoSide, 2 * Card::leadingLogoSide),
                               QSize(2 * Card::largestBodyLogoSide, 2 * Card::largestBodyLogoSide)}));

        // A showing asks nothing: a process new to it has no icon until the next
        // preparation...
        icons.keepListed({editor, viewer, other});
        QVERIFY(icons.icon(9).isNull());
        QCOMPARE(platform.appList.iconLookups.value(9), 0);

        // ...which asks only for it: what was asked once is not asked again, an absent
        // icon included, while the process stays listed...
        platform.appList.icons.insert(7, QIcon(red));
        platform.appList.icons.insert(8, QIcon(red));
        icons.prepare(windowsOf({viewer, other, editor}), 2);
        QCOMPARE(colourOf(icons.icon(9)), QColor(Qt::red));
        QCOMPARE(colourOf(icons.icon(7)), QColor(Qt::green));
        QVERIFY(icons.icon(8).isNull());
        QCOMPARE(platform.appList.iconLookups, (QHash<qint32, int>{{7, 1}, {8, 1}, {9, 1}}));

        // ...while a process that left the list is asked afresh when it is back...
        icons.keepListed({viewer});
        icons.prepare(windowsOf({editor, viewer}), 2);
        QCOMPARE(colourOf(icons.icon(7)), QColor(Qt::red));
        QVERIFY(icons.icon(8).isNull());

        // ...and so is an id that now belongs to another application.
        platform.appList.icons.insert(8, QIcon(green));
        AppEntry reused = app(8, QStringLiteral("Mail"), QStringLiteral("m"), {81});
        icons.keepListed({editor, reused});
        QVERIFY(icons.icon(8).isNull());
        icons.prepare(windowsOf({editor, reused}), 2);
        QCOMPARE(colourOf(icons.icon(8)), QColor(Qt::green));
        QCOMPARE(colourOf(icons.icon(7)), QColor(Qt::red));

        // A process prepared before it was ever listed (one that came to the front) is
        // kept by the listing that first shows it.
        platform.appList.icons.insert(10, QIcon(green));
        icons.prepare(10, 2);
        icons.keepListed({editor, app(10, QStringLiteral("New"), QStringLiteral("n"), {100})});
        QCOMPARE(colourOf(icons.icon(10)), QColor(Qt::green));
        // One that had no icon yet when it came to the front is asked again when listed.
        icons.prepare(11, 2);
        QVERIFY(icons.icon(11).isNull());
        platform.appList.icons.insert(11, QIcon(green));
        icons.prepare(windowsOf({editor, app(11, QStringLiteral("Late"), QStringLiteral("l"), {110})}), 2);
        QCOMPARE(colourOf(icons.icon(11)), QColor(Qt::green));

        // An app of two processes (terminals): a showing keeps both processes' icons, which
        // its window page draws.
        AppEntry terminals = app(12, QStringLiteral("XTerm"), QStringLiteral("x"), {120});
        terminals.windows.append(WindowInfo{121, 13, terminals.bundleID, terminals.appName, {}, {}});
        platform.appList.icons.insert(12, QIcon(green));
        platform.appList.icons.insert(13, QIcon(green));
        icons.prepare(windowsOf({terminals}), 2);
        icons.keepListed({terminals});
        QVERIFY(!icons.icon(12).isNull() && !icons.icon(13).isNull());

        // Drawn at another density, every icon is rendered anew.
        icons.prepare(windowsOf({editor}), 1);
        QCOMPARE(platform.appList.iconLookups.value(7), 3);
    }

    void snipCardsAndCellsShowEmptyForMissingText()
    {
        SnipCard::Data data;
        data.keyText = QStringLiteral("1");
        data.title = QStringLiteral("Image");
        data.systemIcon = QStringLiteral("photo");
        data.metrics = metrics;
        QCOMPARE(SnipCard(data, {}).bodyText(), QStringLiteral("(empty)"));
        data.text = QStringLiteral("echo hi");
        QCOMPARE(SnipCard(data, {}).bodyText(), QStringLiteral("echo hi"));
        const MiniPasteCard blank(PasteCell{QUuid::createUuid(), 0, QStringLiteral("1"), false, {}, std::nullopt}, {});
        QCOMPARE(blank.shownText(), QStringLiteral("(empty)"));

        data.image = picture(QSize(40, 40), QColor(0, 0, 220));
        SnipCard pictured(data, {});
        const QPoint bodyCentre = (pictured.faceRect().topLeft() + QPointF(12 + 80, 12 + 33 + 10 + 50)).toPoint();
        QVERIFY(sameColour(rendered(pictured).pixelColor(bodyCentre), QColor(0, 0, 220)));
    }

    void hoveringOutlinesTheFaceAndShowsAPointingHand()
    {
        int clicks = 0;
        Card card(appCard(3, true), [&clicks] { ++clicks; });
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        const Clickable &clickable = card.clickable();

        const QPoint inside = card.faceRect().center().toPoint();
        QTest::mouseMove(&card, inside);
        QTRY_VERIFY(clickable.isHovering());
        QCOMPARE(card.cursor().shape(), Qt::PointingHandCursor);
        QTRY_COMPARE(clickable.currentOutlineWidth(), Clickable::outlineWidth);

        // The margin around the face (shadow, back cards) does not count.
        const QPoint margin = (card.faceRect().bottomRight() + QPointF(4, 4)).toPoint();
        QTest::mouseMove(&card, margin);
        QTRY_VERIFY(!clickable.isHovering());
        QCOMPARE(card.cursor().shape(), Qt::ArrowCursor);
        QTRY_COMPARE(clickable.currentOutlineWidth(), 0.0);

        // Only a left click inside the face counts: not in the margin, not on the rounded
        // corner, not the right button, not a press on the card released beside it.
        QTest::mouseClick(&card, Qt::LeftButton, {}, margin);
        QTest::mouseClick(&card, Qt::LeftButton, {}, (card.faceRect().topLeft() + QPointF(1, 1)).toPoint());
        QTest::mouseClick(&card, Qt::RightButton, {}, inside);
        QTest::mousePress(&card, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(&card, Qt::LeftButton, {}, margin);
        QCOMPARE(clicks, 0);
        QTest::mouseClick(&card, Qt::LeftButton, {}, inside);
        QCOMPARE(clicks, 1);
    }

    void columnsShareTheirWidthAmongTheirCells()
    {
        QList<PasteCell> cells;
        for (int i = 0; i < 4; ++i)
            cells.append(PasteCell{QUuid::createUuid(), i, QString::number(i + 1), false, QStringLiteral("text"), {}});
        const PasteColumn::Data data{QStringLiteral("Clipboard"), QStringLiteral("doc.on.clipboard"), QStringLiteral("V"),
                                     false, false, QString(), cells, 10, {}, {}};

        // With room to spare the cells reach their 180 and stop there.
        PasteColumn wide(data, QSize(1200, 150));
        QCOMPARE(wide.cells().size(), 4);
        for (const MiniPasteCard *cell : wide.cells())
            QCOMPARE(cell->size(), QSize(180, 96));
        QCOMPARE(wide.moreChip()->size(), QSize(72, 96));

        PasteColumn narrow(data, QSize(400, 150));
        const QList<MiniPasteCard *> squeezed = narrow.cells();
        QVERIFY(squeezed.first()->width() < 180);
        QCOMPARE(squeezed.first()->width(), squeezed.last()->width());
        QVERIFY(narrow.rect().contains(narrow.moreChip()->geometry()));
        QVERIFY(squeezed.last()->geometry().right() < narrow.moreChip()->x());
    }

    void aBarsMoreChipStaysInsideTheBar()
    {
        QList<CompactChipData> chips;
        for (int i = 0; i < 6; ++i)
            chips.append(CompactChipData{QUuid::createUuid(), i, QString::number(i + 1), QStringLiteral("n"), QStringLiteral("d")});
        const CompactBottomBar::Data data{QStringLiteral("Quick Links"), QStringLiteral("link"), QStringLiteral("Q"),
                                          false, QString(), 8, chips, {}, {}};
        const CompactBottomBar bar(data, QSize(560, 100));
        QCOMPARE(bar.chips().size(), 6);
        QVERIFY(bar.moreChip());
        QCOMPARE(bar.moreChip()->width(), 72);
        QCOMPARE(bar.moreChip()->height(), bar.chips().first()->height());
        for (const CompactChip *chip : bar.chips())
            QVERIFY(bar.rect().contains(chip->geometry()));
        QVERIFY(bar.rect().contains(bar.moreChip()->geometry()));

        // With room to spare the chips reach their 220 and stop there.
        const CompactBottomBar roomy({QStringLiteral("Commands"), QStringLiteral("terminal"), QStringLiteral("M"), false,
                                      QString(), 3, chips.mid(0, 3), {}, {}},
                                     QSize(1200, 100));
        QVERIFY(!roomy.moreChip());
        for (const CompactChip *chip : roomy.chips())
            QCOMPARE(chip->width(), 220);
    }
};

QTEST_MAIN(BlocksTest)
#include "blocks_test.moc"
