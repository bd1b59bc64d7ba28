#include "windows/WindowActivation.h"

#include "platform/Accessibility.h"
#include "platform/Apps.h"
#include "platform/Log.h"
#include "platform/Platform.h"

namespace lettergate {

namespace {

std::optional<WindowElement> elementNumbered(Accessibility &accessibility, const QList<WindowElement> &elements,
                                             quint32 number)
{
    for (WindowElement element : elements) {
        if (accessibility.windowNumber(element) == number)
            return element;
    }
    return std::nullopt;
}

} // namespace

bool activateWindow(Platform &platform, const WindowInfo &window)
{
    Accessibility &accessibility = platform.accessibility();
    if (!accessibility.isTrusted()) {
        qCInfo(lcWindows).noquote() << QStringLiteral("accessibility not authorized, cannot switch windows");
        return false;
    }

    const WindowElementList list = accessibility.windowElements(window.pid);
    if (list.error != 0 || !list.elements) {
        qCInfo(lcWindows).noquote() << QStringLiteral("cannot get AX window list for pid=")
                                           + QString::number(window.pid) + QStringLiteral(" (err=")
                                           + QString::number(list.error) + u')';
        return false;
    }

    const std::optional<WindowElement> element = elementNumbered(accessibility, *list.elements, window.id);
    if (!element) {
        qCInfo(lcWindows).noquote() << QStringLiteral("no AX window matches CGWindowID=") + QString::number(window.id)
                                           + QStringLiteral(" (app=") + window.appName + u')';
        return false;
    }

    // Each step is sent whatever the previous one answered: a half-honoured request
    // still leaves the window nearer the front than stopping would.
    if (accessibility.isMinimized(*element) == true)
        accessibility.setMinimized(*element, false);
    accessibility.raise(*element);
    accessibility.focus(window.pid, *element);
    accessibility.makeMain(*element);
    platform.apps().activateApp(window.pid);
    qCInfo(lcWindows).noquote() << QStringLiteral("✅ switched → ") + window.appName + QStringLiteral(" #")
                                       + QString::number(window.id) + QStringLiteral(" '") + window.title + u'\'';
    return true;
}

} // namespace lettergate
