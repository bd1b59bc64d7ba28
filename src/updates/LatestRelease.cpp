#include "updates/LatestRelease.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace lettergate {

namespace {

// A member's value, or why it cannot be one.
struct Member {
    std::optional<QString> text;
    QString problem;
};

Member requiredString(const QJsonObject &object, const QString &name)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined())
        return {{}, QStringLiteral("The member \"%1\" is missing.").arg(name)};
    if (!value.isString())
        return {{}, QStringLiteral("The member \"%1\" is not a string.").arg(name)};
    return {value.toString(), {}};
}

Member optionalString(const QJsonObject &object, const QString &name)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined() || value.isNull())
        return {};
    if (!value.isString())
        return {{}, QStringLiteral("The member \"%1\" is neither a string nor null.").arg(name)};
    return {value.toString(), {}};
}

std::optional<LatestRelease> fail(QString *error, const QString &problem)
{
    if (error)
        *error = QStringLiteral("The update server's reply could not be read. %1").arg(problem);
    return std::nullopt;
}

} // namespace

std::optional<LatestRelease> LatestRelease::fromJson(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(error, QStringLiteral("It is not valid JSON (%1 at offset %2).")
                               .arg(parseError.errorString())
                               .arg(parseError.offset));
    if (!document.isObject())
        return fail(error, QStringLiteral("It is not a JSON object."));

    const QJsonObject root = document.object();
    const Member members[] = {
        requiredString(root, QStringLiteral("version")),      requiredString(root, QStringLiteral("url")),
        optionalString(root, QStringLiteral("notes")),        optionalString(root, QStringLiteral("min_os")),
        optionalString(root, QStringLiteral("published_at")),
    };
    for (const Member &member : members) {
        if (!member.problem.isEmpty())
            return fail(error, member.problem);
    }
    return LatestRelease{*members[0].text, *members[1].text, members[2].text, members[3].text, members[4].text};
}

} // namespace lettergate
