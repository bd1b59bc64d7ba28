#include "X11TestSupport.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"
#include "windows/ThumbnailService.h"
#include "windows/WindowActivation.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QTest>
#include <QWindow>

using X11Test::HelperWindow;

namespace {

QList<WindowInfo> windowsOfOthers()
{
    return listWindows(qint32(QCoreApplication::applicationPid()));
}

std::optional<WindowInfo> find(const QList<WindowInfo> &windows, quint32 window)
{
    return X11Test::entryOf(windows, &WindowInfo::id, window);
}

} // namespace

// The switcher's window logic over the X11 backend: what the panel lists, what picking
// a minimised window does, and the pictures it shows. Picking a listed window by its
// letter is the whole program's end-to-end test.
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

    void listsOrdinaryWindowsOfOtherProcessesOnlyAndRestoresAMinimisedOne()
    {
        HelperWindow ordinary({"--title", "Ordinary", "--class", "ordinary,Ordinary", "--size", "300x200"});
        HelperWindow square({"--title", "Square", "--size", "58x35"});
        HelperWindow narrow({"--title", "Narrow", "--size", "57x300"});
        HelperWindow dock({"--title", "Dock", "--type", "dock", "--size", "600x40", "--position", "300,900"});
        HelperWindow utility({"--title", "Utility", "--type", "utility"});
        HelperWindow minimised({"--title", "Minimised", "--iconic"});
        HelperWindow elsewhere({"--title", "Elsewhere", "--desktop", "3"});
        QWindow own;
        own.resize(300, 200);
        own.show();
        QVERIFY(X11Test::waitUntilManaged({&ordinary, &square, &narrow, &dock, &utility, &minimised, &elsewhere}));
        QVERIFY(X11Test::waitUntilManaged(quint32(own.winId())));

        const QList<WindowInfo> windows = windowsOfOthers();
        QVERIFY(find(windows, ordinary.window()));
        // The frame counts: 58 × 35 framed is exactly 60 × 60 and passes; 57 wide does not.
        QVERIFY(find(windows, square.window()));
        for (const HelperWindow *hidden : {&narrow, &dock, &utility, &minimised, &elsewhere})
            QVERIFY2(!find(windows, hidden->window()), qPrintable(hidden->lines().value(0)));
        QVERIFY(!find(windows, quint32(own.winId())));
        QVERIFY(find(listWindows(std::nullopt), quint32(own.winId())));

        // Picked though it was minimised since its card was shown, a window is restored,
        // brought to the front and listed again.
        const WindowInfo restored{minimised.window(), qint32(minimised.pid()), QStringLiteral("Min"),
                                  QStringLiteral("Min"), QStringLiteral("Minimised"), QRectF(0, 0, 400, 300)};
        QVERIFY(activateWindow(restored));
        QTRY_COMPARE(X11Test::activeWindow(), minimised.window());
        QTRY_VERIFY(find(windowsOfOthers(), minimised.window()));
    }

    void thumbnailsShowEachWindowsContentAtTheSizeRulesDimensions()
    {
        HelperWindow window({"--title", "Pictured", "--size", "1000x500", "--position", "10,10", "--color", "ff0000",
                             "--right-color", "00ff00"});
        QVERIFY(X11Test::waitUntilManaged({&window}));
        const QList<WindowInfo> windows = windowsOfOthers();
        const auto target = find(windows, window.window());
        QVERIFY(target);

        ThumbnailService thumbnails;
        QFuture<void> done = thumbnails.prefetch(windows, [](quint32, const QImage &) {});
        QTRY_VERIFY(done.isFinished());
        const QImage picture = thumbnails.thumbnails({window.window()}).value(window.window());
        // The 1002 × 525 frame scaled so the longer side is 720.
        QCOMPARE(picture.size(), QSize(720, 377));
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
