#include "stores/JsonFields.h"

#include <QJsonValue>

namespace lettergate {

std::optional<QString> JsonFields::requiredString(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<bool> JsonFields::requiredBool(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

std::optional<QUuid> JsonFields::requiredUuid(const QJsonObject &object, QLatin1StringView key)
{
    const std::optional<QString> text = requiredString(object, key);
    // QUuid also takes braces and other lengths; the stored form is exactly 36
    // characters, and the all-zero UUID is as valid as any other.
    if (!text || text->size() != 36)
        return std::nullopt;
    const QUuid id = QUuid::fromString(*text);
    if (uuidText(id).compare(*text, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return id;
}

bool JsonFields::readOptionalString(const QJsonObject &object, QLatin1StringView key, std::optional<QString> &value)
{
    const QJsonValue member = object.value(key);
    if (member.isUndefined() || member.isNull()) {
        value.reset();
        return true;
    }
    if (!member.isString())
        return false;
    value = member.toString();
    return true;
}

QString JsonFields::uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

void JsonFields::insertIfPresent(QJsonObject &object, QLatin1StringView key, const std::optional<QString> &value)
{
    if (value)
        object.insert(key, *value);
}

} // namespace lettergate
