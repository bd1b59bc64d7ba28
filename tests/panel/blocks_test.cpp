#include "PanelRig.h"
#include "panel/AppIconCache.h"
#include "panel/Card.h"
#include "panel/Clickable.h"

#include <QTest>

using namespace lettergate;

using namespace PanelRig;

// How cards look is covered by the golden pictures; these check what they cannot.
class BlocksTest : public QObject {
    Q_OBJECT
private slots:
    void appIconsAreLookedUpOnlyWhenPreparedAndKeptWhileTheirProcessIsListed()
    {
        FakePlatform platform;
        QHash<qint32, int> &lookups = platform.appList.iconLookups;
        const auto windowsOf = [](const QList<AppEntry> &apps) {
            QList<WindowInfo> windows;
            for (const AppEntry &app : apps)
                windows.append(app.windows);
            return windows;
        };
        const AppEntry editor = app(7, QStringLiteral("Editor"), QStringLiteral("e"), {70});
        const AppEntry viewer = app(8, QStringLiteral("Viewer"), QStringLiteral("v"), {80});
        const AppEntry other = app(9, QStringLiteral("Other"), std::nullopt, {90});
        for (qint32 pid : {9, 10, 11, 12, 13})
            giveIcon(platform.appList.icons, pid, Qt::green);
        QPixmap large(256, 256);
        large.fill(Qt::green);
        platform.appList.icons.insert(7, QIcon(large));
        AppIconCache icons(platform.appList);
        icons.prepare(windowsOf({editor, viewer}), 2);
        QVERIFY(!icons.icon(7).isNull() && icons.icon(8).isNull());
        // Rendered for the title row and the largest picture area, at the density asked.
        QCOMPARE(icons.icon(7).availableSizes(),
                 (QList<QSize>{QSize(2 * Card::leadingLogoSide, 2 * Card::leadingLogoSide),
                               QSize(2 * Card::largestBodyLogoSide, 2 * Card::largestBodyLogoSide)}));
        // A showing asks nothing; the next preparation asks only for what is new, an
        // absent icon included, while the process stays listed.
        icons.keepListed({editor, viewer, other});
        QVERIFY(icons.icon(9).isNull());
        giveIcon(platform.appList.icons, 8, Qt::red);
        icons.prepare(windowsOf({viewer, other, editor}), 2);
        QVERIFY(!icons.icon(9).isNull() && icons.icon(8).isNull());
        QCOMPARE(lookups, (QHash<qint32, int>{{7, 1}, {8, 1}, {9, 1}}));
        // A process that left the list, or whose id now names another app, is asked afresh.
        icons.keepListed({viewer});
        icons.prepare(windowsOf({editor, viewer}), 2);
        icons.keepListed({editor, app(8, QStringLiteral("Mail"), QStringLiteral("m"), {81})});
        QVERIFY(icons.icon(8).isNull());
        icons.prepare(windowsOf({editor, app(8, QStringLiteral("Mail"), QStringLiteral("m"), {81})}), 2);
        QVERIFY(!icons.icon(8).isNull());
        QCOMPARE(lookups, (QHash<qint32, int>{{7, 2}, {8, 2}, {9, 1}}));
        // One prepared before it was listed (it came to the front) is kept by that listing;
        // one that had no icon then is asked again.
        icons.prepare(10, 2);
        icons.keepListed({editor, app(10, QStringLiteral("New"), QStringLiteral("n"), {100})});
        QVERIFY(!icons.icon(10).isNull());
        platform.appList.icons.remove(11);
        icons.prepare(11, 2);
        giveIcon(platform.appList.icons, 11, Qt::green);
        icons.prepare(windowsOf({editor, app(11, QStringLiteral("Late"), QStringLiteral("l"), {110})}), 2);
        QVERIFY(!icons.icon(11).isNull());
        // An app of two processes keeps both icons, which its window page draws.
        AppEntry terminals = app(12, QStringLiteral("XTerm"), QStringLiteral("x"), {120});
        terminals.windows.append(WindowInfo{121, 13, terminals.bundleID, terminals.appName, {}, {}});
        icons.prepare(windowsOf({terminals}), 2);
        icons.keepListed({terminals});
        QVERIFY(!icons.icon(12).isNull() && !icons.icon(13).isNull());
        // Drawn at another density, every icon is rendered anew.
        icons.prepare(windowsOf({editor}), 1);
        QCOMPARE(lookups.value(7), 3);
    }

    void onlyALeftClickInsideTheFaceCounts()
    {
        int clicks = 0;
        Card::Data data;
        data.metrics = GridMetrics{1, 160, 100};
        Card card(data, [&clicks] { ++clicks; });
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        const QPoint inside = card.faceRect().center().toPoint();
        const QPoint margin = (card.faceRect().bottomRight() + QPointF(4, 4)).toPoint();
        QTest::mouseMove(&card, inside);
        QTRY_COMPARE(card.clickable().currentOutlineWidth(), Clickable::outlineWidth);
        QCOMPARE(card.cursor().shape(), Qt::PointingHandCursor);
        // The margin around the face (shadow, back cards) does not count.
        QTest::mouseMove(&card, margin);
        QTRY_COMPARE(card.clickable().currentOutlineWidth(), 0.0);
        QCOMPARE(card.cursor().shape(), Qt::ArrowCursor);
        // Not in the margin, not on the rounded corner, not the right button, not a press
        // released beside the card.
        QTest::mouseClick(&card, Qt::LeftButton, {}, margin);
        QTest::mouseClick(&card, Qt::LeftButton, {}, (card.faceRect().topLeft() + QPointF(1, 1)).toPoint());
        QTest::mouseClick(&card, Qt::RightButton, {}, inside);
        QTest::mousePress(&card, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(&card, Qt::LeftButton, {}, margin);
        QCOMPARE(clicks, 0);
        QTest::mouseClick(&card, Qt::LeftButton, {}, inside);
        QCOMPARE(clicks, 1);
    }
};

QTEST_MAIN(BlocksTest)
#include "blocks_test.moc"
