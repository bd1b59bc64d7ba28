#pragma once

#include <QString>

namespace lettergate {

// The example addresses of the Links and Commands help texts and placeholders: a web
// page, and an address of another scheme that a desktop application handles.
namespace ExampleUrls {
inline const QString web = QStringLiteral("https://example.com");
inline const QString appScheme = QStringLiteral("mailto:someone@example.com");
} // namespace ExampleUrls

} // namespace lettergate
