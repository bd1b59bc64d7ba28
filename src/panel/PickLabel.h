#pragma once

#include <QString>

namespace lettergate {

// The label shown on the entry at list position `index` (from 0): exactly the key that
// picks it, upper-cased ("1"…"9", then "A"…"Z"), and "?" for positions no key reaches.
QString pickLabel(qsizetype index);

} // namespace lettergate
