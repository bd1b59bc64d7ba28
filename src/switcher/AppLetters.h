#pragma once

#include "windows/WindowInfo.h"

#include <QList>
#include <QSet>
#include <QString>
#include <optional>

namespace lettergate {

class SettingsStore;

// The letter that selects each application, remembered per bundle identifier in the
// settings store so that an app keeps its letter from one showing, and one launch, to
// the next. An app seen for the first time gets a letter from its name, stored at once.
class AppLetters {
public:
    // The answer when all 26 letters are taken.
    static inline const QString exhausted = QStringLiteral("?");

    explicit AppLetters(SettingsStore &settings)
        : m_settings(settings)
    {
    }

    // The app's stored letter (absent when the user cleared it), or a newly picked one,
    // stored for next time. The last seen name is remembered too. An app without a
    // bundle identifier gets a fresh pick every time and nothing is stored.
    // "?" is never stored: an app that finds every letter taken tries again at the next
    // showing, and the App shortcuts tab never meets a letter it would refuse to save.
    std::optional<QString> letterFor(const std::optional<QString> &bundleID, const QString &appName);

    // The first ASCII letter of the name that is neither stored for another app nor a
    // list key; else the first such letter of the alphabet; else "?".
    QString pickLetter(const QString &appName) const;

    // The first characters of the non-empty stored letters, as stored.
    QSet<QString> usedLetters() const;

    // Gives every app among the windows a stored letter, at start-up, so that letters are
    // in place before the panel first opens.
    void assignLetters(const QList<WindowInfo> &windows);

private:
    // Remembers the app's current name; answers whether it differed.
    bool refreshName(const QString &bundleID, const QString &appName);

    SettingsStore &m_settings;
};

// The first letter of the alphabet that is not reserved; "?" when none is left.
QString firstFreeLetter(const QSet<QString> &reserved);

} // namespace lettergate
