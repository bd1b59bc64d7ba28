#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace lettergate {

// The release endpoint's answer: the latest version of the program and its download page.
struct LatestRelease {
    QString version;
    QString url;
    std::optional<QString> notes;
    std::optional<QString> minOS;
    std::optional<QString> publishedAt;

    // Decodes the reply strictly: a JSON object with the strings "version" and "url";
    // "notes", "min_os" and "published_at" may be absent or null, but a present one of
    // any other type rejects the whole reply. Other members are ignored. Nothing when
    // the reply does not decode; error then says why, in words for the user.
    static std::optional<LatestRelease> fromJson(const QByteArray &json, QString *error = nullptr);

    friend bool operator==(const LatestRelease &, const LatestRelease &) = default;
};

} // namespace lettergate
