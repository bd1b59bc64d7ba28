#pragma once

#include "panel/SpringCurve.h"

#include <QImage>
#include <QWidget>

class QVariantAnimation;

namespace lettergate {

// The change from one page to the next, drawn over the page area: the leaving page
// fades out while it scales towards `leavingScale`, the arriving page fades in while it
// scales from `arrivingScale` to full size, both about the centre and both following
// the spring. The pages are pictures taken when the change began; the live arriving
// page stays beneath, hidden, and takes the clicks.
class PageTransition : public QWidget {
    Q_OBJECT
public:
    struct Page {
        QImage picture;
        qreal scale = 1;
    };

    PageTransition(Page leaving, Page arriving, SpringCurve spring, QWidget *parent);

    // Runs the change; finished() follows when the spring has settled.
    void start();
    // Ends the change at once.
    void finish();
    qreal progress() const { return m_progress; }
    qreal leavingScale() const { return m_leaving.scale; }
    qreal arrivingScale() const { return m_arriving.scale; }
    const SpringCurve &spring() const { return m_spring; }

signals:
    void finished();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintPage(QPainter &painter, const Page &page, qreal opacity, qreal scale);

    Page m_leaving;
    Page m_arriving;
    SpringCurve m_spring;
    QVariantAnimation *m_clock;
    qreal m_progress = 0;
};

} // namespace lettergate
