#include "stores/Command.h"

#include "stores/JsonFields.h"

namespace lettergate {

QJsonObject Command::toJson() const
{
    return {{QLatin1StringView("id"), JsonFields::uuidText(id)},
            {QLatin1StringView("name"), name},
            {QLatin1StringView("command"), command}};
}

std::optional<Command> Command::fromJson(const QJsonObject &object)
{
    const auto id = JsonFields::requiredUuid(object, QLatin1StringView("id"));
    const auto name = JsonFields::requiredString(object, QLatin1StringView("name"));
    const auto command = JsonFields::requiredString(object, QLatin1StringView("command"));
    if (!id || !name || !command)
        return std::nullopt;
    return Command{*id, *name, *command};
}

} // namespace lettergate
