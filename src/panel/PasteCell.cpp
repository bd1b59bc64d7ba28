#include "panel/PasteCell.h"

#include "panel/PickLabel.h"
#include "panel/PreviewText.h"
#include "stores/SnippetStore.h"

namespace lettergate {

PasteCell PasteCell::forClip(int index, const ClipboardHistory::Item &item)
{
    PasteCell cell{QUuid::createUuid(), index, pickLabel(index), item.isImage(), {}, std::nullopt};
    if (item.isImage()) {
        // The preview is made in the background; until it is there, the cell says what it holds.
        if (!item.picture.preview().isNull())
            cell.image = item.picture.preview();
        else
            cell.text = QStringLiteral("Image");
    } else {
        cell.text = previewText(item.text);
    }
    return cell;
}

PasteCell PasteCell::forSnippet(int index, const Snippet &snippet, const SnippetStore &store)
{
    PasteCell cell{QUuid::createUuid(), index, pickLabel(index), snippet.kind == Snippet::Kind::image, {},
                   std::nullopt};
    if (cell.isImage) {
        cell.text = snippet.name.isEmpty() ? QStringLiteral("Image") : snippet.name;
        cell.image = store.previews().preview(snippet);
    } else {
        cell.text = previewText(snippet.name.isEmpty() ? snippet.text : snippet.name);
    }
    return cell;
}

} // namespace lettergate
