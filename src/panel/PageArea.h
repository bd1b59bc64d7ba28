#pragma once

#include "panel/PageTransition.h"
#include "switcher/Stage.h"

#include <QPointer>
#include <QWidget>
#include <optional>

namespace lettergate {

// Holds the current page. A change of stage that the view model animates plays as a
// page transition: the apps page scales between 0.94 and full size, the other pages
// between 1.06 and full size, while they fade; the two pages overlap meanwhile.
class PageArea : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal appsPageScale = 0.94;
    static constexpr qreal otherPageScale = 1.06;

    explicit PageArea(QWidget *parent = nullptr);

    // Shows `page` (taking it) for `stage`. With a spring and a stage other than the
    // shown one the change is animated; otherwise the page replaces the shown one at once
    // (beneath a transition still running towards it).
    void setPage(QWidget *page, Stage stage, std::optional<Spring> spring);

    QWidget *page() const { return m_page; }
    PageTransition *transition() const { return m_transition; }

private:
    static qreal scaleFor(Stage stage);
    void endTransition();

    QWidget *m_page = nullptr;
    Stage m_stage;
    QPointer<PageTransition> m_transition;
};

} // namespace lettergate
