#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

// A picture of the clipboard history, kept small in memory: a screenshot decoded is
// megabytes. The copied image is held only until its PNG file is written; from then on
// (and for every picture read back at start-up) only the file's path is, and the full
// image is read from it only to be pasted. Beside it a preview, at most previewBounds,
// is what the panel draws; it is made away from the GUI thread and is null until then.
// Copies share their data.
class ClipPicture {
public:
    // Large enough for the biggest card the panel draws a picture in.
    static constexpr QSize previewBounds{400, 250};

    ClipPicture() = default;
    // A picture just copied: held decoded until its file is written.
    static ClipPicture fromImage(QImage image);
    // A picture of the given size in a PNG file.
    static ClipPicture fromFile(QString path, QSize size);

    QSize size() const { return m_size; }
    // The PNG file; empty until it is written.
    const QString &file() const { return m_file; }
    // The full picture: the held image, else the file decoded (on the calling thread);
    // null when the file is gone or does not decode.
    QImage image() const;
    // Null until a preview was made.
    const QImage &preview() const { return m_preview; }

    // Whether both were copied with the very same pixels: only pictures copied in this
    // run know theirs, so one read back from its file is the same as none.
    bool hasSamePixelsAs(const ClipPicture &other) const;

    // Learns the pixels of a picture read back from its file (to be pasted), so that
    // the copy the paste makes is known as the same; an image of another size is not it.
    void learnPixels(const QImage &image);
    // Drops the decoded image once its PNG file is written.
    void keepOnlyFile(QString path);
    void setPreview(QImage preview) { m_preview = std::move(preview); }

    // The picture scaled down smoothly to fit previewBounds (a smaller one is not
    // scaled), kept compact (compactPicture).
    static QImage previewOf(const QImage &image);

private:
    QImage m_image;
    QString m_file;
    QSize m_size;
    QImage m_preview;
    // A hash of the copied pixels, kept after the image is dropped.
    std::optional<size_t> m_pixelHash;
};
