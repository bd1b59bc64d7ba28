#include "app/PasteKeystrokeChoice.h"

#include <QSet>

namespace lettergate {

namespace {

// The window classes of terminals that may run without a desktop entry, lower-cased.
const QSet<QString> &terminalWindowClasses()
{
    static const QSet<QString> classes{
        QStringLiteral("xterm"),
        QStringLiteral("uxterm"),
        QStringLiteral("urxvt"),
        QStringLiteral("rxvt"),
        QStringLiteral("alacritty"),
        QStringLiteral("kitty"),
        QStringLiteral("foot"),
        QStringLiteral("footclient"),
        QStringLiteral("st"),
        QStringLiteral("st-256color"),
        QStringLiteral("konsole"),
        QStringLiteral("gnome-terminal"),
        QStringLiteral("gnome-terminal-server"),
        QStringLiteral("xfce4-terminal"),
        QStringLiteral("terminator"),
        QStringLiteral("tilix"),
        QStringLiteral("lxterminal"),
        QStringLiteral("mate-terminal"),
        QStringLiteral("sakura"),
        QStringLiteral("terminology"),
        QStringLiteral("wezterm"),
        QStringLiteral("org.wezfurlong.wezterm"),
        QStringLiteral("qterminal"),
        QStringLiteral("eterm"),
    };
    return classes;
}

} // namespace

bool isTerminalEmulator(const QString &bundleID, const QStringList &categories)
{
    if (!categories.isEmpty())
        return categories.contains(QStringLiteral("TerminalEmulator"));
    return terminalWindowClasses().contains(bundleID.toLower());
}

PasteKeystroke pasteKeystrokeFor(const QString &bundleID, std::optional<PasteKeystroke> chosen,
                                 const QStringList &categories)
{
    if (chosen)
        return *chosen;
    if (isTerminalEmulator(bundleID, categories))
        return PasteKeystroke::shiftInsert;
    return PasteKeystroke::controlV;
}

} // namespace lettergate
