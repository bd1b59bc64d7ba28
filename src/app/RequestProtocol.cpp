#include "app/RequestProtocol.h"

#include <QStringList>
#include <algorithm>

namespace {
const QByteArray acknowledgementText = QByteArrayLiteral("ok\n");
const QByteArray refusalPrefix = QByteArrayLiteral("error: ");
} // namespace

bool RequestProtocol::isVerb(const QString &request)
{
    static const QStringList verbs{QStringLiteral("toggle"), QStringLiteral("show"), QStringLiteral("settings"),
                                   QStringLiteral("windows"), QStringLiteral("quit")};
    return verbs.contains(request);
}

QByteArray RequestProtocol::acknowledgement(const QByteArray &payload)
{
    return acknowledgementText + payload;
}

std::optional<QByteArray> RequestProtocol::payload(const QByteArray &reply)
{
    if (!reply.startsWith(acknowledgementText))
        return std::nullopt;
    return reply.mid(acknowledgementText.size());
}

QByteArray RequestProtocol::refusal(const QString &reason)
{
    return refusalPrefix + oneLine(reason).toUtf8() + '\n';
}

std::optional<QString> RequestProtocol::refusalReason(const QByteArray &reply)
{
    if (!reply.startsWith(refusalPrefix))
        return std::nullopt;
    return oneLine(QString::fromUtf8(reply.mid(refusalPrefix.size())).trimmed());
}

bool RequestProtocol::isWellFormed(const QByteArray &reply)
{
    return reply.startsWith(acknowledgementText) || reply.startsWith(refusalPrefix);
}

QString RequestProtocol::printable(const QString &text)
{
    QString kept = text;
    kept.removeIf([](QChar c) {
        const char16_t code = c.unicode();
        if (code == u'\n' || code == u'\t')
            return false;
        const bool control = code < 0x20 || (code >= 0x7f && code <= 0x9f);
        const bool bidi = code == 0x061c || code == 0x200e || code == 0x200f || (code >= 0x202a && code <= 0x202e)
            || (code >= 0x2066 && code <= 0x2069);
        const bool zeroWidth = (code >= 0x200b && code <= 0x200d) || code == 0x2060 || code == 0xfeff;
        return control || bidi || zeroWidth;
    });
    return kept;
}

QString RequestProtocol::oneLine(const QString &text, qsizetype limit)
{
    QString line = printable(text.left(limit));
    std::replace_if(line.begin(), line.end(), [](QChar c) {
        return c == u'\n' || c == u'\t' || c.category() == QChar::Separator_Line
            || c.category() == QChar::Separator_Paragraph;
    }, u' ');
    return line;
}
