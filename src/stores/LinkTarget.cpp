#include "stores/LinkTarget.h"

#include <QDir>

namespace lettergate {

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

// Always with a scheme: what xdg-open is handed never reads as an option or a path.
std::optional<QUrl> webTarget(const QString &trimmed)
{
    std::optional<QUrl> url = parsedUrl(trimmed);
    if (!url)
        url = parsedUrl(QString::fromLatin1(QUrl::toPercentEncoding(trimmed, queryAllowedPunctuation)));
    if (url && url->scheme().isEmpty())
        url = parsedUrl(QStringLiteral("https://") + url->toString(QUrl::FullyEncoded));
    return url;
}

std::optional<QUrl> localTarget(const QString &path)
{
    // Cleaned, so "//server/x" stays a local path rather than a network share's URL.
    const QUrl url = QUrl::fromLocalFile(QDir::cleanPath(path));
    if (!url.isValid())
        return std::nullopt;
    return url;
}

} // namespace

std::optional<QUrl> linkTarget(const QString &typed, const QString &homeDirectory)
{
    // QString::trimmed removes every white space and line break.
    const QString trimmed = typed.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (trimmed.startsWith(u'/'))
        return localTarget(trimmed);
    if (trimmed == u'~' || trimmed.startsWith(QStringLiteral("~/")))
        return localTarget(homeDirectory + trimmed.mid(1));
    if (trimmed.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        // Read tolerantly: a file URL is often typed with its spaces as they are. One
        // that names another host is not a file here.
        QUrl url(trimmed, QUrl::TolerantMode);
        const QString host = url.host();
        if (!host.isEmpty() && host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) != 0)
            return std::nullopt;
        url.setHost(QString());
        const QString path = url.toLocalFile();
        if (!path.startsWith(u'/'))
            return std::nullopt;
        return localTarget(path);
    }
    return webTarget(trimmed);
}

QString openerArgument(const QUrl &target)
{
    // A local target's path is absolute and a URL starts with its scheme: neither can
    // be taken for an option.
    return target.isLocalFile() ? target.toLocalFile() : target.toString(QUrl::FullyEncoded);
}

} // namespace lettergate
