#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>
#include <optional>

namespace lettergate {

// A named link: a web address, an application's URL scheme, or a local path ("/…",
// "~/…", "file:…"). Both texts are kept exactly as typed; only opening reads them
// (see linkTarget).
struct QuickLink {
    QUuid id = QUuid::createUuid();
    QString name;
    QString url;

    // {"id":"<UUID>","name":…,"url":…}, all three required.
    QJsonObject toJson() const;
    static std::optional<QuickLink> fromJson(const QJsonObject &object);

    bool operator==(const QuickLink &) const = default;
};

} // namespace lettergate
