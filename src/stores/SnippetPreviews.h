#pragma once

#include "stores/Snippet.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <functional>
#include <optional>

namespace lettergate {

// The picture snippets' previews (ClipPicture::previewOf: at most previewBounds), kept
// in memory by file name so that drawing a snippet touches no file: each file is read
// and decoded on the store's one background thread when the list first names it. A picture file is
// written once under a fresh name and never changed, so its name is all a preview
// needs to stay right. Only the previews of the files the list names are kept.
class SnippetPreviews final : public QObject {
    Q_OBJECT
public:
    explicit SnippetPreviews(QString imagesDirectory, QObject *parent = nullptr);
    // Waits for the decoding in progress; the rest is dropped.
    ~SnippetPreviews() override;

    // Memory only. Nothing for a snippet without a picture file, while its file is
    // being decoded, or when it did not decode (missing, not a regular file, too large,
    // no PNG).
    std::optional<QImage> preview(const Snippet &snippet) const;
    bool isIdle() const { return m_decoding.isEmpty(); }

    // Forgets the previews of every file but these, and decodes those not known yet.
    void keepOnly(const QSet<QString> &fileNames);
    // A picture just written to the file: its preview is scaled from the image in hand
    // rather than read back. Kept until a list leaves the file out.
    void add(const QString &fileName, const QImage &image);

signals:
    // The file's preview is in; not said of a file that did not decode.
    void previewMade(const QString &fileName);

private:
    // Runs `picture` on the decoding thread, then keeps its preview unless the file
    // has been forgotten meanwhile.
    void make(const QString &fileName, std::function<QImage()> picture);

    QString m_imagesDirectory;
    QThreadPool m_pool;
    // A null preview marks a file that did not decode: it is not read again.
    QHash<QString, QImage> m_previews;
    QSet<QString> m_decoding;
};

} // namespace lettergate
