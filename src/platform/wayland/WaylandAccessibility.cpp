#include "platform/wayland/WaylandAccessibility.h"

#include "platform/Log.h"
#include "platform/wayland/ForeignToplevels.h"

#include <limits>

namespace lettergate {

namespace {

std::optional<quint32> numberOf(WindowElement element)
{
    if (element == 0 || element > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return quint32(element);
}

} // namespace

WaylandAccessibility::WaylandAccessibility(ForeignToplevels &toplevels)
    : m_toplevels(toplevels)
{
}

bool WaylandAccessibility::isTrusted()
{
    return m_toplevels.isAvailable();
}

void WaylandAccessibility::requestTrust()
{
    if (isTrusted())
        qCInfo(lcWayland).noquote() << QStringLiteral(
            "nothing to grant: this Wayland compositor lets programs activate its windows");
    else
        qCInfo(lcWayland).noquote() << QStringLiteral(
            "nothing to grant: this Wayland compositor has stopped listing its windows");
}

WindowElementList WaylandAccessibility::windowElements(qint32 app)
{
    if (!m_toplevels.isAvailable())
        return {0, std::nullopt};
    QList<WindowElement> elements;
    for (const Toplevel &toplevel : m_toplevels.frontMostFirst()) {
        if (toplevel.app == app)
            elements.append(toplevel.number);
    }
    return {0, elements};
}

std::optional<quint32> WaylandAccessibility::windowNumber(WindowElement element)
{
    return numberOf(element);
}

std::optional<bool> WaylandAccessibility::isMinimized(WindowElement element)
{
    const std::optional<quint32> number = numberOf(element);
    const std::optional<Toplevel> toplevel = number ? m_toplevels.find(*number) : std::nullopt;
    return toplevel ? std::optional<bool>(toplevel->minimized) : std::nullopt;
}

void WaylandAccessibility::setMinimized(WindowElement element, bool minimized)
{
    if (const std::optional<quint32> number = numberOf(element))
        m_toplevels.setMinimized(*number, minimized);
}

void WaylandAccessibility::raise(WindowElement) {}

void WaylandAccessibility::focus(qint32, WindowElement element)
{
    if (const std::optional<quint32> number = numberOf(element))
        m_toplevels.activate(*number);
}

void WaylandAccessibility::makeMain(WindowElement) {}

} // namespace lettergate
