#pragma once

#include "updates/UpdateResult.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <chrono>
#include <functional>
#include <optional>

namespace lettergate {

class ReleaseFetch;

// Asks the release endpoint which version is the latest and compares it with the
// running one. Nothing is downloaded: an available update only names its download page.
// Everything runs on the GUI thread without blocking it; the request itself is Qt's
// asynchronous network access.
class UpdateChecker : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultTimeout = std::chrono::seconds(10);

    // Asks the configured endpoint, with the 10-second limit.
    explicit UpdateChecker(QObject *parent = nullptr);
    // Asks baseUrl (an address whose path ends in "/v1"), each request limited to timeout.
    UpdateChecker(const QString &baseUrl, std::chrono::milliseconds timeout, QObject *parent = nullptr);

    // LETTERGATE_UPDATE_URL when it is set, else the base URL this build was configured with.
    static QString configuredBaseUrl();
    // The running program's version, "0" when the build names none.
    static QString currentVersion();
    // Whether remote names a later version than local. Both are split at dots; each
    // piece that is a whole decimal number (optionally signed) counts, any other piece is
    // skipped, and missing positions count as 0: 1.2.10 is newer than 1.2.9, 1.2 is not
    // newer than 1.2.0, and 2.0-beta reads as 2.
    static bool isNewer(const QString &remote, const QString &local);

    QString baseUrl() const { return m_baseUrl; }

    // Starts a request for the latest-release document; the fetch announces its outcome
    // and deletes itself (see ReleaseFetch).
    ReleaseFetch *fetchLatest();

    // Starts a check and returns at once. When it ends, lastResult() holds its outcome
    // and checkFinished announces it: what the silent check at launch needs.
    void check();
    using Completion = std::function<void(const UpdateResult &result)>;
    // The same, and done receives this check's own outcome even when checks overlap:
    // what a check the user asked for needs. done is skipped when context has been
    // destroyed by then; without a context it always runs.
    void check(const QObject *context, Completion done);

    // The outcome of the check that finished last; nothing before the first one ends.
    const std::optional<UpdateResult> &lastResult() const { return m_lastResult; }

signals:
    // After every check, once lastResult() holds its outcome.
    void checkFinished(const UpdateResult &result);

private:
    // The address of the latest-release document: the base URL, "/apps/lettergate/latest".
    QString latestReleaseUrl() const;

    QString m_baseUrl;
    std::chrono::milliseconds m_timeout;
    QNetworkAccessManager m_network;
    std::optional<UpdateResult> m_lastResult;
};

} // namespace lettergate
