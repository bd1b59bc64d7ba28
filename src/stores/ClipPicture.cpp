#include "stores/ClipPicture.h"

#include "platform/CompactPicture.h"
#include "stores/PictureFiles.h"

#include <QHash>

namespace lettergate {

namespace {

// Each row's pixel bytes only: the padding at a row's end is not part of the picture.
// The format is left out: an opaque picture is the same bytes as RGB32 and as ARGB32,
// which the same PNG may decode to, depending on who encoded it.
size_t pixelHash(const QImage &image)
{
    const qsizetype rowBytes = (qsizetype(image.width()) * image.depth() + 7) / 8;
    size_t hash = qHashMulti(0, image.width(), image.height(), image.depth());
    for (int row = 0; row < image.height(); ++row)
        hash = qHashBits(image.constScanLine(row), size_t(rowBytes), hash);
    return hash;
}

} // namespace

ClipPicture ClipPicture::ofCopy(const QImage &image)
{
    ClipPicture picture;
    picture.m_size = image.size();
    if (!image.isNull())
        picture.m_pixelHash = pixelHash(image);
    return picture;
}

void ClipPicture::learnPixels(const QImage &image)
{
    if (!image.isNull() && image.size() == m_size)
        m_pixelHash = pixelHash(image);
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
    return m_file.isEmpty() ? QImage() : PictureFiles::readStoredPng(m_file);
}

bool ClipPicture::hasSamePixelsAs(const ClipPicture &other) const
{
    return m_pixelHash && m_pixelHash == other.m_pixelHash && m_size == other.m_size;
}

QImage ClipPicture::previewOf(const QImage &image)
{
    if (image.isNull())
        return {};
    // Kept compact: every picture of the history holds its preview.
    if (image.width() <= previewBounds.width() && image.height() <= previewBounds.height())
        return compactPicture(image);
    return compactPicture(image.scaled(previewBounds, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace lettergate
