#pragma once

#include <QImage>
#include <optional>

class SnippetStore;
struct Snippet;

// A picture snippet's image, read from its file in the snippet store; nothing for a
// snippet without a file name or when the file cannot be read. Reads the disk each
// time: the store keeps no pictures in memory.
std::optional<QImage> loadSnippetPicture(const SnippetStore &store, const Snippet &snippet);
