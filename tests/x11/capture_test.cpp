#include "X11TestSupport.h"
#include "platform/ScreenCapture.h"
#include "platform/x11/X11Platform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QTest>
#include <QtConcurrent>

using X11Test::HelperWindow;

namespace {

std::optional<ShareableWindow> offered(ScreenCapture &capture, quint32 window)
{
    for (const ShareableWindow &candidate : capture.shareableContent().windows) {
        if (candidate.number == window)
            return candidate;
    }
    return std::nullopt;
}

// Close enough for a picture that was scaled smoothly.
bool looksLike(QColor actual, QColor expected)
{
    return qAbs(actual.red() - expected.red()) < 16 && qAbs(actual.green() - expected.green()) < 16 &&
           qAbs(actual.blue() - expected.blue()) < 16;
}

} // namespace

// Window pictures through Composite, without a compositing manager.
class CaptureTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
        QVERIFY(m_platform->screenCapture().preflight());
        LogCapture log;
        QVERIFY(m_platform->screenCapture().request());
        QCOMPARE(log.lines, QStringList{QStringLiteral(
                                "[Lettergate] nothing to grant: on X11 window pictures need only the Composite extension")});
    }

    void aHalfCoveredWindowIsPicturedWithItsOwnContent()
    {
        // Red on the left, green on the right; a blue window then covers the green half.
        HelperWindow covered({"--title", "Covered", "--size", "400x300", "--position", "100,100", "--color", "ff0000",
                              "--right-color", "00ff00"});
        QVERIFY(X11Test::waitUntilManaged(covered.window()));
        HelperWindow cover({"--title", "Cover", "--size", "400x400", "--position", "300,50", "--color", "0000ff"});
        QVERIFY(X11Test::waitUntilManaged(cover.window()));
        X11Test::run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(cover.window())});
        QTest::qWait(100);

        ScreenCapture &capture = m_platform->screenCapture();
        const auto window = offered(capture, covered.window());
        QVERIFY(window);
        QCOMPARE(window->frame, QRectF(100, 100, 402, 325));

        // At its own size: the client area starts below the 20-pixel title bar, inside
        // the 1-pixel border.
        const QImage full = capture.capture(*window, QSize(402, 325));
        QCOMPARE(full.size(), QSize(402, 325));
        QCOMPARE(full.pixelColor(1 + 100, 21 + 150), QColor(Qt::red));
        QCOMPARE(full.pixelColor(1 + 300, 21 + 150), QColor(Qt::green));

        // Scaled as the thumbnail size rule asks.
        const QImage half = capture.capture(*window, QSize(201, 162));
        QCOMPARE(half.size(), QSize(201, 162));
        QVERIFY(looksLike(half.pixelColor(50, 85), Qt::red));
        QVERIFY(looksLike(half.pixelColor(150, 85), Qt::green));
    }

    void hiddenAndVanishedWindowsFailQuietly()
    {
        HelperWindow minimised({"--title", "Minimised", "--iconic"});
        HelperWindow closing({"--title", "Closing"});
        QVERIFY(X11Test::waitUntilManaged(minimised.window()) && X11Test::waitUntilManaged(closing.window()));
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
        std::vector<std::unique_ptr<HelperWindow>> helpers;
        for (int i = 0; i < 6; ++i) {
            helpers.push_back(std::make_unique<HelperWindow>(QStringList{
                "--title", QStringLiteral("Worker %1").arg(i), "--size", "200x150", "--position",
                QStringLiteral("%1,%2").arg(40 + 150 * i).arg(500), "--color", QStringLiteral("%1").arg(0x101010 * (i + 1), 6, 16, QLatin1Char('0'))}));
            QVERIFY(X11Test::waitUntilManaged(helpers.back()->window()));
        }
        ScreenCapture &capture = m_platform->screenCapture();
        QList<quint32> numbers;
        for (const auto &helper : helpers)
            numbers.append(helper->window());
        // Listing and capturing both happen off the GUI thread, as the thumbnail service
        // does it.
        const QList<QImage> pictures = QtConcurrent::blockingMapped(numbers, [&capture](quint32 number) {
            const ShareableContent content = capture.shareableContent();
            for (const ShareableWindow &window : content.windows) {
                if (window.number == number)
                    return capture.capture(window, QSize(101, 87));
            }
            return QImage();
        });
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            QCOMPARE(pictures[i].size(), QSize(101, 87));
            const int shade = 0x10 * int(i + 1);
            QVERIFY(looksLike(pictures[i].pixelColor(50, 50), QColor(shade, shade, shade)));
        }
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
};

QTEST_MAIN(CaptureTest)
#include "capture_test.moc"
