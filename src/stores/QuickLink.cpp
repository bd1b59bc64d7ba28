#include "stores/QuickLink.h"

#include "stores/JsonFields.h"

namespace lettergate {

QJsonObject QuickLink::toJson() const
{
    return {{QLatin1StringView("id"), JsonFields::uuidText(id)},
            {QLatin1StringView("name"), name},
            {QLatin1StringView("url"), url}};
}

std::optional<QuickLink> QuickLink::fromJson(const QJsonObject &object)
{
    const auto id = JsonFields::requiredUuid(object, QLatin1StringView("id"));
    const auto name = JsonFields::requiredString(object, QLatin1StringView("name"));
    const auto url = JsonFields::requiredString(object, QLatin1StringView("url"));
    if (!id || !name || !url)
        return std::nullopt;
    return QuickLink{*id, *name, *url};
}

} // namespace lettergate
