#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>
#include <optional>

namespace lettergate {

// A named piece of text or picture that the panel pastes.
struct Snippet {
    enum class Kind { text, image };

    QUuid id = QUuid::createUuid();
    QString name;
    // Carried through loads and saves unchanged; the program itself always writes "".
    QString letter;
    Kind kind = Kind::text;
    // Empty for a picture.
    QString text;
    // The bare name of the picture's PNG inside the snippet images directory.
    std::optional<QString> imageFileName;

    // {"id","name","letter","kind":"text"|"image","text"} always, "imageFileName" only
    // when there is one. Any other "kind" makes the record unreadable.
    QJsonObject toJson() const;
    static std::optional<Snippet> fromJson(const QJsonObject &object);

    bool operator==(const Snippet &) const = default;
};

} // namespace lettergate
