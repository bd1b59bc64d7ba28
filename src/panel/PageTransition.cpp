#include "panel/PageTransition.h"

#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace lettergate {

PageTransition::PageTransition(Page leaving, Page arriving, SpringCurve spring, QWidget *parent)
    : QWidget(parent)
    , m_leaving(std::move(leaving))
    , m_arriving(std::move(arriving))
    , m_spring(spring)
    , m_clock(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    // The clock runs in milliseconds; the spring turns time into progress.
    m_clock->setStartValue(0.0);
    m_clock->setEndValue(m_spring.settlingSeconds() * 1000);
    m_clock->setDuration(int(std::ceil(m_spring.settlingSeconds() * 1000)));
    connect(m_clock, &QVariantAnimation::valueChanged, this, [this](const QVariant &milliseconds) {
        m_progress = m_spring.value(milliseconds.toDouble() / 1000);
        update();
    });
    connect(m_clock, &QVariantAnimation::finished, this, &PageTransition::finish);
}

void PageTransition::start()
{
    raise();
    show();
    m_clock->start();
}

void PageTransition::finish()
{
    m_clock->stop();
    m_progress = 1;
    emit finished();
}

void PageTransition::paintPage(QPainter &painter, const Page &page, qreal opacity, qreal scale)
{
    if (opacity <= 0 || page.picture.isNull())
        return;
    painter.save();
    painter.setOpacity(qMin<qreal>(opacity, 1));
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    painter.drawImage(QPointF(0, 0), page.picture);
    painter.restore();
}

void PageTransition::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal p = m_progress;
    paintPage(painter, m_leaving, 1 - p, 1 + (m_leaving.scale - 1) * p);
    paintPage(painter, m_arriving, p, m_arriving.scale + (1 - m_arriving.scale) * p);
}

} // namespace lettergate
