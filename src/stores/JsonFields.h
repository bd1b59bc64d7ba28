#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>
#include <optional>

namespace lettergate {

// Strict reading of the members of one stored record: a required member must be
// present with the right JSON type, an optional one may be absent (or null) but never
// of another type. One failing member makes its whole record, and so its whole file,
// unreadable.
namespace JsonFields {

std::optional<QString> requiredString(const QJsonObject &object, QLatin1StringView key);
std::optional<bool> requiredBool(const QJsonObject &object, QLatin1StringView key);
// A UUID in its 8-4-4-4-12 text form, in either case.
std::optional<QUuid> requiredUuid(const QJsonObject &object, QLatin1StringView key);

// An optional string member: `value` becomes its text or nothing; false when the
// member has another type.
bool readOptionalString(const QJsonObject &object, QLatin1StringView key, std::optional<QString> &value);

// The canonical stored form of a UUID: upper-case hexadecimal, 8-4-4-4-12, no braces.
QString uuidText(const QUuid &id);

// Sets the member only when there is a value: optional members are absent, never null.
void insertIfPresent(QJsonObject &object, QLatin1StringView key, const std::optional<QString> &value);

} // namespace JsonFields

} // namespace lettergate
