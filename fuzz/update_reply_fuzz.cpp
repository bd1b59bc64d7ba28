// The release endpoint's reply: arbitrary bytes as the body. A reply that decodes is
// written back in the endpoint's form and must decode to the same release; its version
// and download page then go where the checker sends them.
#include "FuzzChecks.h"
#include "updates/LatestRelease.h"
#include "updates/UpdateChecker.h"
#include "updates/WebAddress.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace lettergate;

namespace {

// The reply as the endpoint documents it; absent optional members are left out.
QByteArray replyOf(const LatestRelease &release)
{
    QJsonObject object{{QStringLiteral("version"), release.version}, {QStringLiteral("url"), release.url}};
    const std::pair<QString, std::optional<QString>> optionalMembers[] = {
        {QStringLiteral("notes"), release.notes},
        {QStringLiteral("min_os"), release.minOS},
        {QStringLiteral("published_at"), release.publishedAt},
    };
    for (const auto &[name, value] : optionalMembers) {
        if (value)
            object.insert(name, *value);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    const std::optional<LatestRelease> release = LatestRelease::fromJson(FuzzChecks::bytesOf(data, size), &error);
    if (!release) {
        FuzzChecks::require(!error.isEmpty(), "a refused reply says why");
        return 0;
    }
    const std::optional<LatestRelease> again = LatestRelease::fromJson(replyOf(*release));
    FuzzChecks::require(again.has_value(), "the encoded reply decodes");
    FuzzChecks::require(*again == *release, "the release reads back equal");

    const QString running = UpdateChecker::currentVersion();
    FuzzChecks::require(!UpdateChecker::isNewer(release->version, release->version), "no version is newer than itself");
    FuzzChecks::require(!(UpdateChecker::isNewer(release->version, running)
                          && UpdateChecker::isNewer(running, release->version)),
                        "two versions are never each newer than the other");
    // The hostile address goes through the strict URL parse; the sanitizers watch it.
    static_cast<void>(webAddress(release->url));
    return 0;
}
