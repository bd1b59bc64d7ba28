#include "platform/x11/ClientWindow.h"

namespace lettergate {

namespace {
constexpr uint32_t allDesktops = 0xFFFFFFFF;
}

qint64 layerOf(const ClientWindow &window)
{
    if (window.overrideRedirect)
        return WindowLayer::popup;
    switch (window.kind) {
    case WindowKind::Normal:
    case WindowKind::Dialog:
        return window.skipTaskbar ? WindowLayer::floating : WindowLayer::normal;
    case WindowKind::Desktop:
        return WindowLayer::desktop;
    case WindowKind::Dock:
        return WindowLayer::dock;
    case WindowKind::Toolbar:
    case WindowKind::Utility:
    case WindowKind::Splash:
        return WindowLayer::floating;
    case WindowKind::Menu:
    case WindowKind::Popup:
        return WindowLayer::popup;
    }
    return WindowLayer::floating;
}

bool isOnScreen(const ClientWindow &window, std::optional<uint32_t> currentDesktop)
{
    if (!window.viewable || window.hidden)
        return false;
    if (!window.desktop || !currentDesktop || *window.desktop == allDesktops)
        return true;
    return *window.desktop == *currentDesktop;
}

QRect frameRect(QPoint clientOrigin, QSize clientSize, int borderWidth, const FrameExtents &extents)
{
    return QRect(clientOrigin.x() - borderWidth - extents.left, clientOrigin.y() - borderWidth - extents.top,
                 clientSize.width() + 2 * borderWidth + extents.left + extents.right,
                 clientSize.height() + 2 * borderWidth + extents.top + extents.bottom);
}

} // namespace lettergate
