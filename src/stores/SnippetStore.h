#pragma once

#include "stores/SavedList.h"
#include "stores/Snippet.h"
#include "stores/SnippetPreviews.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QUrl>

namespace lettergate {

// The user's snippets, in their order, kept in "snippets.json"; picture snippets keep
// their PNG in the directory "images" beside it. In memory the store holds only the
// pictures' previews, made in the background whenever the list or a picture changes;
// a paste reads the full picture from imageURL.
class SnippetStore final : public QObject {
    Q_OBJECT
public:
    // Loads dataDirectory + "/snippets.json" (creating the directory and its "images"
    // directory, private). Picture files are read later, for their previews, off the
    // calling thread.
    explicit SnippetStore(const QString &dataDirectory, QObject *parent = nullptr);

    const QList<Snippet> &snippets() const { return m_snippets.records(); }
    const QString &imagesDirectory() const { return m_imagesDirectory; }

    // Replaces the list and writes the file. Once the new list is on disk, the picture
    // files that the previous list named and the new one does not are deleted (never
    // before: a failed write keeps the old list's pictures). Answers whether it was
    // written; the save indicator ticks only then.
    bool replaceAll(QList<Snippet> snippets);

    // Reads a picture file (any format Qt's image readers take: PNG, JPEG, TIFF, GIF,
    // WebP…), writes it as PNG under a fresh UUID name in the images directory and
    // answers a new, unsaved picture snippet named after the file without its last
    // extension. Nothing when the file is no readable picture or the PNG cannot be
    // made or written. The store's list is not changed.
    std::optional<Snippet> importImage(const QUrl &fileUrl);

    // The snippet's picture file; nothing for a snippet without one.
    std::optional<QUrl> imageURL(const Snippet &snippet) const;
    // What the panel draws of the pictures: memory only.
    const SnippetPreviews &previews() const { return m_previews; }

    static std::optional<QByteArray> pngData(const QImage &image);

signals:
    void snippetsChanged();
    // The list the user saved reached the disk (a failed write is not a save).
    void listSaved();
    // Each write of the data file, as DataFile reports it.
    void fileWriteFinished(const QString &file, bool written, const QString &why);

private:
    QString m_imagesDirectory;
    SavedList<Snippet> m_snippets;
    SnippetPreviews m_previews;
};

} // namespace lettergate
