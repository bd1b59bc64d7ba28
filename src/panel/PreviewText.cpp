#include "panel/PreviewText.h"

#include <QTextBoundaryFinder>

namespace {
constexpr int longestPreview = 37;
constexpr int keptHead = 24;
constexpr int keptTail = 12;
} // namespace

QString previewText(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line = line.trimmed();

    // Only the first 38 and the last 12 user-perceived characters are looked at, so a
    // huge clipboard text costs no more than a short one.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, line);
    qsizetype headEnd = 0;
    for (int characters = 0; characters <= longestPreview; ++characters) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1)
            return line;
        if (characters + 1 == keptHead)
            headEnd = next;
    }
    finder.toEnd();
    qsizetype tailStart = line.size();
    for (int characters = 0; characters < keptTail; ++characters)
        tailStart = finder.toPreviousBoundary();
    return line.left(headEnd) + QChar(0x2026) + line.mid(tailStart);
}
