#include "panel/PageArea.h"

#include "panel/PageTransition.h"

#include <QGraphicsOpacityEffect>

namespace lettergate {

namespace {

// The page as it draws itself, over nothing: grab() would put the palette's window
// colour behind it, and the pictures would flash light grey over the panel while they
// fade. Drawn at the page's pixel density.
QImage pictureOf(QWidget *page)
{
    const qreal ratio = page->devicePixelRatioF();
    QImage picture((QSizeF(page->size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    page->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    return picture;
}

} // namespace

PageArea::PageArea(QWidget *parent)
    : QWidget(parent)
{
}

qreal PageArea::scaleFor(Stage stage)
{
    return stage == Stage::apps() ? appsPageScale : otherPageScale;
}

void PageArea::endTransition()
{
    if (!m_transition)
        return;
    PageTransition *ending = m_transition;
    m_transition = nullptr;
    ending->hide();
    ending->deleteLater();
    if (m_page)
        m_page->setGraphicsEffect(nullptr);
}

void PageArea::setPage(QWidget *page, Stage stage, std::optional<Spring> spring)
{
    const bool stageChanges = stage != m_stage;
    // A redraw of the same page lets a running transition finish; a new page ends it.
    if (stageChanges)
        endTransition();
    QWidget *leaving = m_page;
    const Stage leavingStage = m_stage;
    const bool animate = spring && leaving && stageChanges;
    const QImage leavingPicture = animate ? pictureOf(leaving) : QImage();

    page->setParent(this);
    page->move(0, 0);
    page->show();
    m_page = page;
    m_stage = stage;
    if (leaving) {
        // Deleted later while shown: the click that led here may still be on its way out
        // of it. A hidden area has no click on its way, and a page deleted once the area
        // is shown again would have its area painted a second time.
        leaving->hide();
        if (isVisible())
            leaving->deleteLater();
        else
            delete leaving;
    }
    if (animate) {
        m_transition = new PageTransition({leavingPicture, scaleFor(leavingStage)}, {pictureOf(page), scaleFor(stage)},
                                          SpringCurve{spring->response, spring->dampingFraction}, this);
        m_transition->setGeometry(rect());
        connect(m_transition, &PageTransition::finished, this, &PageArea::endTransition);
        m_transition->start();
    }
    if (m_transition) {
        // Hidden while the pictures move, yet under the pointer for clicks.
        auto *hidden = new QGraphicsOpacityEffect(page);
        hidden->setOpacity(0);
        page->setGraphicsEffect(hidden);
        m_transition->raise();
    }
}

} // namespace lettergate
