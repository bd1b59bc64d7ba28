#include "stores/Whitespace.h"

#include <algorithm>

namespace lettergate {

bool Whitespace::isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; });
}

} // namespace lettergate
