#include "platform/CompactPicture.h"

namespace lettergate {

QImage compactPicture(const QImage &picture)
{
    // RGB32's fourth byte is always 0xff: nothing is lost without it.
    if (picture.format() != QImage::Format_RGB32)
        return picture;
    return picture.convertToFormat(QImage::Format_RGB888);
}

} // namespace lettergate
