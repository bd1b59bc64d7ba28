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
    return QString::fromUtf8(reply.mid(refusalPrefix.size())).trimmed();
}

QString RequestProtocol::oneLine(const QString &text, qsizetype limit)
{
    QString line = text.left(limit);
    std::replace_if(line.begin(), line.end(), [](QChar c) {
        const QChar::Category category = c.category();
        return category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph;
    }, u' ');
    return line;
}
