#pragma once

#include <QString>

namespace lettergate {

// The one-line preview of a text in the apps page's columns: line feeds become
// blanks, the ends are trimmed, and a text longer than 37 user-perceived characters
// keeps its first 24 and last 12 around an ellipsis (37 characters in all).
QString previewText(const QString &text);

} // namespace lettergate
