#pragma once

#include <QObject>
#include <QWindow>
#include <atomic>

namespace lettergate {

// Whether our panel has been on the screen, for pictures cut from the screen, which must
// never show it: a picture taken while it showed, or begun before it showed and ended
// after, is thrown away. Followed on the GUI thread, asked from capture threads.
class PanelOnScreen final : public QObject {
public:
    // A count of the panel's showings and hidings: odd while it shows.
    using Moment = quint64;

    void follow(QWindow &panel)
    {
        connect(&panel, &QWindow::visibleChanged, this, [this](bool visible) {
            if (visible != isShown(m_changes.load()))
                ++m_changes;
        });
    }

    Moment now() const { return m_changes.load(); }
    // Whether the panel stayed hidden from `since` to now.
    bool hiddenThroughout(Moment since) const { return !isShown(since) && m_changes.load() == since; }

private:
    static bool isShown(Moment moment) { return moment % 2 == 1; }

    std::atomic<Moment> m_changes = 0;
};

} // namespace lettergate
