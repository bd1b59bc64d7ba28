#include "stores/Snippet.h"

#include "stores/JsonFields.h"

namespace lettergate {

namespace {

constexpr QLatin1StringView textKind("text");
constexpr QLatin1StringView imageKind("image");

} // namespace

QJsonObject Snippet::toJson() const
{
    QJsonObject object{{QLatin1StringView("id"), JsonFields::uuidText(id)},
                       {QLatin1StringView("name"), name},
                       {QLatin1StringView("letter"), letter},
                       {QLatin1StringView("kind"), kind == Kind::image ? imageKind : textKind},
                       {QLatin1StringView("text"), text}};
    JsonFields::insertIfPresent(object, QLatin1StringView("imageFileName"), imageFileName);
    return object;
}

std::optional<Snippet> Snippet::fromJson(const QJsonObject &object)
{
    Snippet snippet;
    const auto id = JsonFields::requiredUuid(object, QLatin1StringView("id"));
    const auto name = JsonFields::requiredString(object, QLatin1StringView("name"));
    const auto letter = JsonFields::requiredString(object, QLatin1StringView("letter"));
    const auto kind = JsonFields::requiredString(object, QLatin1StringView("kind"));
    const auto text = JsonFields::requiredString(object, QLatin1StringView("text"));
    if (!id || !name || !letter || !kind || !text
        || !JsonFields::readOptionalString(object, QLatin1StringView("imageFileName"), snippet.imageFileName))
        return std::nullopt;
    if (*kind == textKind)
        snippet.kind = Kind::text;
    else if (*kind == imageKind)
        snippet.kind = Kind::image;
    else
        return std::nullopt;
    snippet.id = *id;
    snippet.name = *name;
    snippet.letter = *letter;
    snippet.text = *text;
    return snippet;
}

} // namespace lettergate
