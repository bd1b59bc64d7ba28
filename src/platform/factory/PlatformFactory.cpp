#include "platform/factory/PlatformFactory.h"

#include "platform/Log.h"
#include "platform/OwnEnvironment.h"
#include "platform/null/NullPlatform.h"
#include "platform/wayland/WaylandPlatform.h"
#include "platform/x11/DisplayProbe.h"
#include "platform/x11/X11Platform.h"

namespace lettergate {

namespace {

bool runsOffscreen()
{
    return qgetenv("QT_QPA_PLATFORM") == "offscreen";
}

bool isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
}

// Our windows live on the platform Qt is told to use: one the user chose other than
// Wayland makes them X clients, which a Wayland backend cannot place among the windows
// it lists. Empty when Qt may use Wayland.
QString otherQtPlatformAsked()
{
    // A list of platforms to try in turn, each with its options after a colon.
    const QByteArray asked = qgetenv("QT_QPA_PLATFORM").split(';').constFirst().split(':').constFirst();
    if (asked.isEmpty() || asked.startsWith("wayland"))
        return {};
    return QStringLiteral("QT_QPA_PLATFORM asks for %1").arg(QString::fromLocal8Bit(asked));
}

// Qt's windows must live where the backend works: on Wayland our panel is a surface of
// the compositor's; under X11 (XWayland included) our windows must be X clients, in the
// same window list as the ones we switch between. A platform the user set is kept; ours
// is for our own Qt only, not for the programs we start.
void useQtPlatform(const char *name)
{
    OwnEnvironment::setUnlessSet("QT_QPA_PLATFORM", name);
}

PlatformFactory::Choice chooseX11(const QString &waylandProblem)
{
    useQtPlatform("xcb");
    if (waylandProblem.isEmpty())
        return {PlatformFactory::Backend::x11,
                QStringLiteral("using X11: $DISPLAY answers and this is no Wayland session"),
                {}};
    const QString limitation = QStringLiteral("only XWayland windows can be listed, raised and pictured, and the "
                                              "trigger works only while an XWayland window has the focus");
    return {PlatformFactory::Backend::x11,
            QStringLiteral("using X11 through XWayland: %1; %2").arg(waylandProblem, limitation),
            waylandProblem + QStringLiteral(": ") + limitation};
}

} // namespace

std::optional<PlatformFactory::Choice> PlatformFactory::choose(QString *reason)
{
    if (runsOffscreen())
        return Choice{Backend::none, QStringLiteral("no window system: Qt runs offscreen"), {}};
    QString waylandProblem;
    if (isWaylandSession()) {
        waylandProblem = otherQtPlatformAsked();
        if (waylandProblem.isEmpty())
            waylandProblem = WaylandPlatform::unsupportedBecause();
        if (waylandProblem.isEmpty()) {
            useQtPlatform("wayland");
            WaylandPlatform::prepareQt();
            return Choice{Backend::wayland,
                          QStringLiteral("using Wayland: the compositor lists its windows to programs "
                                         "(wlr foreign-toplevel management)"),
                          {}};
        }
    }
    if (DisplayProbe::isReachable(reason))
        return chooseX11(waylandProblem);
    if (!waylandProblem.isEmpty() && reason)
        *reason = waylandProblem + QStringLiteral(", and ") + *reason;
    return std::nullopt;
}

std::unique_ptr<Platform> PlatformFactory::create(const Choice &choice)
{
    switch (choice.backend) {
    case Backend::wayland:
        if (auto wayland = WaylandPlatform::connect()) {
            qCInfo(lcPlatform).noquote() << choice.reason;
            return wayland;
        }
        // Why; the null backend then says what is lost.
        qCWarning(lcPlatform).noquote() << QStringLiteral(
            "Wayland was chosen, but the compositor no longer answers or no longer lists its "
            "windows");
        break;
    case Backend::x11:
        if (auto x11 = X11Platform::connect()) {
            if (!choice.limitation.isEmpty()) {
                x11->limitBy(choice.limitation);
                qCWarning(lcPlatform).noquote() << choice.reason;
            } else if (!x11->hasWindowManager())
                qCWarning(lcPlatform).noquote()
                    << QStringLiteral("no EWMH window manager is running: windows can be neither listed nor "
                                      "raised until one starts; the trigger, the clipboard and pasting work");
            else
                qCInfo(lcPlatform).noquote() << choice.reason;
            return x11;
        }
        break;
    case Backend::none:
        break;
    }
    return std::make_unique<NullPlatform>();
}

} // namespace lettergate
