#pragma once

#include <QString>

// The example addresses of the Links and Commands help texts and placeholders: a web
// page, and an application's own URL scheme with a query string.
namespace ExampleUrls {
inline const QString web = QStringLiteral("https://example.com");
inline const QString appScheme = QStringLiteral("myapp://open?item=42");
} // namespace ExampleUrls
