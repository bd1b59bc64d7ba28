#include "stores/LinkStore.h"

#include "platform/Apps.h"
#include "platform/Feedback.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "stores/PrivateFiles.h"
#include "stores/Whitespace.h"

#include <QUrl>

namespace {

// "Parses as a URL" means a valid URL by the strict reading of RFC 3986: a space, a
// stray "%" or a broken host makes the text fail, as a browser's address bar would
// not take it either.
std::optional<QUrl> parsedUrl(const QString &text)
{
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

// What the characters allowed in a URL query leave unencoded besides letters, digits
// and "-._~".
constexpr char queryAllowedPunctuation[] = "!$&'()*+,/:;=?@";

std::optional<QUrl> urlToOpen(const QString &trimmed)
{
    QString target = trimmed;
    if (const std::optional<QUrl> url = parsedUrl(trimmed); url && url->scheme().isEmpty())
        target = QStringLiteral("https://") + trimmed;

    if (std::optional<QUrl> url = parsedUrl(target))
        return url;
    return parsedUrl(QString::fromLatin1(QUrl::toPercentEncoding(target, queryAllowedPunctuation)));
}

} // namespace

LinkStore &LinkStore::shared()
{
    static LinkStore *const instance =
        new LinkStore(Platform::current().apps(), Platform::current().feedback(), Paths::dataDirectory());
    return *instance;
}

LinkStore::LinkStore(Apps &apps, Feedback &feedback, const QString &dataDirectory, QObject *parent)
    : QObject(parent)
    , m_apps(apps)
    , m_feedback(feedback)
    , m_links(PrivateFiles::fileInPrivateDirectory(dataDirectory, QStringLiteral("links.json")))
{
}

bool LinkStore::replaceAll(QList<QuickLink> links)
{
    links.removeIf([](const QuickLink &link) { return Whitespace::isBlank(link.name) && Whitespace::isBlank(link.url); });
    const bool written = m_links.replace(std::move(links));
    emit linksChanged();
    return written;
}

bool LinkStore::open(const QString &url)
{
    // QString::trimmed removes every white space and line break.
    const QString trimmed = url.trimmed();
    const std::optional<QUrl> target = trimmed.isEmpty() ? std::nullopt : urlToOpen(trimmed);
    if (!target) {
        m_feedback.beep();
        return false;
    }
    return m_apps.openUrl(*target);
}
