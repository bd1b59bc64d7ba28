#include "X11TestSupport.h"
#include "platform/x11/X11Platform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"
#include "windows/ThumbnailService.h"
#include "windows/WindowActivation.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QWindow>

using X11Test::HelperWindow;

namespace {

std::optional<WindowInfo> find(const QList<WindowInfo> &windows, quint32 id)
{
    for (const WindowInfo &window : windows) {
        if (window.id == id)
            return window;
    }
    return std::nullopt;
}

qint32 ownPid()
{
    return qint32(QCoreApplication::applicationPid());
}

} // namespace

// The switcher's window logic over the X11 backend: what the panel lists, what picking
// a window does, and the pictures it shows.
class EndToEndWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
        Platform::install(m_platform.get());
    }

    void cleanupTestCase() { Platform::install(nullptr); }

    void listsOrdinaryWindowsOfOtherProcessesOnly()
    {
        HelperWindow ordinary({"--title", "Ordinary", "--class", "ordinary,Ordinary", "--size", "300x200"});
        HelperWindow narrow({"--title", "Narrow", "--size", "57x300"});
        HelperWindow square({"--title", "Square", "--size", "58x35"});
        HelperWindow dock({"--title", "Dock", "--type", "dock", "--size", "600x40", "--position", "300,900"});
        HelperWindow minimised({"--title", "Minimised", "--iconic"});
        HelperWindow elsewhere({"--title", "Elsewhere", "--desktop", "3"});
        QWindow own;
        own.setTitle(QStringLiteral("Own window"));
        own.resize(300, 200);
        own.show();
        for (const HelperWindow *helper : {&ordinary, &narrow, &square, &dock, &minimised, &elsewhere})
            QVERIFY(X11Test::waitUntilManaged(helper->window()));
        QTRY_VERIFY(X11Test::waitUntilManaged(quint32(own.winId())));

        const QList<WindowInfo> windows = listWindows(ownPid());
        const auto shown = find(windows, ordinary.window());
        QVERIFY(shown);
        QCOMPARE(shown->pid, qint32(ordinary.pid()));
        QCOMPARE(shown->bundleID, QStringLiteral("Ordinary"));
        QCOMPARE(shown->appName, QStringLiteral("Ordinary"));
        QCOMPARE(shown->title, QStringLiteral("Ordinary"));
        QCOMPARE(shown->bounds.size(), QSizeF(302, 225));
        // Exactly 60 × 60 passes; 59 pixels wide does not.
        QVERIFY(find(windows, square.window()));
        for (const HelperWindow *hidden : {&narrow, &dock, &minimised, &elsewhere})
            QVERIFY2(!find(windows, hidden->window()), qPrintable(hidden->lines().value(0)));
        QVERIFY(!find(windows, quint32(own.winId())));
        QVERIFY(find(listWindows(std::nullopt), quint32(own.winId())));
    }

    void pickingAWindowActivatesExactlyThatWindow()
    {
        HelperWindow pair({"--title", "Pair", "--class", "pair,Pair", "--windows", "2"});
        HelperWindow minimised({"--title", "Was minimised", "--class", "min,Min", "--iconic"});
        QVERIFY(X11Test::waitUntilManaged(pair.windows().value(1)) && X11Test::waitUntilManaged(minimised.window()));
        QTRY_COMPARE(X11Test::activeWindow(), pair.windows().value(1));

        LogCapture log;
        const auto first = find(listWindows(ownPid()), pair.window());
        QVERIFY(first);
        QVERIFY(activateWindow(*first));
        QTRY_COMPARE(X11Test::activeWindow(), pair.window());
        QCOMPARE(log.lines.last(), QStringLiteral("[Lettergate] ✅ switched → Pair #%1 'Pair'").arg(pair.window()));

        // Minimised windows are not listed; the window a card showed before it was
        // minimised is restored when picked.
        const WindowInfo restored{minimised.window(), qint32(minimised.pid()), QStringLiteral("Min"), QStringLiteral("Min"),
                                  QStringLiteral("Was minimised"), QRectF(0, 0, 400, 300)};
        QVERIFY(activateWindow(restored));
        QTRY_COMPARE(X11Test::activeWindow(), minimised.window());
    }

    void aWindowClosedInBetweenMatchesNothing()
    {
        HelperWindow closing({"--title", "Closing", "--class", "closing,Closing"});
        HelperWindow other({"--title", "Other"});
        QVERIFY(X11Test::waitUntilManaged(closing.window()) && X11Test::waitUntilManaged(other.window()));
        const auto window = find(listWindows(ownPid()), closing.window());
        QVERIFY(window);

        closing.close();
        QTRY_VERIFY(!find(listWindows(ownPid()), closing.window()));
        QTest::qWait(100); // the window manager hands the focus on
        const quint32 activeBefore = X11Test::activeWindow();
        LogCapture log;
        QVERIFY(!activateWindow(*window));
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] no AX window matches CGWindowID=%1 (app=Closing)")
                                            .arg(closing.window())});
        // Nothing is activated in its place.
        QTest::qWait(100);
        QCOMPARE(X11Test::activeWindow(), activeBefore);
    }

    void thumbnailsShowEachWindowsOwnContentAtTheSizeRulesDimensions()
    {
        HelperWindow covered({"--title", "Covered", "--size", "1000x500", "--position", "10,10", "--color", "ff0000",
                              "--right-color", "00ff00"});
        QVERIFY(X11Test::waitUntilManaged(covered.window()));
        HelperWindow cover({"--title", "Cover", "--size", "500x700", "--position", "520,0", "--color", "0000ff"});
        QVERIFY(X11Test::waitUntilManaged(cover.window()));
        X11Test::run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(cover.window())});

        const QList<WindowInfo> windows = listWindows(ownPid());
        const auto target = find(windows, covered.window());
        QVERIFY(target);
        QCOMPARE(target->bounds, QRectF(10, 10, 1002, 525));

        ThumbnailService thumbnails;
        QHash<quint32, QImage> delivered;
        QFuture<void> done = thumbnails.prefetch(windows, [&](quint32 id, const QImage &image) { delivered.insert(id, image); });
        QTRY_VERIFY(done.isFinished());
        const QImage picture = thumbnails.thumbnails({covered.window()}).value(covered.window());
        // 1002 × 525 scaled so the longer side is 720: 720 × 377.
        QCOMPARE(picture.size(), ThumbnailService::thumbnailSize(target->bounds.size()));
        QCOMPARE(picture.size(), QSize(720, 377));
        QCOMPARE(delivered.value(covered.window()), picture);
        // The right half lies under the blue window on screen; the picture shows green.
        const QColor left = picture.pixelColor(180, 200);
        const QColor right = picture.pixelColor(540, 200);
        QVERIFY2(left.red() > 240 && left.green() < 16 && left.blue() < 16, qPrintable(left.name()));
        QVERIFY2(right.green() > 240 && right.red() < 16 && right.blue() < 16, qPrintable(right.name()));
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
};

QTEST_MAIN(EndToEndWindowsTest)
#include "e2e_windows_test.moc"
