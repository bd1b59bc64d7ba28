#pragma once

#include <QList>
#include <optional>

namespace lettergate {

// A handle to one window of another application, meaningful only to the backend
// that produced it.
using WindowElement = quint64;

struct WindowElementList {
    int error = 0;                                // the backend's status code; 0 is success
    std::optional<QList<WindowElement>> elements; // nothing when the reply was unusable
};

// Driving other applications' windows: the permission, the windows of a process and
// the acts that bring one to the front.
class Accessibility {
public:
    virtual ~Accessibility() = default;
    virtual bool isTrusted() = 0;
    // Asks the system to prompt the user for the permission when it is missing.
    virtual void requestTrust() = 0;
    // Every request gives up after about one second.
    virtual WindowElementList windowElements(qint32 pid) = 0;
    virtual std::optional<quint32> windowNumber(WindowElement element) = 0;
    virtual std::optional<bool> isMinimized(WindowElement element) = 0;
    virtual void setMinimized(WindowElement element, bool minimized) = 0;
    virtual void raise(WindowElement element) = 0;
    virtual void focus(qint32 pid, WindowElement element) = 0;
    virtual void makeMain(WindowElement element) = 0;
};

} // namespace lettergate
