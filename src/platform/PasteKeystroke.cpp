#include "platform/PasteKeystroke.h"

#include <array>
#include <utility>

namespace lettergate {

namespace {

constexpr std::array<std::pair<PasteKeystroke, const char16_t *>, 3> names{{
    {PasteKeystroke::controlV, u"ctrl+v"},
    {PasteKeystroke::controlShiftV, u"ctrl+shift+v"},
    {PasteKeystroke::shiftInsert, u"shift+insert"},
}};

} // namespace

QString pasteKeystrokeName(PasteKeystroke keystroke)
{
    for (const auto &[candidate, name] : names) {
        if (candidate == keystroke)
            return QString::fromUtf16(name);
    }
    Q_UNREACHABLE();
}

std::optional<PasteKeystroke> pasteKeystrokeNamed(const QString &name)
{
    const QString wanted = name.trimmed().toLower();
    for (const auto &[keystroke, candidate] : names) {
        if (wanted == QString::fromUtf16(candidate))
            return keystroke;
    }
    return std::nullopt;
}

} // namespace lettergate
