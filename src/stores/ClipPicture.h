#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

namespace lettergate {

// A picture of the clipboard history, kept small in memory: a screenshot decoded is
// megabytes. It holds the picture's PNG file once that is written (for every picture
// read back at start-up too), its size, and a preview, at most previewBounds, which is
// what the panel draws; the preview is made away from the GUI thread and is null until
// then. The full picture is read from the file only to be pasted; until the file is
// written it is held by the writer (ImageFileWriter) alone, so that no copy of an entry
// (the panel's, a paste's) keeps megabytes alive. Copies share their data.
class ClipPicture {
public:
    static constexpr QSize previewBounds{400, 250};

    ClipPicture() = default;
    // A picture just copied: its size and what its pixels are, not the pixels themselves.
    static ClipPicture ofCopy(const QImage &image);
    // A picture of the given size in a PNG file.
    static ClipPicture fromFile(QString path, QSize size);

    QSize size() const { return m_size; }
    // The PNG file; empty until it is written.
    const QString &file() const { return m_file; }
    // The file decoded on the calling thread; null before it is written, when it is gone
    // or does not decode.
    QImage image() const;
    // Null until a preview was made.
    const QImage &preview() const { return m_preview; }

    // Whether both were copied with the very same pixels: only pictures copied in this
    // run know theirs, so one read back from its file is the same as none.
    bool hasSamePixelsAs(const ClipPicture &other) const;

    // Learns the pixels of a picture read back from its file (to be pasted), so that
    // the copy the paste makes is known as the same; an image of another size is not it.
    void learnPixels(const QImage &image);
    // Its PNG file has been written.
    void setFile(QString path) { m_file = std::move(path); }
    void setPreview(QImage preview) { m_preview = std::move(preview); }

    // The picture scaled down smoothly to fit previewBounds (a smaller one is not
    // scaled), kept compact (compactPicture).
    static QImage previewOf(const QImage &image);

private:
    QString m_file;
    QSize m_size;
    QImage m_preview;
    // A hash of the copied pixels, kept after the image is dropped.
    std::optional<size_t> m_pixelHash;
};

} // namespace lettergate
