#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

namespace lettergate {

// How every store puts bytes on disk. The data files hold what the user copied
// (passwords among it) and what they curated, so each write replaces the old file in
// one step (a crash, a kill or a full disk leaves the previous file whole), and
// everything is readable by its owner only: directories 0700, files 0600.
// All functions are safe to call from any thread.
namespace PrivateFiles {

// directory + "/" + fileName, with the directory made private first. A failure there
// only shows later, as failed writes.
QString fileInPrivateDirectory(const QString &directory, const QString &fileName);

// Replaces the file with exactly these bytes, or leaves it as it was. A missing parent
// directory is created private first; a symbolic link in the file's place is refused,
// never written through. errorText, when given, says why a write failed, as the
// system gave it ("No space left on device").
bool writeAtomically(const QString &path, const QByteArray &bytes, QString *errorText = nullptr);

// Removes what interrupted writes of the file left beside it: a kill between the
// temporary file's link and its rename (or, where the file system has no unnamed
// files, during the whole write) leaves "<name>.XXXXXX", a full copy of the data that
// nothing would ever read or delete. Answers how many went.
int removeInterruptedWrites(const QString &path);

// The picture as PNG bytes; nothing for a null image or a failed encoding.
std::optional<QByteArray> pngData(const QImage &image);

// Encodes the picture as PNG and writes it atomically.
bool writePng(const QImage &image, const QString &path);

// Whether a stored name names a file directly inside its directory: a hostile or
// damaged data file must not make the stores read or delete anything elsewhere.
bool isBareFileName(const QString &name);

} // namespace PrivateFiles

} // namespace lettergate
