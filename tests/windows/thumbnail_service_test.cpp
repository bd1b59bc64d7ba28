#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "windows/ThumbnailService.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>
#include <limits>

using namespace lettergate;

namespace {

QList<WindowInfo> windows(std::initializer_list<quint32> ids)
{
    QList<WindowInfo> list;
    for (quint32 id : ids)
        list.append(WindowInfo{id, 42, std::nullopt, QStringLiteral("Editor"), QString(), QRectF(0, 0, 800, 600)});
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

} // namespace

class ThumbnailServiceTest : public QObject {
    Q_OBJECT
private slots:
    // The larger side at most 720, or fitted to the size the panel draws it at; never
    // enlarged, never empty.
    void sizeRuleFitsTheDrawnSizeOrSevenHundredTwenty()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const std::optional<QSize> none;
        const QList<std::tuple<QSizeF, std::optional<QSize>, QSize>> rows{
            {QSizeF(1440, 900), none, QSize(720, 450)},
            {QSizeF(900, 1440), none, QSize(450, 720)},
            {QSizeF(600, 400), none, QSize(600, 400)},
            {QSizeF(5000, 0.2), none, QSize(720, 1)},
            {QSizeF(nan, -3), none, QSize(1, 1)},
            {QSizeF(1920, 1080), QSize(460, 288), QSize(460, 258)},
            {QSizeF(800, 1200), QSize(460, 288), QSize(192, 288)},
            {QSizeF(320, 240), QSize(460, 288), QSize(320, 240)},
        };
        for (const auto &[frame, drawnAt, pixels] : rows)
            QCOMPARE(ThumbnailService::thumbnailSize(frame, drawnAt), pixels);
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

        QVERIFY(delivered.ids == (QList<quint32>{1, 2}) || delivered.ids == (QList<quint32>{2, 1}));
        QVERIFY(delivered.allOnGuiThread);
        QCOMPARE(platform.capture.captureCount, 2); // 3 is offered but not asked for
        QCOMPARE(service.thumbnails({1, 2, 3, 4}).value(1).size(), QSize(720, 450));

        // A window the panel draws smaller is captured at the size drawn; the others as before.
        QVERIFY(finishes(service.prefetch(windows({1, 2}), {}, {{1, QSize(230, 144)}})));
        QCOMPARE(service.thumbnails({1}).value(1).size(), QSize(230, 143));
        QCOMPARE(platform.capture.requestedSizes.value(2), QSize(720, 3));

        // Without the list of shareable windows nothing is captured, with one log line.
        LogCapture log;
        platform.capture.contentError = QStringLiteral("The display is gone.");
        QVERIFY(finishes(service.prefetch(windows({1, 2}))));
        QCOMPARE(log.lines,
                 QStringList{QStringLiteral("[Lettergate] failed to get SCShareableContent:The display is gone.")});
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
        platform.capture.windows = {ShareableWindow{1, QRectF(0, 0, 200, 100)},
                                    ShareableWindow{2, QRectF(0, 0, 200, 100)},
                                    ShareableWindow{3, QRectF(0, 0, 400, 300)}};
        platform.capture.failing = {1};
        Delivered delivered;
        QVERIFY(finishes(service.prefetch(windows({1, 2, 3}), delivered.handler())));
        QVERIFY(!delivered.ids.contains(1) && delivered.ids.contains(2));
        const QHash<quint32, QImage> kept = service.thumbnails({1, 2, 3, 4});
        QCOMPARE(QSet<quint32>(kept.keyBegin(), kept.keyEnd()), (QSet<quint32>{1, 2, 3}));
        QCOMPARE(kept.value(1).size(), QSize(400, 300)); // the older picture
        QCOMPARE(kept.value(2).size(), QSize(200, 100));
        QCOMPARE(kept.value(3).cacheKey(), unchanged); // the same pixels: the kept picture itself
        QVERIFY(log.lines.isEmpty());

        // Without permission nothing is captured, and the list still decides what is kept.
        platform.capture.granted = false;
        const int capturesBefore = platform.capture.captureCount;
        QVERIFY(finishes(service.prefetch(windows({3}))));
        QCOMPARE(platform.capture.captureCount, capturesBefore);
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
