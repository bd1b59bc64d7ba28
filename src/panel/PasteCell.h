#pragma once

#include "stores/ClipboardHistory.h"
#include "stores/Snippet.h"

#include <QImage>
#include <QString>
#include <QUuid>
#include <optional>

namespace lettergate {

class SnippetStore;

// One entry of a paste column on the apps page: a clipboard entry or a snippet at
// list position `index`, with its key label and a one-line preview or its picture.
struct PasteCell {
    QUuid id;
    int index = 0;
    QString badge;
    bool isImage = false;
    QString text;
    std::optional<QImage> image;

    // A text entry shows its preview; a picture entry shows the picture's preview, or
    // "Image" while that is still being made.
    static PasteCell forClip(int index, const ClipboardHistory::Item &item);
    // A text snippet previews its name, or its text when it has no name; a picture
    // snippet shows its name (or "Image") and its preview, once the store has made it.
    static PasteCell forSnippet(int index, const Snippet &snippet, const SnippetStore &store);
};

} // namespace lettergate
