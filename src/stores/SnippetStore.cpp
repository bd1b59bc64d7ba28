#include "stores/SnippetStore.h"

#include "stores/PictureFiles.h"

#include "platform/Paths.h"
#include "stores/JsonFields.h"
#include "stores/PrivateFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace lettergate {

namespace {

// Only bare names: a damaged file must not point the store at files elsewhere.
QSet<QString> imageFileNames(const QList<Snippet> &snippets)
{
    QSet<QString> names;
    for (const Snippet &snippet : snippets) {
        if (snippet.imageFileName && PrivateFiles::isBareFileName(*snippet.imageFileName))
            names.insert(*snippet.imageFileName);
    }
    return names;
}

} // namespace

SnippetStore::SnippetStore(const QString &dataDirectory, QObject *parent)
    : QObject(parent)
    , m_imagesDirectory(PrivateFiles::fileInPrivateDirectory(dataDirectory, QStringLiteral("images")))
    , m_snippets(dataDirectory + QStringLiteral("/snippets.json"), DataFile::reportThrough(this))
    , m_previews(m_imagesDirectory)
{
    Paths::ensurePrivateDirectory(m_imagesDirectory);
    m_previews.keepOnly(imageFileNames(m_snippets.records()));
}

bool SnippetStore::replaceAll(QList<Snippet> snippets)
{
    const QSet<QString> previousNames = imageFileNames(m_snippets.records());
    const QSet<QString> keptNames = imageFileNames(snippets);
    const bool written = m_snippets.replace(std::move(snippets));
    if (written) {
        emit listSaved();
        for (const QString &name : previousNames - keptNames)
            QFile::remove(m_imagesDirectory + u'/' + name);
    }
    m_previews.keepOnly(keptNames);
    emit snippetsChanged();
    return written;
}

std::optional<Snippet> SnippetStore::importImage(const QUrl &fileUrl)
{
    const QString path = fileUrl.toLocalFile();
    const QImage picture = PictureFiles::readAnyPicture(path);
    const std::optional<QByteArray> png = pngData(picture);
    if (!png)
        return std::nullopt;

    const QString fileName = JsonFields::uuidText(QUuid::createUuid()) + QStringLiteral(".png");
    if (!PrivateFiles::writeAtomically(m_imagesDirectory + u'/' + fileName, *png))
        return std::nullopt;
    // Made now, so that it is in by the time the snippet is saved and shown.
    m_previews.add(fileName, picture);

    Snippet snippet;
    snippet.name = QFileInfo(path).completeBaseName();
    snippet.kind = Snippet::Kind::image;
    snippet.imageFileName = fileName;
    return snippet;
}

std::optional<QUrl> SnippetStore::imageURL(const Snippet &snippet) const
{
    if (!snippet.imageFileName || !PrivateFiles::isBareFileName(*snippet.imageFileName))
        return std::nullopt;
    return QUrl::fromLocalFile(m_imagesDirectory + u'/' + *snippet.imageFileName);
}

std::optional<QByteArray> SnippetStore::pngData(const QImage &image)
{
    return PrivateFiles::pngData(image);
}

} // namespace lettergate
