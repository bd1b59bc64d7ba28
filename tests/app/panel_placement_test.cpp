#include "app/PanelPlacement.h"

#include <QTest>

using PanelPlacement::Screen;

Q_DECLARE_METATYPE(std::optional<QRectF>)
Q_DECLARE_METATYPE(std::optional<QPoint>)

namespace {

// The primary screen, and a smaller one to its right, lower down.
const Screen primary{QRect(0, 0, 1280, 800), 1};
const Screen side{QRect(1280, 200, 1024, 768), 1};
// The same side screen at twice the density: Qt halves its size, the server does not.
const Screen denseSide{QRect(1280, 200, 512, 384), 2};
// The primary's free area under a bar along its top.
const QRect primaryAvailable(0, 30, 1280, 770);

} // namespace

class PanelPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void theActiveWindowsScreenThenThePointersThenThePrimary_data()
    {
        QTest::addColumn<QList<Screen>>("screens");
        QTest::addColumn<std::optional<QRectF>>("window");
        QTest::addColumn<std::optional<QPoint>>("pointer");
        QTest::addColumn<qsizetype>("expected");

        const QList<Screen> two{primary, side};
        const std::optional<QPoint> noPointer;
        const std::optional<QRectF> noWindow;
        const QPoint onSide(1500, 500);
        QTest::newRow("no screen") << QList<Screen>() << std::optional<QRectF>(QRectF(0, 0, 10, 10)) << noPointer
                                   << qsizetype(-1);
        QTest::newRow("window on the side screen, pointer on the primary")
            << two << std::optional<QRectF>(QRectF(1400, 300, 600, 400)) << std::optional<QPoint>(QPoint(10, 10))
            << qsizetype(1);
        QTest::newRow("window on the primary, pointer on the side")
            << two << std::optional<QRectF>(QRectF(100, 100, 600, 400)) << std::optional<QPoint>(onSide) << qsizetype(0);
        // Its centre (1320, 190) lies just above the side screen, off both: the side screen
        // holds more of it.
        QTest::newRow("window across both, centre off both, most on the side")
            << two << std::optional<QRectF>(QRectF(1220, 20, 200, 340)) << noPointer << qsizetype(1);
        QTest::newRow("window off every screen: the pointer's")
            << two << std::optional<QRectF>(QRectF(5000, 5000, 100, 100)) << std::optional<QPoint>(onSide)
            << qsizetype(1);
        QTest::newRow("an empty frame counts as no window")
            << two << std::optional<QRectF>(QRectF(100, 100, 0, 0)) << std::optional<QPoint>(onSide) << qsizetype(1);
        QTest::newRow("no window: the pointer's") << two << noWindow << std::optional<QPoint>(onSide) << qsizetype(1);
        QTest::newRow("no window, pointer off every screen: the primary")
            << two << noWindow << std::optional<QPoint>(QPoint(1300, 10)) << qsizetype(0);
        QTest::newRow("nothing known: the primary") << two << noWindow << noPointer << qsizetype(0);
        // (2000, 600) is outside the dense screen's Qt rectangle, inside its pixels.
        QTest::newRow("window on a dense screen, in its device pixels")
            << QList<Screen>{primary, denseSide} << std::optional<QRectF>(QRectF(1900, 500, 200, 200)) << noPointer
            << qsizetype(1);
    }

    void theActiveWindowsScreenThenThePointersThenThePrimary()
    {
        QFETCH(QList<Screen>, screens);
        QFETCH(std::optional<QRectF>, window);
        QFETCH(std::optional<QPoint>, pointer);
        QFETCH(qsizetype, expected);
        QCOMPARE(PanelPlacement::screenFor(screens, window, pointer), expected);
    }

    void thePanelCoversFourFifthsOfTheAvailableAreaCentred()
    {
        QCOMPARE(PanelPlacement::panelRectWithin(primaryAvailable), QRect(127, 106, 1024, 616));
        QCOMPARE(PanelPlacement::panelRectWithin(side.geometry), QRect(1382, 276, 819, 614));
    }
};

QTEST_GUILESS_MAIN(PanelPlacementTest)
#include "panel_placement_test.moc"
