#pragma once

#include "updates/UpdateChecker.h"

#include <QByteArray>
#include <QTest>

namespace lettergate {

// "updateAvailable(2.0, https://…, notes)", "error(…)" or "upToDate".
inline QString describe(const UpdateResult &result)
{
    switch (result.kind()) {
    case UpdateResult::Kind::UpdateAvailable:
        return QStringLiteral("updateAvailable(%1, %2, %3)")
            .arg(result.version(), result.url(), result.notes() ? *result.notes() : QStringLiteral("<none>"));
    case UpdateResult::Kind::Error:
        return QStringLiteral("error(%1)").arg(result.message());
    case UpdateResult::Kind::UpToDate:
        break;
    }
    return QStringLiteral("upToDate");
}

// A latest-release document naming version and url, with extra members as written.
inline QByteArray releaseJson(const QByteArray &version, const QByteArray &url = "https://lettergate.app/download",
                              const QByteArray &extraMembers = {})
{
    return R"({"version":")" + version + R"(","url":")" + url + '"' + extraMembers + '}';
}

// Runs one check to its end and answers its outcome, or nothing if none came in time.
inline std::optional<UpdateResult> runCheck(UpdateChecker &checker, int waitMs = 5000)
{
    std::optional<UpdateResult> outcome;
    const QObject receiver; // a check that outlives this call no longer reaches outcome
    checker.check(&receiver, [&outcome](const UpdateResult &result) { outcome = result; });
    return QTest::qWaitFor([&outcome] { return outcome.has_value(); }, waitMs) ? outcome : std::nullopt;
}

} // namespace lettergate
