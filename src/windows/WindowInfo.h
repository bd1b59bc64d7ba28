#pragma once

#include <QHashFunctions>
#include <QMetaType>
#include <QRectF>
#include <QString>
#include <optional>

namespace lettergate {

// One ordinary application window on screen, as the switcher sees it.
struct WindowInfo {
    quint32 id = 0;                  // the window server's number: the key for activation and pictures
    qint32 pid = 0;                  // the owning process
    std::optional<QString> bundleID; // the owning application's identifier, when it has one
    QString appName;                 // "?" when the server did not name the owner
    QString title;                   // empty when the server did not say
    QRectF bounds;                   // frame in global screen coordinates

    friend bool operator==(const WindowInfo &, const WindowInfo &) = default;
};

inline size_t qHash(const WindowInfo &window, size_t seed = 0)
{
    return qHashMulti(seed, window.id, window.pid, window.bundleID.has_value(), window.bundleID.value_or(QString()),
                      window.appName, window.title, window.bounds.x(), window.bounds.y(), window.bounds.width(),
                      window.bounds.height());
}

} // namespace lettergate

Q_DECLARE_METATYPE(lettergate::WindowInfo)
