#include "platform/null/NullPlatform.h"

#include "platform/Log.h"

#include <QDesktopServices>

namespace lettergate {

NullPlatform::NullPlatform()
{
    qCWarning(lcPlatform).noquote() << QStringLiteral(
        "no supported window system: running without windows, hot keys or window pictures");
}

bool NullPlatform::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace lettergate
