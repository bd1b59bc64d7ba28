#include "stores/ClipPicture.h"

ClipPicture ClipPicture::fromImage(QImage image)
{
    ClipPicture picture;
    picture.m_size = image.size();
    picture.m_image = std::move(image);
    return picture;
}

ClipPicture ClipPicture::fromPng(QByteArray png, QSize size)
{
    ClipPicture picture;
    picture.m_size = size;
    picture.m_png = std::move(png);
    return picture;
}

QImage ClipPicture::image() const
{
    if (!m_image.isNull() || m_png.isEmpty())
        return m_image;
    return QImage::fromData(m_png, "PNG");
}

void ClipPicture::keepOnlyPng(QByteArray png)
{
    m_png = std::move(png);
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

QImage ClipPicture::previewOfPng(const QByteArray &png)
{
    return previewOf(QImage::fromData(png, "PNG"));
}
