#include "stores/ImageFileWriter.h"

#include "platform/FreeMemory.h"
#include "stores/ClipPicture.h"
#include "stores/PictureFiles.h"
#include "stores/PrivateFiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutexLocker>

namespace lettergate {

ImageFileWriter::ImageFileWriter(QObject *parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
}

ImageFileWriter::~ImageFileWriter()
{
    // The jobs post their report to this object; once it is gone, Qt discards them.
    m_pool.clear();
    m_pool.waitForDone();
}

QList<QUuid> ImageFileWriter::write(const QUuid &id, const QImage &image, const QString &path)
{
    {
        const QMutexLocker lock(&m_mutex);
        m_jobs.insert(id, Job{image, path, State::waiting});
        m_order.removeOne(id);
        m_order.append(id);
    }
    start(id);
    return letGoPastBounds(id);
}

void ImageFileWriter::retryFailed()
{
    QList<QUuid> failed;
    {
        const QMutexLocker lock(&m_mutex);
        for (auto job = m_jobs.begin(); job != m_jobs.end(); ++job) {
            if (job->state == State::failed) {
                job->state = State::waiting;
                failed.append(job.key());
            }
        }
    }
    for (const QUuid &id : std::as_const(failed))
        start(id);
}

void ImageFileWriter::cancel(const QUuid &id)
{
    {
        const QMutexLocker lock(&m_mutex);
        if (!m_jobs.remove(id))
            return;
        m_order.removeOne(id);
    }
    letGoOfMemoryWhenIdle();
}

QImage ImageFileWriter::heldPicture(const QUuid &id) const
{
    const QMutexLocker lock(&m_mutex);
    return m_jobs.value(id).picture;
}

bool ImageFileWriter::isIdle() const
{
    const QMutexLocker lock(&m_mutex);
    // A write let go of while under way still ends with its report.
    return m_writesUnderWay == 0
           && std::none_of(m_jobs.cbegin(), m_jobs.cend(), [](const Job &job) { return job.state != State::failed; });
}

qint64 ImageFileWriter::busyBytes() const
{
    const QMutexLocker lock(&m_mutex);
    qint64 bytes = 0;
    for (const Job &job : m_jobs) {
        if (job.state != State::failed)
            bytes += job.picture.sizeInBytes();
    }
    return bytes;
}

bool ImageFileWriter::finishWrites(std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    const bool done = m_pool.waitForDone(int(deadline.remainingTime()));
    // The reports are queued to this object: delivered here, the event loop may be gone.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    return done;
}

void ImageFileWriter::start(const QUuid &id)
{
    m_pool.start([this, id] { run(id); });
}

void ImageFileWriter::run(const QUuid &id)
{
    QImage picture;
    QString path;
    {
        const QMutexLocker lock(&m_mutex);
        const auto job = m_jobs.find(id);
        // Let go of, or taken by an earlier start (a retry).
        if (job == m_jobs.end() || job->state != State::waiting)
            return;
        job->state = State::writing;
        ++m_writesUnderWay;
        picture = job->picture;
        path = job->path;
    }
    std::optional<QByteArray> png = PrivateFiles::pngData(picture);
    const bool written = png && PrivateFiles::writeAtomically(path, *png);
    const QImage preview = png ? ClipPicture::previewOf(picture) : QImage();
    // Released before the report, so that the batch's last report finds every
    // screenshot of the batch freed.
    picture = QImage();
    png.reset();
    QMetaObject::invokeMethod(
        this, [this, id, written, preview] { report(id, written, preview); }, Qt::QueuedConnection);
}

void ImageFileWriter::report(const QUuid &id, bool written, const QImage &preview)
{
    {
        const QMutexLocker lock(&m_mutex);
        --m_writesUnderWay;
        const auto job = m_jobs.find(id);
        if (job != m_jobs.end() && written) {
            m_jobs.erase(job);
            m_order.removeOne(id);
        } else if (job != m_jobs.end()) {
            job->state = State::failed;
        }
    }
    emit finished(id, written, preview);
    letGoOfMemoryWhenIdle();
}

QList<QUuid> ImageFileWriter::letGoPastBounds(const QUuid &newest)
{
    QList<QUuid> letGo;
    {
        const QMutexLocker lock(&m_mutex);
        const auto isOverBounds = [this] {
            qint64 bytes = 0;
            int notBegun = 0;
            for (const Job &job : std::as_const(m_jobs)) {
                bytes += job.picture.sizeInBytes();
                notBegun += job.state != State::writing;
            }
            return notBegun > mostPicturesHeld || bytes > mostBytesHeld;
        };
        while (isOverBounds()) {
            const auto oldest = std::find_if(m_order.cbegin(), m_order.cend(), [this, &newest](const QUuid &id) {
                return id != newest && m_jobs.value(id).state != State::writing;
            });
            if (oldest == m_order.cend())
                break;
            letGo.append(*oldest);
            m_jobs.remove(*oldest);
            m_order.erase(oldest);
        }
    }
    return letGo;
}

void ImageFileWriter::letGoOfMemoryWhenIdle()
{
    // The last full picture of a batch has just been let go of.
    if (isIdle())
        returnFreeMemoryToSystem();
}

void ImageFileWriter::makePreview(const QUuid &id, const QString &path)
{
    m_pool.start([this, id, path] {
        const QImage preview = ClipPicture::previewOf(PictureFiles::readStoredPng(path));
        QMetaObject::invokeMethod(
            this, [this, id, preview] { emit previewMade(id, preview); }, Qt::QueuedConnection);
    });
}

} // namespace lettergate
