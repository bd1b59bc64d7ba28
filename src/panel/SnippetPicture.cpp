#include "panel/SnippetPicture.h"

#include "stores/ClipPicture.h"
#include "stores/PictureFiles.h"
#include "stores/SnippetStore.h"

#include <QCache>
#include <QDateTime>
#include <QFileInfo>

namespace {

// A picture as drawn, with what its file looked like when it was read.
struct CachedPicture {
    QDateTime modified;
    qint64 size = 0;
    QImage preview;
};

// Every rebuild of a page shows the snippets' pictures again: each file is decoded once
// and kept at the size the panel draws, as long as it stays as it was read.
QCache<QString, CachedPicture> &cache()
{
    static QCache<QString, CachedPicture> pictures(64);
    return pictures;
}

} // namespace

std::optional<QImage> loadSnippetPicture(const SnippetStore &store, const Snippet &snippet)
{
    const std::optional<QUrl> url = store.imageURL(snippet);
    if (!url)
        return std::nullopt;
    const QString path = url->toLocalFile();
    const QFileInfo file(path);
    if (!file.exists())
        return std::nullopt;
    if (const CachedPicture *cached = cache().object(path);
        cached && cached->modified == file.lastModified() && cached->size == file.size())
        return cached->preview;
    const QImage preview = ClipPicture::previewOf(PictureFiles::readStoredPng(path));
    if (preview.isNull())
        return std::nullopt;
    cache().insert(path, new CachedPicture{file.lastModified(), file.size(), preview});
    return preview;
}
