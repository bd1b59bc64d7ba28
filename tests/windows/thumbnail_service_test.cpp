#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "windows/ThumbnailService.h"

#include <QCoreApplication>
#include <QTest>
#include <limits>

namespace {

WindowInfo window(quint32 id)
{
    return WindowInfo{id, 42, std::nullopt, QStringLiteral("Editor"), QString(), QRectF(0, 0, 800, 600)};
}

QList<WindowInfo> windows(std::initializer_list<quint32> ids)
{
    QList<WindowInfo> list;
    for (quint32 id : ids)
        list.append(window(id));
    return list;
}

void offer(FakePlatform &platform, std::initializer_list<quint32> ids, QSizeF frame = QSizeF(800, 600))
{
    for (quint32 id : ids)
        platform.capture.windows.append(ShareableWindow{id, QRectF(QPointF(0, 0), frame)});
}

// Every (window, image) the service handed back, with whether it arrived on the GUI thread.
struct Delivered {
    QList<quint32> ids;
    bool allOnGuiThread = true;

    ThumbnailService::ImageHandler handler()
    {
        return [this](quint32 id, const QImage &image) {
            QVERIFY(!image.isNull());
            ids.append(id);
            allOnGuiThread = allOnGuiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        };
    }
};

bool finishes(QFuture<void> future)
{
    return QTest::qWaitFor([&] { return future.isFinished(); }, 5000);
}

QList<quint32> sorted(QList<quint32> ids)
{
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace

class ThumbnailServiceTest : public QObject {
    Q_OBJECT
private slots:
    void sizeRuleFitsTheDrawnSizeOrSevenHundredTwenty_data()
    {
        QTest::addColumn<QSizeF>("frame");
        QTest::addColumn<QSize>("drawnAt"); // invalid: the window has no drawn size
        QTest::addColumn<QSize>("pixels");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const QSize none;
        QTest::newRow("1440 x 900") << QSizeF(1440, 900) << none << QSize(720, 450);
        QTest::newRow("900 x 1440") << QSizeF(900, 1440) << none << QSize(450, 720);
        QTest::newRow("never enlarged") << QSizeF(600, 400) << none << QSize(600, 400);
        QTest::newRow("integer part") << QSizeF(2000, 10) << none << QSize(720, 3);
        QTest::newRow("empty") << QSizeF(0, 0) << none << QSize(1, 1);
        QTest::newRow("thin") << QSizeF(5000, 0.2) << none << QSize(720, 1);
        QTest::newRow("broken") << QSizeF(nan, -3) << none << QSize(1, 1);
        QTest::newRow("drawn: wide window, width bounds") << QSizeF(1920, 1080) << QSize(460, 288) << QSize(460, 258);
        QTest::newRow("drawn: tall window, height bounds") << QSizeF(800, 1200) << QSize(460, 288) << QSize(192, 288);
        QTest::newRow("drawn: never enlarged") << QSizeF(320, 240) << QSize(460, 288) << QSize(320, 240);
    }

    void sizeRuleFitsTheDrawnSizeOrSevenHundredTwenty()
    {
        QFETCH(QSizeF, frame);
        QFETCH(QSize, drawnAt);
        QFETCH(QSize, pixels);
        QCOMPARE(ThumbnailService::thumbnailSize(frame, drawnAt.isValid() ? std::optional(drawnAt) : std::nullopt),
                 pixels);
    }

    void prefetchCapturesOfferedWindowsOffTheGuiThread()
    {
        FakePlatform platform;
        ThumbnailService service(platform.capture);
        offer(platform, {1}, QSizeF(1440, 900));
        offer(platform, {2}, QSizeF(2000, 10));
        offer(platform, {3});
        platform.capture.windows.append(ShareableWindow{1, QRectF(0, 0, 100, 100)}); // a duplicate: the first wins
        Delivered delivered;

        QFuture<void> done = service.prefetch(windows({1, 2, 4}), delivered.handler());
        QVERIFY(delivered.ids.isEmpty()); // nothing is delivered inside the call
        QVERIFY(finishes(done));

        QCOMPARE(sorted(delivered.ids), (QList<quint32>{1, 2}));
        QVERIFY(delivered.allOnGuiThread);
        QCOMPARE(platform.capture.requestedSizes.value(1), QSize(720, 450));
        QCOMPARE(platform.capture.requestedSizes.value(2), QSize(720, 3));
        QVERIFY(!platform.capture.requestedSizes.contains(3)); // offered but not asked for
        QCOMPARE(platform.capture.captureCount, 2);
        QVERIFY(!platform.capture.threads.contains(QThread::currentThread()));

        const QHash<quint32, QImage> pictures = service.thumbnails({1, 2, 3, 4});
        QCOMPARE(sorted(pictures.keys()), (QList<quint32>{1, 2}));
        QCOMPARE(pictures.value(1).size(), QSize(720, 450));

        // A window the panel draws smaller is captured at the size drawn; the others as before.
        QVERIFY(finishes(service.prefetch(windows({1, 2}), {}, {{1, QSize(230, 144)}})));
        QCOMPARE(platform.capture.requestedSizes.value(1), QSize(230, 143));
        QCOMPARE(platform.capture.requestedSizes.value(2), QSize(720, 3));
        QCOMPARE(service.thumbnails({1}).value(1).size(), QSize(230, 143));

        // Without the list of shareable windows nothing is captured, with one log line.
        LogCapture log;
        platform.capture.contentError = QStringLiteral("The display is gone.");
        QVERIFY(finishes(service.prefetch(windows({1, 2}))));
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] failed to get SCShareableContent:The display is gone.")});
        QCOMPARE(platform.capture.captureCount, 4);
    }

    void aLaterPrefetchKeepsReplacesOrForgetsEachPicture()
    {
        FakePlatform platform;
        LogCapture log;
        ThumbnailService service(platform.capture);
        offer(platform, {1, 2, 3, 4}, QSizeF(400, 300));
        QVERIFY(finishes(service.prefetch(windows({1, 2, 3, 4}))));
        const qint64 unchanged = service.thumbnails({3}).value(3).cacheKey();

        // 1 cannot be captured this time, 2 changed its size, 3 did not change, 4 closed.
        platform.capture.windows = {ShareableWindow{1, QRectF(0, 0, 200, 100)}, ShareableWindow{2, QRectF(0, 0, 200, 100)},
                                    ShareableWindow{3, QRectF(0, 0, 400, 300)}};
        platform.capture.failing = {1};
        Delivered delivered;
        QVERIFY(finishes(service.prefetch(windows({1, 2, 3}), delivered.handler())));
        QVERIFY(!delivered.ids.contains(1) && delivered.ids.contains(2));
        const QHash<quint32, QImage> kept = service.thumbnails({1, 2, 3, 4});
        QCOMPARE(sorted(kept.keys()), (QList<quint32>{1, 2, 3}));
        QCOMPARE(kept.value(1).size(), QSize(400, 300)); // the older picture
        QCOMPARE(kept.value(2).size(), QSize(200, 100));
        QCOMPARE(kept.value(3).cacheKey(), unchanged); // the same pixels: the kept picture itself
        QVERIFY(log.lines.isEmpty());

        // Without permission nothing is captured, and the list still decides what is kept.
        platform.capture.granted = false;
        platform.capture.captureCount = 0;
        Delivered none;
        QVERIFY(service.prefetch(windows({3}), none.handler()).isFinished());
        QCoreApplication::processEvents();
        QCOMPARE(platform.capture.captureCount, 0);
        QVERIFY(none.ids.isEmpty());
        QCOMPARE(service.thumbnails({1, 2, 3}).keys(), QList<quint32>{3});
    }

    void anOverlappingOlderPrefetchCannotBringAClosedWindowBack()
    {
        FakePlatform platform;
        ThumbnailService service(platform.capture);
        offer(platform, {1, 2});
        Delivered older;
        Delivered newer;

        // The second starts before any result of the first is handled; by then window 1 has closed.
        QFuture<void> first = service.prefetch(windows({1, 2}), older.handler());
        QFuture<void> second = service.prefetch(windows({2}), newer.handler());
        QVERIFY(finishes(first));
        QVERIFY(finishes(second));

        QCOMPARE(older.ids, QList<quint32>{2});
        QCOMPARE(newer.ids, QList<quint32>{2});
        QCOMPARE(service.thumbnails({1, 2}).keys(), QList<quint32>{2});
    }
};

QTEST_GUILESS_MAIN(ThumbnailServiceTest)
#include "thumbnail_service_test.moc"
