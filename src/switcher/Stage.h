#pragma once

#include <QMetaType>
#include <QtGlobal>
#include <optional>

namespace lettergate {

// The page the panel shows: one app's windows, the apps, or one full list.
class Stage {
public:
    enum class Kind { windows, apps, clipboard, snippets, links, commands };

    static constexpr Stage windows(qint32 pid) { return Stage(Kind::windows, pid); }
    static constexpr Stage apps() { return Stage(Kind::apps); }
    static constexpr Stage clipboard() { return Stage(Kind::clipboard); }
    static constexpr Stage snippets() { return Stage(Kind::snippets); }
    static constexpr Stage links() { return Stage(Kind::links); }
    static constexpr Stage commands() { return Stage(Kind::commands); }

    constexpr Stage() = default; // the apps page
    constexpr Kind kind() const { return m_kind; }
    // The app whose windows are shown, by its AppEntry::pid; meaningful on a windows
    // page only.
    constexpr qint32 pid() const { return m_pid; }

    // Equal kinds, and for windows pages equal pids (the pid of other pages is always 0).
    friend constexpr bool operator==(Stage, Stage) = default;

private:
    constexpr explicit Stage(Kind kind, qint32 pid = 0)
        : m_kind(kind)
        , m_pid(pid)
    {
    }

    Kind m_kind = Kind::apps;
    qint32 m_pid = 0;
};

// A list key armed on the apps page, waiting for the key that picks from its list.
enum class Prefix { clipboard, snippet, link, command };

// How the panel animates a change of page: a spring with this response (seconds) and
// damping fraction, blended over blendDuration.
struct Spring {
    double response = 0;
    double dampingFraction = 0;
    double blendDuration = 0;

    friend constexpr bool operator==(const Spring &, const Spring &) = default;
};

namespace Springs {
// Moving into a page: an app's windows or a full list.
inline constexpr Spring forward{0.34, 0.82, 0};
// Going back to the apps page.
inline constexpr Spring back{0.32, 0.82, 0};
} // namespace Springs

} // namespace lettergate

Q_DECLARE_METATYPE(lettergate::Stage)
Q_DECLARE_METATYPE(std::optional<lettergate::Prefix>)
Q_DECLARE_METATYPE(std::optional<lettergate::Spring>)
