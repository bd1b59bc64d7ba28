#include "stores/ImageFileWriter.h"

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
    m_pool.start([this, id, image, path] {
        const bool written = PrivateFiles::writePng(image, path);
        QMetaObject::invokeMethod(
            this,
            [this, id, written] {
                m_writing.remove(id);
                emit finished(id, written);
            },
            Qt::QueuedConnection);
    });
}
