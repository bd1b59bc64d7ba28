#pragma once

#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QUuid>

// The picture work of the clipboard history, away from the GUI thread: encoding a
// screenshot as PNG, and decoding one, each take long enough that the panel would
// stall. Jobs run one at a time on a thread of their own, so they never hold up other
// background work, and each reports back on the GUI thread.
class ImageFileWriter final : public QObject {
    Q_OBJECT
public:
    explicit ImageFileWriter(QObject *parent = nullptr);
    // Waits for the job in progress; jobs not yet begun are dropped, and so are
    // reports not yet delivered.
    ~ImageFileWriter() override;

    // Writes the picture as PNG, atomically and owner-only, to path and makes its
    // preview (ClipPicture::previewOf); `finished` follows. Once the last write in
    // progress has been reported, the memory the batch freed goes back to the system.
    void write(const QUuid &id, const QImage &image, const QString &path);
    bool isWriting(const QUuid &id) const { return m_writing.contains(id); }
    bool isIdle() const { return m_writing.isEmpty(); }

    // Decodes the PNG file into its preview (ClipPicture::previewOf); `previewMade` follows.
    void makePreview(const QUuid &id, const QString &path);

signals:
    // The preview is null when the picture would not encode.
    void finished(const QUuid &id, bool written, const QImage &preview);
    // The preview is null when the PNG does not decode.
    void previewMade(const QUuid &id, const QImage &preview);

private:
    QThreadPool m_pool;
    QSet<QUuid> m_writing;
};
