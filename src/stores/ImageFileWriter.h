#pragma once

#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QUuid>

// Encodes pictures as PNG files away from the GUI thread: a large screenshot takes
// long enough to encode that the panel would stall. Writes run one at a time on a
// thread of their own, so they never hold up other background work, and each reports
// back on the GUI thread.
class ImageFileWriter final : public QObject {
    Q_OBJECT
public:
    explicit ImageFileWriter(QObject *parent = nullptr);
    // Waits for the write in progress; writes not yet begun are dropped, and so are
    // reports not yet delivered.
    ~ImageFileWriter() override;

    // Writes the picture atomically and owner-only to path; `finished` follows.
    void write(const QUuid &id, const QImage &image, const QString &path);
    bool isWriting(const QUuid &id) const { return m_writing.contains(id); }
    bool isIdle() const { return m_writing.isEmpty(); }

signals:
    void finished(const QUuid &id, bool written);

private:
    QThreadPool m_pool;
    QSet<QUuid> m_writing;
};
