#include "platform/x11/X11Platform.h"

#include "platform/Log.h"

#include "platform/x11/ActiveWindowTracker.h"
#include "platform/x11/AppCatalog.h"
#include "platform/x11/KeyboardMap.h"
#include "platform/x11/WindowManagerRequests.h"
#include "platform/x11/X11Accessibility.h"
#include "platform/x11/X11Apps.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11EventPump.h"
#include "platform/x11/X11HotKeys.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Keystrokes.h"
#include "platform/x11/X11ScreenCapture.h"
#include "platform/x11/X11SystemTray.h"
#include "platform/x11/X11WindowServer.h"

namespace lettergate {

std::unique_ptr<X11Platform> X11Platform::connect(const QByteArray &displayName)
{
    auto display = X11Display::open(displayName);
    if (!display)
        return nullptr;
    auto captureDisplay = X11Display::open(displayName);
    if (!captureDisplay)
        return nullptr;
    auto clipboardDisplay = X11Display::open(displayName);
    if (!clipboardDisplay)
        return nullptr;
    return std::unique_ptr<X11Platform>(
        new X11Platform(std::move(display), std::move(captureDisplay), std::move(clipboardDisplay)));
}

X11Platform::X11Platform(std::unique_ptr<X11Display> display, std::unique_ptr<X11Display> captureDisplay,
                         std::unique_ptr<X11Display> clipboardDisplay)
    : m_display(std::move(display))
    , m_pump(std::make_unique<X11EventPump>(*m_display))
    , m_keyboard(std::make_unique<KeyboardMap>(*m_display))
    , m_catalog(std::make_unique<AppCatalog>())
    , m_activeWindow(std::make_unique<ActiveWindowTracker>(*m_display))
    , m_windowManager(std::make_unique<WindowManagerRequests>(*m_display, *m_pump))
    , m_windowServer(std::make_unique<X11WindowServer>(*m_display, *m_catalog))
    , m_apps(std::make_unique<X11Apps>(*m_display, *m_catalog, *m_activeWindow, *m_windowManager))
    , m_accessibility(std::make_unique<X11Accessibility>(*m_display, *m_catalog, *m_activeWindow, *m_windowManager))
    , m_hotKeys(std::make_unique<X11HotKeys>(*m_display, *m_keyboard))
    , m_keyTap(std::make_unique<X11KeyTap>(*m_display, *m_keyboard))
    , m_keystrokes(std::make_unique<X11Keystrokes>(*m_display, *m_keyboard))
    , m_screenCapture(std::make_unique<X11ScreenCapture>(std::move(captureDisplay)))
    , m_systemTray(std::make_unique<X11SystemTray>(*m_display))
    , m_pasteboard(std::move(clipboardDisplay))
{
    // Property changes of the root tell when the active window changes.
    const uint32_t rootEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_display->connection(), m_display->root(), XCB_CW_EVENT_MASK, &rootEvents);
    m_display->flush();
    for (X11EventFilter *filter : eventFilters())
        m_pump->addFilter(filter);
}

X11Platform::~X11Platform()
{
    for (X11EventFilter *filter : eventFilters())
        m_pump->removeFilter(filter);
}

QList<X11EventFilter *> X11Platform::eventFilters() const
{
    // The keyboard map first: the others rely on it being current when they see a key.
    return {m_keyboard.get(), m_activeWindow.get(), m_windowManager.get(),
            m_hotKeys.get(),  m_keyTap.get(),       m_systemTray.get()};
}

WindowServer &X11Platform::windowServer()
{
    return *m_windowServer;
}
Apps &X11Platform::apps()
{
    return *m_apps;
}
Accessibility &X11Platform::accessibility()
{
    return *m_accessibility;
}
HotKeys &X11Platform::hotKeys()
{
    return *m_hotKeys;
}
KeyTap &X11Platform::keyTap()
{
    return *m_keyTap;
}
Keystrokes &X11Platform::keystrokes()
{
    return *m_keystrokes;
}
ScreenCapture &X11Platform::screenCapture()
{
    return *m_screenCapture;
}
SystemTray &X11Platform::systemTray()
{
    return *m_systemTray;
}

bool X11Platform::hasWindowManager() const
{
    return m_windowManager->supportsActivation();
}

void X11Platform::beep()
{
    xcb_bell(m_display->connection(), 0);
    m_display->flush();
}

bool X11Platform::hasCompositor()
{
    return m_windowManager->compositorRuns();
}

std::optional<QString> X11Platform::windowManagerName()
{
    return m_windowManager->name();
}

std::optional<QString> X11Platform::windowPictureSource()
{
    if (!m_display->extensions().composite)
        return std::nullopt;
    return QStringLiteral("Composite extension");
}

bool X11Platform::makeOverlay(QWindow &)
{
    if (!m_limitation)
        return true;
    // The compositor takes the keyboard back from an override-redirect window within
    // 100 ms, and the panel would hide with the letter typed going to the window beneath;
    // a window that XWayland's window manager manages keeps the keyboard it is given.
    qCInfo(lcX11).noquote() << QStringLiteral(
        "the panel is an ordinary window here: the Wayland compositor lets no X window "
        "take the keyboard without its window manager");
    return false;
}

QString X11Platform::sessionName()
{
    return m_limitation ? QStringLiteral("X11 through XWayland") : QStringLiteral("X11");
}

void X11Platform::limitBy(const QString &waylandDesktop)
{
    m_limitation = waylandDesktop;
}

} // namespace lettergate
