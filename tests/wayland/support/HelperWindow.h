#pragma once

#include <QProcess>
#include <QRect>
#include <QString>
#include <optional>

// The tests' Wayland client window (wayland_helper_window, a line edit that prints its
// text at every change) in a process of its own, and where sway shows it.
class HelperWindow {
public:
    explicit HelperWindow(const QString &appId);
    ~HelperWindow();

    // Whether sway lists the window within a few seconds.
    bool waitUntilShown();
    // Its frame in sway's layout, from `swaymsg -t get_tree`; nothing when not listed.
    std::optional<QRect> frame() const;
    // The text it printed last; empty before any.
    QString text();

private:
    QString m_appId;
    QProcess m_process;
    QString m_text;
};
