#pragma once

#include <QStringView>

namespace lettergate {

namespace Whitespace {

// Whether nothing but spaces (any Unicode space separator) and tabs is left after
// trimming; line breaks count as content. This decides which links and commands a
// Save drops.
bool isBlank(QStringView text);

} // namespace Whitespace

} // namespace lettergate
