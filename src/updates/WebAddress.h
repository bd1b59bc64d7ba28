#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace lettergate {

// text as an absolute http or https URL with a host; nothing for any other text, such
// as a relative path, a file: or javascript: URL, or something that is no URL at all.
inline std::optional<QUrl> webAddress(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const bool web = url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http");
    if (!url.isValid() || !web || url.host().isEmpty())
        return std::nullopt;
    return url;
}

} // namespace lettergate
