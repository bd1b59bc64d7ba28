#include "stores/FailureNotice.h"

#include "platform/Notifications.h"
#include "stores/Command.h"

#include <QFileInfo>

namespace lettergate {

FailureNotice FailureNotice::ofProcess(const QString &what, const CommandRunner::Result &result)
{
    switch (result.ending) {
    case CommandRunner::Ending::failedToStart:
        return {QStringLiteral("%1 could not start").arg(what), shortened(result.output)};
    case CommandRunner::Ending::killedBySignal:
        return {QStringLiteral("%1 was stopped by signal %2").arg(what).arg(result.exitCode), lastLines(result.output)};
    case CommandRunner::Ending::exited:
        break;
    }
    return {QStringLiteral("%1 failed (exit status %2)").arg(what).arg(result.exitCode), lastLines(result.output)};
}

QString FailureNotice::nameOf(const Command &command)
{
    const QString name = command.name.simplified();
    if (!name.isEmpty())
        return shortened(name, 60);
    const QString program = command.command.simplified().section(u' ', 0, 0);
    return shortened(QFileInfo(program).fileName(), 60);
}

QString FailureNotice::lastLines(const QString &output)
{
    QStringList lines;
    const QStringList all = output.split(u'\n');
    for (auto line = all.crbegin(); line != all.crend() && lines.size() < shownLines; ++line) {
        QString shown = *line;
        for (QChar &character : shown) {
            if (character.category() == QChar::Other_Control)
                character = u' ';
        }
        shown = shown.trimmed();
        if (!shown.isEmpty())
            lines.prepend(shortened(shown));
    }
    return lines.join(u'\n');
}

QString FailureNotice::shortened(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    qsizetype kept = length - 1;
    if (kept > 0 && text.at(kept - 1).isHighSurrogate())
        --kept; // never half a character
    return text.left(kept) + u'…';
}

void FailureNotice::showOn(Notifications &notifications) const
{
    notifications.notify(summary, body);
}

} // namespace lettergate
