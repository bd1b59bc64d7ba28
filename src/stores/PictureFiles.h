#pragma once

#include <QImage>
#include <QString>

namespace lettergate {

// Reading picture files without trusting them. A damaged or planted file may be a
// gigabyte of anything behind a picture's first bytes, or a pipe that never delivers:
// nothing is read from what is not a regular file of a sane size, and a picture this
// program stored is read as the PNG it wrote, never by guessing from its content
// (some decoders would scan the whole gigabyte before giving up).
namespace PictureFiles {

// Above this a picture file is refused unread: more than a 32-megapixel PNG of noise.
constexpr qint64 maximumFileBytes = qint64(256) << 20;

// A PNG the program wrote itself (a picture snippet's file); null when the file is
// missing, not a regular file, too large, or no PNG.
QImage readStoredPng(const QString &path);

// A picture file the user chose, in any format Qt reads, turned as its metadata says;
// null under the same conditions as readStoredPng or when no reader recognises it.
QImage readAnyPicture(const QString &path);

} // namespace PictureFiles

} // namespace lettergate
