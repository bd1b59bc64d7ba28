#include "platform/x11/NetWmIcon.h"

#include <QPixmap>

namespace lettergate {

namespace {
// Larger sizes are not icons; they would only cost memory.
constexpr uint32_t largestSide = 1024;
} // namespace

QList<QImage> netWmIconImages(const QList<uint32_t> &data)
{
    QList<QImage> images;
    qsizetype at = 0;
    while (data.size() - at >= 2) {
        const uint32_t width = data[at];
        const uint32_t height = data[at + 1];
        at += 2;
        if (width == 0 || height == 0 || width > largestSide || height > largestSide)
            break;
        const qsizetype pixels = qsizetype(width) * qsizetype(height);
        if (data.size() - at < pixels)
            break;
        QImage image(int(width), int(height), QImage::Format_ARGB32);
        for (int y = 0; y < int(height); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < int(width); ++x)
                line[x] = data[at + qsizetype(y) * width + x];
        }
        images.append(image);
        at += pixels;
    }
    return images;
}

QIcon netWmIcon(const QList<uint32_t> &data)
{
    QIcon icon;
    for (const QImage &image : netWmIconImages(data))
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

} // namespace lettergate
