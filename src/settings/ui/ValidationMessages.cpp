#include "settings/ui/ValidationMessages.h"

namespace lettergate {

std::optional<QString> ValidationMessages::messageFor(const KeyValidation &validation) const
{
    switch (validation.kind()) {
    case KeyValidation::Kind::Ok:
        return std::nullopt;
    case KeyValidation::Kind::NotALetter:
        return notALetter;
    case KeyValidation::Kind::NotDistinct:
        return notDistinct;
    case KeyValidation::Kind::Conflict:
        return conflictPrefix + validation.letter().toUpper() + conflictSuffix;
    }
    return std::nullopt;
}

namespace {
const QString keyConflictPrefix = QStringLiteral("Key ");
const QString appLetterConflict = QStringLiteral(" conflicts with an app letter");
} // namespace

const ValidationMessages ValidationMessages::appShortcuts{QStringLiteral("Only A–Z or blank"),
                                                          QStringLiteral("Duplicate letter"), QStringLiteral("Letter "),
                                                          QStringLiteral(" conflicts with a quick-access key")};

const ValidationMessages ValidationMessages::snippets{QStringLiteral("Keys must be letters"),
                                                      QStringLiteral("Keys must be different"), keyConflictPrefix,
                                                      appLetterConflict};

const ValidationMessages ValidationMessages::links{QStringLiteral("Key must be a letter"),
                                                   QStringLiteral("Key must differ from clipboard / snippet keys"),
                                                   keyConflictPrefix, appLetterConflict};

const ValidationMessages ValidationMessages::commands{
    QStringLiteral("Key must be a letter"), QStringLiteral("Key must differ from clipboard / snippet / link keys"),
    keyConflictPrefix, appLetterConflict};

} // namespace lettergate
