#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>
#include <optional>

// A named URL: a web address or an application's URL scheme. Both texts are kept
// exactly as typed; only opening trims them.
struct QuickLink {
    QUuid id = QUuid::createUuid();
    QString name;
    QString url;

    // {"id":"<UUID>","name":…,"url":…}, all three required.
    QJsonObject toJson() const;
    static std::optional<QuickLink> fromJson(const QJsonObject &object);

    bool operator==(const QuickLink &) const = default;
};
