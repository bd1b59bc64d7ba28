#include "panel/SnippetPicture.h"

#include "stores/SnippetStore.h"

std::optional<QImage> loadSnippetPicture(const SnippetStore &store, const Snippet &snippet)
{
    const std::optional<QUrl> url = store.imageURL(snippet);
    if (!url)
        return std::nullopt;
    QImage image(url->toLocalFile());
    if (image.isNull())
        return std::nullopt;
    return image;
}
