#include "panel/CardFace.h"
#include "panel/GridMetrics.h"
#include "panel/GridPage.h"
#include "panel/SpringCurve.h"

#include <QTest>

using namespace lettergate;

namespace {

// A bare card face, enough to see where the grid puts it.
class Face : public CardFace {
public:
    explicit Face(const GridMetrics &metrics)
        : CardFace(QStringLiteral("title"), QStringLiteral("1"), metrics, 14, shadowMargins, {}, nullptr)
    {
    }

protected:
    void paintLeading(QPainter &, const QRectF &) override {}
    void paintBody(QPainter &, const QRectF &) override {}
    QString contentKey() const override { return {}; }
};

QRectF faceIn(const GridPage &page, int index)
{
    const CardFace *card = page.cards().at(index);
    return card->faceRect().translated(card->pos());
}

} // namespace

// Where the grid puts its cards, and how pages move between them.
class LayoutAndMotionTest : public QObject {
    Q_OBJECT
private slots:
    void fitPicksTheColumnCountWithTheLargestPictures()
    {
        struct Case {
            int count;
            double width, height;
            int columns;
            double thumbW, thumbH;
        };
        const QList<Case> cases{
            {0, 1000, 600, 1, 460, 287.5}, // laid out as one card, at the 460 ceiling
            {3, 1000, 600, 2, 313.6, 196}, // two rows of two beat one row of three (278.67)
            {5, 1000, 600, 3, 278.0 + 2.0 / 3, 174.0 + 1.0 / 6},
            {40, 1000, 600, 8, 75, 46.875}, // below the 75 floor: the fallback
            {2, 200, 200, 1, 75, 46.875},   // the fallback although 2 columns give 39
            {1, 10, 10, 1, 75, 46.875},     // nothing positive at all
        };
        for (const Case &c : cases) {
            const GridMetrics metrics = GridMetrics::fit(c.count, c.width, c.height);
            const QString label = QStringLiteral("fit(%1, %2, %3)").arg(c.count).arg(c.width).arg(c.height);
            QVERIFY2(metrics.columns == c.columns,
                     qPrintable(label + QStringLiteral(" columns %1").arg(metrics.columns)));
            QVERIFY2(qFuzzyCompare(metrics.thumbW, c.thumbW),
                     qPrintable(label + QStringLiteral(" thumbW %1").arg(metrics.thumbW)));
            QVERIFY2(qFuzzyCompare(metrics.thumbH, c.thumbH),
                     qPrintable(label + QStringLiteral(" thumbH %1").arg(metrics.thumbH)));
        }
        QCOMPARE(GridMetrics::fit(40, 1000, 600).rowsFor(40), 5);
    }

    void gridCentresRowsAndAlignsOverflowToTheTop()
    {
        const auto makeFace = [](int, const GridMetrics &metrics) -> CardFace * { return new Face(metrics); };

        // Five cards: three above two, the second row centred under the first.
        GridPage five(5, QSize(1000, 600), makeFace);
        QVERIFY(!five.isAlignedToTop());
        QVERIFY(qAbs(faceIn(five, 3).left() - (1000 - 2 * five.metrics().cardWidth() - 18) / 2) <= 1);
        QVERIFY(qAbs(faceIn(five, 0).top() - (600 - 500.333) / 2) <= 1);

        // Forty cards overflow: the grid starts at the top and the fifth row is cut off.
        GridPage forty(40, QSize(1000, 600), makeFace);
        QVERIFY(forty.isAlignedToTop());
        QCOMPARE(forty.cards().size(), 40);
        QCOMPARE(faceIn(forty, 0).top(), 0.0);
        QVERIFY(faceIn(forty, 39).bottom() > 600);
        QVERIFY(forty.rect().contains(faceIn(forty, 31).toRect()));
    }

    void theSpringRisesOvershootsSlightlyAndRests()
    {
        const SpringCurve forward{0.34, 0.82};
        QCOMPARE(forward.value(0), 0.0);
        QVERIFY(qAbs(forward.value(0.1) - 0.618) < 0.002);
        QVERIFY(forward.settlingSeconds() > 0.4 && forward.settlingSeconds() < 0.6);
        QCOMPARE(forward.value(forward.settlingSeconds()), 1.0);
        // It rises without dipping until it first reaches 1, then overshoots a little.
        double highest = 0;
        double previous = 0;
        bool reached = false;
        for (double t = 0.005; t < forward.settlingSeconds(); t += 0.005) {
            const double value = forward.value(t);
            if (!reached) {
                QVERIFY(value >= previous);
                reached = value >= 1;
            }
            highest = qMax(highest, value);
            previous = value;
        }
        QVERIFY(reached);
        QVERIFY(highest > 1.0 && highest < 1.02); // e^(−πζ/√(1−ζ²)) ≈ 1.1 %

        // Critical damping never overshoots; no response means no motion.
        const SpringCurve critical{0.3, 1.0};
        for (double t = 0; t < critical.settlingSeconds(); t += 0.01)
            QVERIFY(critical.value(t) <= 1.0);
        QCOMPARE((SpringCurve{0, 0.82}.value(0)), 1.0);
    }
};

QTEST_MAIN(LayoutAndMotionTest)
#include "layout_and_motion_test.moc"
