#pragma once

#include <QImage>

namespace lettergate {

// A picture to be kept for long (a window's picture, a clipboard preview), in the
// smallest of Qt's formats that holds its pixels exactly: an opaque picture in 32-bit
// RGB takes three bytes a pixel instead of four. Any other picture is returned as it
// is. Drawing a compact picture converts it on the way; the panel draws kept pictures
// only when it paints a part afresh.
QImage compactPicture(const QImage &picture);

} // namespace lettergate
