#include "updates/UpdateChecker.h"

#include "platform/BuildInfo.h"
#include "updates/ReleaseFetch.h"
#include "updates/WebAddress.h"

#include <QPointer>

namespace lettergate {

namespace {

const QString appSlug = QStringLiteral("lettergate");

// piece as a signed decimal integer: an optional "+" or "-", then ASCII digits only,
// within 64 bits. Nothing for anything else ("", "-", "0-beta", "v2", "1e3").
std::optional<qint64> signedInteger(QStringView piece)
{
    const bool negative = piece.startsWith(u'-');
    if (negative || piece.startsWith(u'+'))
        piece = piece.mid(1);
    if (piece.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : piece) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c.unicode() - u'0';
        // Built on the side of the sign, so the most negative number fits too.
        const bool overflow = qMulOverflow(value, qint64(10), &value)
                              || (negative ? qSubOverflow(value, qint64(digit), &value)
                                           : qAddOverflow(value, qint64(digit), &value));
        if (overflow)
            return std::nullopt;
    }
    return value;
}

QList<qint64> versionNumbers(const QString &version)
{
    QList<qint64> numbers;
    for (const QStringView piece : QStringView(version).split(u'.', Qt::SkipEmptyParts)) {
        if (const std::optional<qint64> number = signedInteger(piece))
            numbers.append(*number);
    }
    return numbers;
}

UpdateResult outcomeOf(const ReleaseFetch &fetch)
{
    if (!fetch.release())
        return UpdateResult::error(fetch.errorString());
    const LatestRelease &release = *fetch.release();
    if (!UpdateChecker::isNewer(release.version, UpdateChecker::currentVersion()))
        return UpdateResult::upToDate();
    // The page is opened in the browser on the user's word: only a web page will do,
    // never a local file or a script that a hostile reply might name.
    if (!webAddress(release.url))
        return UpdateResult::error(
            QStringLiteral("The update server named a download page that is not a web address: \"%1\".")
                .arg(release.url));
    return UpdateResult::updateAvailable(release.version, release.url, release.notes);
}

} // namespace

UpdateChecker::UpdateChecker(QObject *parent)
    : UpdateChecker(configuredBaseUrl(), defaultTimeout, parent)
{
}

UpdateChecker::UpdateChecker(const QString &baseUrl, std::chrono::milliseconds timeout, QObject *parent)
    : QObject(parent)
    , m_baseUrl(baseUrl)
    , m_timeout(timeout)
{
}

QString UpdateChecker::configuredBaseUrl()
{
    const QString override = qEnvironmentVariable("LETTERGATE_UPDATE_URL");
    return override.isEmpty() ? QString::fromUtf8(BuildInfo::updateBaseUrl) : override;
}

QString UpdateChecker::currentVersion()
{
    const QString version = QString::fromUtf8(BuildInfo::version);
    return version.isEmpty() ? QStringLiteral("0") : version;
}

bool UpdateChecker::isNewer(const QString &remote, const QString &local)
{
    const QList<qint64> remoteNumbers = versionNumbers(remote);
    const QList<qint64> localNumbers = versionNumbers(local);
    const qsizetype length = std::max(remoteNumbers.size(), localNumbers.size());
    for (qsizetype i = 0; i < length; ++i) {
        const qint64 remoteNumber = remoteNumbers.value(i, 0);
        const qint64 localNumber = localNumbers.value(i, 0);
        if (remoteNumber != localNumber)
            return remoteNumber > localNumber;
    }
    return false;
}

QString UpdateChecker::latestReleaseUrl() const
{
    return m_baseUrl + QStringLiteral("/apps/") + appSlug + QStringLiteral("/latest");
}

ReleaseFetch *UpdateChecker::fetchLatest()
{
    return new ReleaseFetch(m_network, latestReleaseUrl(), m_timeout, this);
}

void UpdateChecker::check()
{
    check(nullptr, {});
}

void UpdateChecker::check(const QObject *context, Completion done)
{
    ReleaseFetch *fetch = fetchLatest();
    connect(fetch, &ReleaseFetch::finished, this,
            [this, fetch, guarded = context != nullptr, receiver = QPointer<const QObject>(context),
             done = std::move(done)] {
                const UpdateResult result = outcomeOf(*fetch);
                m_lastResult = result;
                emit checkFinished(result);
                if (done && (receiver || !guarded))
                    done(result);
            });
}

} // namespace lettergate
