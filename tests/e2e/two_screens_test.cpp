#include "reliability/RunningProgram.h"
#include "x11/X11TestSupport.h"

#include <QRect>
#include <QTest>

using namespace lettergate;

using Reliability::panelIsMapped;
using Reliability::pressKeys;
using X11Test::HelperWindow;

namespace {

// The session's two monitors (scripts/x11-session start --two-screens).
const QRect leftScreen(0, 0, 1280, 800);
const QRect rightScreen(1280, 0, 1024, 768);

// Where the window lies on the root, as the server has it.
QRect rootGeometryOf(xcb_window_t window)
{
    X11Test::OtherClient client;
    xcb_connection_t *c = client.connection();
    const XcbPtr<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    const XcbPtr<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, client.root(), 0, 0), nullptr));
    if (!geometry || !origin)
        return {};
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

} // namespace

// The real program on a desktop of two monitors side by side, the second smaller: the
// panel opens over the window that was active, sized for that monitor.
class TwoScreensTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_left = std::make_unique<HelperWindow>(
            QStringList{"--title", "Left", "--class", "left,Left", "--size", "500x400", "--position", "200,150"});
        m_right = std::make_unique<HelperWindow>(
            QStringList{"--title", "Right", "--class", "right,Right", "--size", "500x400", "--position", "1500,200"});
        QVERIFY(X11Test::waitUntilManaged({m_left.get(), m_right.get()}));
        QVERIFY2(m_program.start(), m_program.output().constData());
    }

    // The panel's window exists, unmapped, before the first opening; each opening puts
    // it over the active window's monitor.
    void thePanelOpensOnTheScreenOfTheActiveWindow()
    {
        // Built once the start-up tasks after the trigger's are done.
        QTRY_COMPARE(Reliability::programWindows(false).size(), 1);
        const QList<xcb_window_t> builtAtStart = Reliability::programWindows(false);
        QVERIFY(!panelIsMapped());
        const struct {
            const HelperWindow *active;
            QRect screen;
        } openings[] = {{m_right.get(), rightScreen}, {m_left.get(), leftScreen}, {m_right.get(), rightScreen}};
        for (const auto &[active, screen] : openings) {
            X11Test::activate(active->window());
            pressKeys(QStringLiteral("ctrl+alt+w"));
            // The window built at start is the panel, open, with the keyboard.
            QTRY_COMPARE_WITH_TIMEOUT(X11Test::focusedWindow(), builtAtStart.first(), 5000);
            const QRect panel = rootGeometryOf(builtAtStart.first());
            // 80 % of the monitor, centred on it.
            QCOMPARE(panel.size(), QSize(qRound(screen.width() * 0.8), qRound(screen.height() * 0.8)));
            QVERIFY2((panel.center() - screen.center()).manhattanLength() <= 2,
                     qPrintable(QStringLiteral("panel at %1,%2").arg(panel.x()).arg(panel.y())));
            pressKeys(QStringLiteral("Escape"));
            QTRY_VERIFY(!panelIsMapped());
            QTRY_COMPARE(X11Test::activeWindow(), active->window());
        }
    }

private:
    std::unique_ptr<HelperWindow> m_left;
    std::unique_ptr<HelperWindow> m_right;
    RunningProgram m_program;
};

QTEST_GUILESS_MAIN(TwoScreensTest)
#include "two_screens_test.moc"
