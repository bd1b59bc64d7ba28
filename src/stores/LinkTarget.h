#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace lettergate {

// What a quick link as typed opens: a local file or folder, or a URL.
//   "/…", "~" and "~/…" (the home directory given), "file:…"  -> a local file URL
//   a URL with a scheme ("https:…", "mailto:…", "slack://…")  -> that URL
//   anything else that makes a URL ("example.com/docs")       -> "https://" + it
// The text is trimmed first. A URL that is not valid as typed (a space, a stray "%")
// is percent-encoded; a path never is, and never becomes a web address. Nothing when
// the text makes no link at all.
std::optional<QUrl> linkTarget(const QString &typed, const QString &homeDirectory);

// What the desktop's opener is handed for the target: the path of a local file (so a
// path reads as typed), else the URL fully encoded. Never starts with "-".
QString openerArgument(const QUrl &target);

} // namespace lettergate
