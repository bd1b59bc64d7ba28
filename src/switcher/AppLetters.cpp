#include "switcher/AppLetters.h"

#include "settings/Characters.h"
#include "settings/SettingsStore.h"

#include <QTextBoundaryFinder>

namespace lettergate {

namespace {

// The characters a person sees, in order: "e" followed by a combining accent is one
// character, and not an ASCII letter.
QStringList graphemes(const QString &text)
{
    QStringList characters;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        characters.append(text.mid(start, end - start));
        start = end;
    }
    return characters;
}

bool isAsciiLetter(const QString &character)
{
    return character.size() == 1 && character.front().unicode() < 0x80 && character.front().isLetter();
}

} // namespace

QString firstFreeLetter(const QSet<QString> &reserved)
{
    for (char16_t letter = u'a'; letter <= u'z'; ++letter) {
        const QString candidate(QChar{letter});
        if (!reserved.contains(candidate))
            return candidate;
    }
    return AppLetters::exhausted;
}

std::optional<QString> AppLetters::letterFor(const std::optional<QString> &bundleID, const QString &appName)
{
    if (!bundleID)
        return pickLetter(appName);

    const bool renamed = refreshName(*bundleID, appName);
    if (const auto stored = m_settings.letters().constFind(*bundleID); stored != m_settings.letters().constEnd()) {
        const QString letter = *stored;
        if (renamed)
            m_settings.saveLetters();
        if (letter.isEmpty())
            return std::nullopt;
        return Characters::first(letter);
    }

    const QString picked = pickLetter(appName);
    if (picked != exhausted) {
        SettingsStore::AppTextMap letters = m_settings.letters();
        letters.insert(*bundleID, picked);
        m_settings.setLetters(letters);
    }
    if (picked != exhausted || renamed)
        m_settings.saveLetters();
    return picked;
}

QString AppLetters::pickLetter(const QString &appName) const
{
    const QSet<QString> used = usedLetters() + m_settings.listKeys();
    for (const QString &character : graphemes(appName.toLower())) {
        if (isAsciiLetter(character) && !used.contains(character))
            return character;
    }
    return firstFreeLetter(used);
}

QSet<QString> AppLetters::usedLetters() const
{
    return m_settings.usedLetters();
}

void AppLetters::assignLetters(const QList<WindowInfo> &windows)
{
    QSet<QString> seen;
    for (const WindowInfo &window : windows) {
        if (!window.bundleID || seen.contains(*window.bundleID))
            continue;
        seen.insert(*window.bundleID);
        letterFor(window.bundleID, window.appName);
    }
}

bool AppLetters::refreshName(const QString &bundleID, const QString &appName)
{
    const auto known = m_settings.names().constFind(bundleID);
    if (known != m_settings.names().constEnd() && *known == appName)
        return false;
    SettingsStore::AppTextMap names = m_settings.names();
    names.insert(bundleID, appName);
    m_settings.setNames(names);
    return true;
}

} // namespace lettergate
