#include "PanelRig.h"
#include "panel/PageTransition.h"
#include "panel/SpringCurve.h"

#include <QSignalSpy>
#include <QTest>

using namespace lettergate;

using namespace PanelRig;

class PageTransitionTest : public QObject {
    Q_OBJECT

    static QColor centre(PageTransition &transition)
    {
        QImage image(transition.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        transition.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image.pixelColor(image.rect().center());
    }

private slots:
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

    void theLeavingPageFadesIntoTheArrivingOne()
    {
        QWidget area;
        area.resize(200, 100);
        PageTransition transition({picture(QSize(200, 100), QColor(220, 0, 0)), 0.94},
                                  {picture(QSize(200, 100), QColor(0, 0, 220)), 1.06}, SpringCurve{0.34, 0.82}, &area);
        transition.resize(area.size());
        QCOMPARE(transition.progress(), 0.0);
        QVERIFY(centre(transition).red() > 200 && centre(transition).blue() < 20);

        QSignalSpy finished(&transition, &PageTransition::finished);
        area.show();
        transition.start();
        QTRY_VERIFY(transition.progress() > 0.3 && transition.progress() < 0.9);
        const QColor between = centre(transition);
        QVERIFY(between.red() > 20 && between.blue() > 20);

        QVERIFY(finished.wait(2000));
        QCOMPARE(transition.progress(), 1.0);
        QVERIFY(centre(transition).blue() > 200 && centre(transition).red() < 20);
        QCOMPARE(finished.size(), 1);
    }
};

QTEST_MAIN(PageTransitionTest)
#include "page_transition_test.moc"
