#include "stores/PictureFiles.h"

#include <QFileInfo>
#include <QImageReader>

namespace lettergate {

namespace {

bool isReadableSize(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() <= PictureFiles::maximumFileBytes;
}

} // namespace

QImage PictureFiles::readStoredPng(const QString &path)
{
    if (!isReadableSize(path))
        return {};
    QImageReader reader(path, "png");
    return reader.read();
}

QImage PictureFiles::readAnyPicture(const QString &path)
{
    if (!isReadableSize(path))
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace lettergate
