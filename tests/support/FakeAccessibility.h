#pragma once

#include "platform/Accessibility.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace lettergate {

// Scripted per-process window elements. Each element is the window number itself,
// unless numberOf overrides what the backend would report for it. Every act is
// recorded as text ("raise 7", "focus 42 7", ...), in order.
class FakeAccessibility final : public Accessibility {
public:
    bool isTrusted() override { return trusted; }
    void requestTrust() override { ++trustRequests; }
    WindowElementList windowElements(qint32 pid) override
    {
        if (errors.contains(pid))
            return {errors.value(pid), std::nullopt};
        if (!elements.contains(pid))
            return {0, std::nullopt};
        return {0, elements.value(pid)};
    }
    std::optional<quint32> windowNumber(WindowElement element) override
    {
        if (numberOf.contains(element))
            return numberOf.value(element);
        return static_cast<quint32>(element);
    }
    std::optional<bool> isMinimized(WindowElement element) override { return minimized.contains(element); }
    void setMinimized(WindowElement element, bool value) override
    {
        acts << QStringLiteral("setMinimized %1 %2").arg(element).arg(value);
    }
    void raise(WindowElement element) override { acts << QStringLiteral("raise %1").arg(element); }
    void focus(qint32 pid, WindowElement element) override
    {
        acts << QStringLiteral("focus %1 %2").arg(pid).arg(element);
    }
    void makeMain(WindowElement element) override { acts << QStringLiteral("makeMain %1").arg(element); }

    bool trusted = true;
    int trustRequests = 0;
    QHash<qint32, QList<WindowElement>> elements;
    QHash<qint32, int> errors;                             // pid → status of a failing window query
    QHash<WindowElement, std::optional<quint32>> numberOf; // element → reported number
    QSet<WindowElement> minimized;
    QStringList acts;
};

} // namespace lettergate
