#pragma once

#include "settings/KeyValidation.h"

#include <QString>
#include <optional>

namespace lettergate {

// How one tab words a rejected key or letter. A conflict names the colliding letter in
// upper case between the prefix and the suffix ("Key V conflicts with an app letter").
struct ValidationMessages {
    QString notALetter;
    QString notDistinct;
    QString conflictPrefix;
    QString conflictSuffix;

    // Nothing for ok.
    std::optional<QString> messageFor(const KeyValidation &validation) const;

    static const ValidationMessages appShortcuts;
    static const ValidationMessages snippets;
    static const ValidationMessages links;
    static const ValidationMessages commands;
};

} // namespace lettergate
