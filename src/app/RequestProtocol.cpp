#include "app/RequestProtocol.h"

#include <QStringList>
#include <algorithm>

namespace lettergate {

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

QString RequestProtocol::tapRequest(const QString &modifier)
{
    return tapVerb + u' ' + modifier;
}

std::optional<QString> RequestProtocol::tappedModifier(const QString &request)
{
    if (request == tapVerb)
        return QString();
    if (!request.startsWith(tapVerb + u' '))
        return std::nullopt;
    return request.mid(tapVerb.size() + 1);
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
    // By whole code points, so that a character beyond the first plane (a tag character)
    // is judged as one; a lone surrogate becomes U+FFFD on the way.
    const auto hidden = [](char32_t code) {
        const QChar::Category category = QChar::category(code);
        // C0, DEL and C1 carry escape sequences; bidi controls, zero-width characters,
        // the soft hyphen and tags change or hide what is shown.
        return (category == QChar::Other_Control && code != U'\n' && code != U'\t') || category == QChar::Other_Format;
    };
    QString kept;
    kept.reserve(text.size());
    for (const uint code : text.toUcs4()) {
        if (!hidden(char32_t(code)))
            kept.append(QChar::fromUcs4(char32_t(code)));
    }
    return kept;
}

QString RequestProtocol::oneLine(const QString &text, qsizetype limit)
{
    QString line = printable(text.left(limit));
    std::replace_if(
        line.begin(), line.end(),
        [](QChar c) {
            return c == u'\n' || c == u'\t' || c.category() == QChar::Separator_Line
                   || c.category() == QChar::Separator_Paragraph;
        },
        u' ');
    return line;
}

} // namespace lettergate
