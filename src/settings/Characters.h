#pragma once

#include <QChar>
#include <QString>
#include <optional>

namespace lettergate {

// Letters and list keys are compared as characters a person sees, not as code units:
// "é" written as e plus a combining accent is one character, and not an ASCII letter.
namespace Characters {

// The first user-perceived character (grapheme cluster) of `text`; empty for empty text.
QString first(const QString &text);

// The first character of the lower-cased text when it is a single ASCII letter ("Ab"
// gives a); nothing for empty text, digits, accented letters and everything else.
std::optional<QChar> lowerAsciiLetter(const QString &text);

} // namespace Characters

} // namespace lettergate
