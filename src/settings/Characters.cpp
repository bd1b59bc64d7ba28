#include "settings/Characters.h"

#include <QTextBoundaryFinder>

namespace lettergate {

QString Characters::first(const QString &text)
{
    if (text.isEmpty())
        return {};
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    const qsizetype end = graphemes.toNextBoundary();
    return end > 0 ? text.left(end) : text;
}

std::optional<QChar> Characters::lowerAsciiLetter(const QString &text)
{
    const QString character = first(text.toLower());
    if (character.size() != 1)
        return std::nullopt;
    const QChar c = character.front();
    if (c.unicode() >= 0x80 || !c.isLetter())
        return std::nullopt;
    return c;
}

} // namespace lettergate
