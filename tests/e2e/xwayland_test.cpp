#include "reliability/RunningProgram.h"
#include "wayland/WaylandTestSupport.h"
#include "x11/X11TestSupport.h"

#include <QFile>
#include <QTest>

using namespace lettergate;

// The real program in the XWayland part of a Wayland desktop that serves it nothing of
// its own (here: no compositor answers on $WAYLAND_DISPLAY), as on GNOME: it runs as an
// X11 program, says so, and its panel keeps the keyboard it is given. As an
// override-redirect window the compositor took the keyboard back within 100 ms, the
// panel hid itself, and the letter typed went to the window beneath.
class XWaylandTest : public QObject {
    Q_OBJECT

private slots:
    void thePanelKeepsTheKeyboardAndSwitches()
    {
        X11Test::HelperWindow target({"--title", "Target", "--class", "target,Target", "--size", "400x300"});
        X11Test::HelperWindow front({"--title", "Front", "--class", "front,Front", "--size", "400x300"});
        QVERIFY(X11Test::waitUntilManaged({&target, &front}));
        QTRY_COMPARE(focusedClass(), QStringLiteral("Front"));

        RunningProgram program;
        // As a user starts it: Qt's platform is the program's to choose.
        program.environment().remove(QStringLiteral("QT_QPA_PLATFORM"));
        VERIFY_OR_REPORT(program, program.start());
        QVERIFY(program.output().contains("using X11 through XWayland: no Wayland compositor answers"));
        const std::optional<QString> windows = program.ask({QStringLiteral("windows")});
        QVERIFY(windows);
        const QList<Reliability::ReportedWindow> listed = Reliability::reportedWindows(*windows);
        const auto targetEntry = std::ranges::find(listed, QStringLiteral("Target"), &Reliability::ReportedWindow::app);
        QVERIFY2(targetEntry != listed.end(), qPrintable(*windows));

        QVERIFY(program.ask({QStringLiteral("toggle")}));
        QTRY_COMPARE(focusedClass(), QStringLiteral("Lettergate"));
        // Past the moment the compositor took the keyboard from an override-redirect panel.
        QTest::qWait(300);
        QCOMPARE(focusedClass(), QStringLiteral("Lettergate"));
        Reliability::pressKeys(targetEntry->letter.toLower());
        VERIFY_OR_REPORT(program, QTest::qWaitFor([] { return focusedClass() == QStringLiteral("Target"); }));
    }

private:
    // The X window class of the window sway has focused; empty for none or a Wayland one.
    static QString focusedClass()
    {
        return WaylandTest::focusedWindow()
            .value(QStringLiteral("window_properties"))
            .toObject()
            .value(QStringLiteral("class"))
            .toString();
    }
};

// Everything here, the program included, talks to XWayland: the display it serves comes
// from the session (scripts/wayland-session start DIR --xwayland), and the Wayland
// socket named is one where no compositor answers.
int main(int argc, char **argv)
{
    QFile display(qEnvironmentVariable("LETTERGATE_XWAYLAND_DISPLAY_FILE"));
    if (!display.open(QIODevice::ReadOnly)) {
        std::fputs("no XWayland display: start the session with --xwayland\n", stderr);
        return 1;
    }
    qputenv("DISPLAY", display.readAll().trimmed());
    qputenv("WAYLAND_DISPLAY", "no-compositor-answers-here");
    qputenv("XDG_SESSION_TYPE", "wayland");
    QGuiApplication app(argc, argv);
    XWaylandTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "xwayland_test.moc"
