#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>
#include <optional>

namespace lettergate {

// A named shell command line, kept exactly as typed.
struct Command {
    QUuid id = QUuid::createUuid();
    QString name;
    QString command;

    // {"id":"<UUID>","name":…,"command":…}, all three required.
    QJsonObject toJson() const;
    static std::optional<Command> fromJson(const QJsonObject &object);

    bool operator==(const Command &) const = default;
};

} // namespace lettergate
