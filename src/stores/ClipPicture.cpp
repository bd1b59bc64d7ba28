#include "stores/ClipPicture.h"

#include <QFileInfo>

ClipPicture ClipPicture::fromImage(QImage image)
{
    ClipPicture picture;
    picture.m_size = image.size();
    picture.m_image = std::move(image);
    return picture;
}

ClipPicture ClipPicture::fromFile(QString path, QSize size)
{
    ClipPicture picture;
    picture.m_size = size;
    picture.m_file = std::move(path);
    return picture;
}

QImage ClipPicture::image() const
{
    // Nothing but a regular file is opened: a pipe put in its place would block.
    if (!m_image.isNull() || !QFileInfo(m_file).isFile())
        return m_image;
    return QImage(m_file, "PNG");
}

void ClipPicture::keepOnlyFile(QString path)
{
    m_file = std::move(path);
    m_image = QImage();
}

QImage ClipPicture::previewOf(const QImage &image)
{
    if (image.isNull())
        return {};
    if (image.width() <= previewBounds.width() && image.height() <= previewBounds.height())
        return image;
    return image.scaled(previewBounds, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
