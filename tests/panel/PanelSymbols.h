#pragma once

#include <QColor>
#include <QImage>
#include <QStringList>
#include <utility>

namespace lettergate {

// Every symbol the panel's parts draw.
inline const QStringList panelSymbols{QStringLiteral("chevron.backward"),
                                      QStringLiteral("rectangle.on.rectangle.angled"),
                                      QStringLiteral("exclamationmark.triangle.fill"),
                                      QStringLiteral("chevron.right"),
                                      QStringLiteral("doc.on.clipboard"),
                                      QStringLiteral("text.alignleft"),
                                      QStringLiteral("link"),
                                      QStringLiteral("terminal"),
                                      QStringLiteral("photo"),
                                      QStringLiteral("app.dashed"),
                                      QStringLiteral("globe"),
                                      QStringLiteral("tray")};

// How many pixels of the picture are opaque, and whether all of them have the colour
// asked for.
inline std::pair<int, bool> inked(const QImage &image, QColor color)
{
    int count = 0;
    bool tinted = true;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 200)
                continue;
            ++count;
            tinted = tinted && qAbs(pixel.red() - color.red()) < 4 && qAbs(pixel.green() - color.green()) < 4
                     && qAbs(pixel.blue() - color.blue()) < 4;
        }
    }
    return {count, tinted};
}

} // namespace lettergate
