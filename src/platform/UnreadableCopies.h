#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace lettergate {

// The dated copies a file Lettergate could not use is kept as, beside it, so that no
// later save destroys what the user had: "<file>.unreadable-20250131-142501", with
// "-2", "-3"… for more in the same second. Only the newest `kept` copies of a file
// stay: each new copy removes the older ones.
namespace UnreadableCopies {

inline constexpr int kept = 3;

// Renames the file to a fresh copy name; for a symbolic link, the link itself, never
// what it points to. The copy's path, or nothing when the rename failed.
std::optional<QString> moveAside(const QString &file);

// Copies the file's bytes to a fresh copy name, leaving the file where it is.
std::optional<QString> copyAside(const QString &file);

// The copies of the file, oldest first, as paths.
QStringList of(const QString &file);

// Removes every copy of the file; answers how many went.
int removeAll(const QString &file);

} // namespace UnreadableCopies

} // namespace lettergate
