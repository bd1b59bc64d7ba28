#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// A picture of the clipboard history, kept small in memory: a screenshot decoded is
// megabytes, its PNG a fraction of that. The copied image is held only until its PNG
// is encoded; from then on (and for every picture read back at start-up) the PNG bytes
// are, and the full image is decoded only to be pasted. Beside them a preview, at most
// previewBounds, is what the panel draws; it is made away from the GUI thread and is
// null until then. Copies share their data.
class ClipPicture {
public:
    // Large enough for the biggest card the panel draws a picture in.
    static constexpr QSize previewBounds{480, 300};

    ClipPicture() = default;
    // A picture just copied: held decoded until its PNG exists.
    static ClipPicture fromImage(QImage image);
    // A picture of the given size, held as its PNG bytes.
    static ClipPicture fromPng(QByteArray png, QSize size);

    QSize size() const { return m_size; }
    bool hasPng() const { return !m_png.isEmpty(); }
    const QByteArray &png() const { return m_png; }
    // The full picture: the held image, else the PNG decoded (on the calling thread).
    QImage image() const;
    // Null until a preview was made.
    const QImage &preview() const { return m_preview; }

    // Drops the decoded image for its PNG bytes, once they are written.
    void keepOnlyPng(QByteArray png);
    void setPreview(QImage preview) { m_preview = std::move(preview); }

    // The picture scaled down smoothly to fit previewBounds; a smaller one unchanged.
    static QImage previewOf(const QImage &image);
    // The PNG decoded and scaled as previewOf; null when it does not decode.
    static QImage previewOfPng(const QByteArray &png);

private:
    QImage m_image;
    QByteArray m_png;
    QSize m_size;
    QImage m_preview;
};
