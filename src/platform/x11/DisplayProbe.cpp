#include "platform/x11/DisplayProbe.h"

#include <xcb/xcb.h>

namespace lettergate {

bool DisplayProbe::isReachable(QString *reason)
{
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("DISPLAY is not set");
        return false;
    }
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error != 0 && reason)
        *reason = QStringLiteral("cannot connect to the X server at DISPLAY=%1").arg(QString::fromLocal8Bit(display));
    return error == 0;
}

} // namespace lettergate
