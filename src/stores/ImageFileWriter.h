#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QThreadPool>
#include <QUuid>
#include <chrono>

namespace lettergate {

// The picture work of the clipboard history, away from the GUI thread: encoding a
// screenshot as PNG, and decoding one, each take long enough that the panel would
// stall. Jobs run one at a time on a thread of their own, so they never hold up other
// background work, and each reports back on the GUI thread.
//
// The writer is the one holder of the full pictures copied and not yet on disk (a
// screenshot is megabytes, the largest picture 128 MiB), so what it holds is bounded:
// past its bounds, the oldest pictures not begun are let go (the newest never is), and a
// picture cancelled before its write began is let go at once.
class ImageFileWriter final : public QObject {
    Q_OBJECT
public:
    // Pictures waiting, or kept after a failed write.
    static constexpr int mostPicturesHeld = 8;
    // Everything held, the picture being written included.
    static constexpr qint64 mostBytesHeld = qint64(256) << 20;

    explicit ImageFileWriter(QObject *parent = nullptr);
    // Waits for the job in progress; jobs not yet begun are dropped, and so are
    // reports not yet delivered.
    ~ImageFileWriter() override;

    // Holds the picture until its PNG is written, atomically and owner-only, to path with
    // its preview (ClipPicture::previewOf); `finished` follows. Answers the pictures let
    // go to stay within the bounds, oldest first: they will never be written. A picture
    // whose write fails is kept for retryFailed. Once the last write has been reported,
    // the memory the batch freed goes back to the system.
    QList<QUuid> write(const QUuid &id, const QImage &image, const QString &path);
    // Writes again the pictures whose write failed.
    void retryFailed();
    // Lets go of the picture: a write not begun never happens (no report follows); one
    // under way is still reported.
    void cancel(const QUuid &id);
    // The picture held for id (waiting, being written, or after a failed write); null
    // when none is.
    QImage heldPicture(const QUuid &id) const;
    // Nothing waiting or being written.
    bool isIdle() const;
    // The bytes of the pictures waiting or being written.
    qint64 busyBytes() const;
    // Serves the writes waiting or under way, and their reports, for at most timeout
    // (what quitting allows); answers whether all were done.
    bool finishWrites(std::chrono::milliseconds timeout);

    // Decodes the PNG file into its preview (ClipPicture::previewOf); `previewMade` follows.
    void makePreview(const QUuid &id, const QString &path);

signals:
    // The preview is null when the picture would not encode.
    void finished(const QUuid &id, bool written, const QImage &preview);
    // The preview is null when the PNG does not decode.
    void previewMade(const QUuid &id, const QImage &preview);

private:
    enum class State { waiting, writing, failed };
    struct Job {
        QImage picture;
        QString path;
        State state = State::waiting;
    };

    void start(const QUuid &id);
    // Runs on the pool: encodes and writes the job's picture, unless it was let go.
    void run(const QUuid &id);
    void report(const QUuid &id, bool written, const QImage &preview);
    QList<QUuid> letGoPastBounds(const QUuid &newest);
    void letGoOfMemoryWhenIdle();

    QThreadPool m_pool;
    // Guards m_jobs, m_order and m_writesUnderWay, which the pool's thread reads when a job begins.
    mutable QMutex m_mutex;
    QHash<QUuid, Job> m_jobs;
    // Oldest first.
    QList<QUuid> m_order;
    // Begun and not reported yet, let go of or not.
    int m_writesUnderWay = 0;
};

} // namespace lettergate
