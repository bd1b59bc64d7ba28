#include "stores/ImageFileWriter.h"

#include "platform/FreeMemory.h"
#include "stores/ClipPicture.h"
#include "stores/PrivateFiles.h"

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

void ImageFileWriter::write(const QUuid &id, const QImage &image, const QString &path)
{
    m_writing.insert(id);
    m_pool.start([this, id, picture = image, path]() mutable {
        std::optional<QByteArray> png = PrivateFiles::pngData(picture);
        const bool written = png && PrivateFiles::writeAtomically(path, *png);
        const QImage preview = png ? ClipPicture::previewOf(picture) : QImage();
        // Released before the report, so that the batch's last report finds every
        // screenshot of the batch freed.
        picture = QImage();
        png.reset();
        QMetaObject::invokeMethod(
            this,
            [this, id, written, preview] {
                m_writing.remove(id);
                emit finished(id, written, preview);
                if (m_writing.isEmpty())
                    returnFreeMemoryToSystem();
            },
            Qt::QueuedConnection);
    });
}

void ImageFileWriter::makePreview(const QUuid &id, const QString &path)
{
    m_pool.start([this, id, path] {
        const QImage preview = ClipPicture::previewOf(QImage(path, "PNG"));
        QMetaObject::invokeMethod(this, [this, id, preview] { emit previewMade(id, preview); }, Qt::QueuedConnection);
    });
}
