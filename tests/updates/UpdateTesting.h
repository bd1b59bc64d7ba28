#pragma once

#include "updates/UpdateChecker.h"

#include <QByteArray>
#include <QTest>

namespace lettergate {

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
