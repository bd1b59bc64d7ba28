#include "panel/PreviewText.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace lettergate {

namespace {
constexpr int longestPreview = 37;
constexpr int keptHead = 24;
constexpr int keptTail = 12;
// Only this many code units at each end are looked at, so a clipboard text of
// megabytes costs no more than a short one (a boundary finder analyses all of its
// text up front). Far more than 37 characters, even of many code points each.
constexpr qsizetype endLength = 1024;

QString oneLine(QStringView text)
{
    QString line = text.toString();
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

// Where the first `count` user-perceived characters of line end; -1 when it has fewer.
qsizetype endOfFirst(const QString &line, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, line);
    for (int characters = 0; characters < count; ++characters) {
        if (finder.toNextBoundary() == -1)
            return -1;
    }
    return finder.position();
}

// Where the last `count` user-perceived characters of line begin.
qsizetype startOfLast(const QString &line, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, line);
    finder.toEnd();
    for (int characters = 0; characters < count; ++characters) {
        if (finder.toPreviousBoundary() == -1)
            return 0;
    }
    return finder.position();
}
} // namespace

QString previewText(const QString &text)
{
    const QStringView whole = QStringView(text).trimmed();
    const QString head = oneLine(whole.first(std::min(whole.size(), endLength)));
    if (whole.size() <= endLength && endOfFirst(head, longestPreview + 1) == -1)
        return head;
    const QString tail = oneLine(whole.last(std::min(whole.size(), endLength)));
    return head.left(endOfFirst(head, keptHead)) + QChar(0x2026) + tail.mid(startOfLast(tail, keptTail));
}

} // namespace lettergate
