#include "stores/SnippetPreviews.h"

#include "stores/ClipPicture.h"
#include "stores/PictureFiles.h"

namespace lettergate {

SnippetPreviews::SnippetPreviews(QString imagesDirectory, QObject *parent)
    : QObject(parent)
    , m_imagesDirectory(std::move(imagesDirectory))
{
    // One at a time: the previews are for a later showing, never worth more threads.
    m_pool.setMaxThreadCount(1);
}

SnippetPreviews::~SnippetPreviews()
{
    // The jobs post their report to this object; once it is gone, Qt discards them.
    m_pool.clear();
    m_pool.waitForDone();
}

std::optional<QImage> SnippetPreviews::preview(const Snippet &snippet) const
{
    if (!snippet.imageFileName)
        return std::nullopt;
    const QImage preview = m_previews.value(*snippet.imageFileName);
    if (preview.isNull())
        return std::nullopt;
    return preview;
}

void SnippetPreviews::keepOnly(const QSet<QString> &fileNames)
{
    m_previews.removeIf([&](const QHash<QString, QImage>::iterator entry) { return !fileNames.contains(entry.key()); });
    m_decoding.intersect(fileNames);
    for (const QString &fileName : fileNames) {
        if (m_previews.contains(fileName) || m_decoding.contains(fileName))
            continue;
        const QString path = m_imagesDirectory + u'/' + fileName;
        make(fileName, [path] { return PictureFiles::readStoredPng(path); });
    }
}

void SnippetPreviews::add(const QString &fileName, const QImage &image)
{
    make(fileName, [image] { return image; });
}

void SnippetPreviews::make(const QString &fileName, std::function<QImage()> picture)
{
    m_decoding.insert(fileName);
    m_pool.start([this, fileName, picture = std::move(picture)] {
        const QImage preview = ClipPicture::previewOf(picture());
        QMetaObject::invokeMethod(
            this,
            [this, fileName, preview] {
                if (!m_decoding.remove(fileName))
                    return;
                m_previews.insert(fileName, preview);
                if (!preview.isNull())
                    emit previewMade(fileName);
            },
            Qt::QueuedConnection);
    });
}

} // namespace lettergate
