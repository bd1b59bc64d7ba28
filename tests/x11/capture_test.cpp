#include "X11TestSupport.h"
#include "platform/ScreenCapture.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"

#include <QTest>
#include <QtConcurrent>

using X11Test::HelperWindow;

namespace {

std::optional<ShareableWindow> offered(ScreenCapture &capture, quint32 window)
{
    return X11Test::entryOf(capture.shareableContent().windows, &ShareableWindow::number, window);
}

} // namespace

// Window pictures through Composite, without a compositing manager. How the pictures
// are scaled for the panel is the end-to-end windows test's.
class CaptureTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
        QVERIFY(m_platform->screenCapture().preflight());
    }

    void aHalfCoveredWindowIsPicturedWithItsOwnContent()
    {
        // Red on the left, green on the right; a blue window then covers the green half.
        HelperWindow covered({"--title", "Covered", "--size", "400x300", "--position", "100,100", "--color", "ff0000",
                              "--right-color", "00ff00"});
        QVERIFY(X11Test::waitUntilManaged({&covered}));
        HelperWindow cover({"--title", "Cover", "--size", "400x400", "--position", "300,50", "--color", "0000ff"});
        QVERIFY(X11Test::waitUntilManaged({&cover}));
        X11Test::activate(cover.window());
        QTest::qWait(100);

        ScreenCapture &capture = m_platform->screenCapture();
        const auto window = offered(capture, covered.window());
        QVERIFY(window);
        QCOMPARE(window->frame, QRectF(100, 100, 402, 325));

        // The client area starts below the 20-pixel title bar, inside the 1-pixel border.
        const QImage full = capture.capture(*window, QSize(402, 325));
        QCOMPARE(full.size(), QSize(402, 325));
        QCOMPARE(full.pixelColor(1 + 100, 21 + 150), QColor(Qt::red));
        QCOMPARE(full.pixelColor(1 + 300, 21 + 150), QColor(Qt::green));
    }

    void hiddenAndVanishedWindowsFailQuietly()
    {
        HelperWindow minimised({"--title", "Minimised", "--iconic"});
        HelperWindow closing({"--title", "Closing"});
        QVERIFY(X11Test::waitUntilManaged({&minimised, &closing}));
        ScreenCapture &capture = m_platform->screenCapture();
        QVERIFY(!offered(capture, minimised.window()));
        QVERIFY(capture.capture({minimised.window(), QRectF(0, 0, 400, 300)}, QSize(400, 300)).isNull());

        const auto window = offered(capture, closing.window());
        QVERIFY(window);
        closing.close();
        QTRY_VERIFY(!offered(capture, closing.window()));
        QVERIFY(capture.capture(*window, QSize(100, 100)).isNull());
        QVERIFY(capture.capture({0x7fffff0, QRectF(0, 0, 10, 10)}, QSize(10, 10)).isNull());
    }

    void capturesRunConcurrentlyOnWorkerThreads()
    {
        // Six windows, each its own shade of grey.
        std::vector<std::unique_ptr<HelperWindow>> helpers;
        QList<quint32> numbers;
        for (int i = 1; i <= 6; ++i) {
            helpers.push_back(std::make_unique<HelperWindow>(QStringList{
                "--size", "200x150", "--position", QStringLiteral("%1,500").arg(150 * i - 110), "--color",
                QColor(0x10 * i, 0x10 * i, 0x10 * i).name().mid(1)}));
            QVERIFY(X11Test::waitUntilManaged({helpers.back().get()}));
            numbers.append(helpers.back()->window());
        }
        // Listing and capturing both happen off the GUI thread, as the thumbnail service
        // does it.
        ScreenCapture &capture = m_platform->screenCapture();
        const QList<QImage> pictures = QtConcurrent::blockingMapped(numbers, [&capture](quint32 number) {
            const std::optional<ShareableWindow> window = offered(capture, number);
            return window ? capture.capture(*window, QSize(101, 87)) : QImage();
        });
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            QCOMPARE(pictures[i].size(), QSize(101, 87));
            // Scaled smoothly, a plain colour may come out a step off.
            const int shade = 0x10 * int(i + 1);
            const QColor middle = pictures[i].pixelColor(50, 50);
            QVERIFY2(qAbs(middle.red() - shade) < 16 && qAbs(middle.green() - shade) < 16
                         && qAbs(middle.blue() - shade) < 16,
                     qPrintable(middle.name()));
        }
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
};

QTEST_MAIN(CaptureTest)
#include "capture_test.moc"
