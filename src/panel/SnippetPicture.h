#pragma once

#include <QImage>
#include <optional>

class SnippetStore;
struct Snippet;

// A picture snippet's image as the panel draws it (at most ClipPicture::previewBounds),
// read from its file in the snippet store; nothing for a snippet without a file name or
// when the file is gone or cannot be read. The store keeps no pictures in memory, so
// each file is decoded once and then served from a cache for as long as its size and
// time of change stay the same.
std::optional<QImage> loadSnippetPicture(const SnippetStore &store, const Snippet &snippet);
