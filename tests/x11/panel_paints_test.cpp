#include "X11TestSupport.h"
#include "app/OverlayController.h"
#include "app/OverlayPanel.h"
#include "panel/SwitcherView.h"
#include "switcher/SwitcherRig.h"

#include <QTest>

namespace {

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget &widget) { widget.installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

// The panel as the X server shows it, over the fake desktop's applications: the map, the
// exposure and the keyboard focus each reach the panel on their own, and a showing still
// paints it once.
class PanelPaintsTest : public QObject {
    Q_OBJECT

private slots:
    void eachOpeningPaintsThePanelOnce()
    {
        // Away from the panel: a card under the pointer is painted again as it lights up.
        X11Test::run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("1"), QStringLiteral("1")});
        SwitcherRig rig;
        rig.platform.windows.addWindow(11, 4100, QStringLiteral("Editor"), QStringLiteral("notes.txt"));
        rig.platform.windows.addWindow(21, 4200, QStringLiteral("Browser"), QStringLiteral("News"));
        OverlayController controller(SwitcherSources{rig.settings.store, rig.thumbnails, rig.clipboard, rig.snippets,
                                                     rig.links, rig.commands},
                                     rig.platform, rig.running);
        controller.prepare();
        PaintCounter counter(*controller.panel()->content());
        for (int opening = 0; opening < 3; ++opening) {
            counter.paints = 0;
            controller.show();
            QTRY_VERIFY(counter.paints > 0);
            QTest::qWait(300);
            QCOMPARE(counter.paints, 1);
            // The focus comes with the first opening only: later ones ask for it with the
            // time of the last event this test's connection saw, which the server ignores
            // once the focus has moved since (a trigger's key brings a fresh time).
            if (opening == 0)
                QVERIFY(controller.panel()->isActiveWindow());
            controller.hide(false);
            // A window opened meanwhile: the next opening lists it.
            rig.platform.windows.addWindow(31 + opening, 4100, QStringLiteral("Editor"), QStringLiteral("more"));
        }
    }
};

QTEST_MAIN(PanelPaintsTest)
#include "panel_paints_test.moc"
