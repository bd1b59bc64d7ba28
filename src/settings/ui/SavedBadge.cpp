#include "settings/ui/SavedBadge.h"

#include "settings/SaveIndicator.h"
#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SettingsSymbols.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace lettergate {

namespace {

constexpr int horizontalPadding = 12;
constexpr int verticalPadding = 6;
constexpr int symbolGap = 5;
constexpr int shadowOffset = 2;
constexpr int shadowBlur = 4;
const QColor badgeGreen(0x30, 0xA8, 0x4E, int(0.92 * 255));
const QColor badgeRed(0xD7, 0x3A, 0x35, int(0.95 * 255));

QFont badgeFont()
{
    QFont font = SettingsStyle::captionFont();
    font.setWeight(QFont::Medium);
    return font;
}

const QString savedText = QStringLiteral("Saved");

} // namespace

SavedBadge::SavedBadge(SaveIndicator &saveIndicator, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("savedBadge"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setFont(badgeFont());
    m_text = savedText;
    resize(sizeHint());
    hide();

    m_hideTimer.setSingleShot(true);
    // Not a coarse timer, which may run out up to 5 % early.
    m_hideTimer.setTimerType(Qt::PreciseTimer);
    m_hideTimer.setInterval(hideDelay);
    connect(&m_hideTimer, &QTimer::timeout, this, [this] { setShowing(false); });
    connect(&m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &value) { setReveal(value.toReal()); });
    connect(&m_animation, &QVariantAnimation::finished, this, [this] {
        if (!m_showing)
            hide();
    });
    connect(&saveIndicator, &SaveIndicator::tickChanged, this, &SavedBadge::flash);
    connect(&saveIndicator, &SaveIndicator::failureChanged, this, &SavedBadge::showFailure);
    parent->installEventFilter(this);
    showFailure(saveIndicator.failure());
}

QSize SavedBadge::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int textHeight = metrics.height();
    int width = horizontalPadding * 2 + textHeight + symbolGap + metrics.horizontalAdvance(m_text);
    // A long reason is cut rather than run off the window.
    if (const QWidget *host = parentWidget(); host && host->width() > 2 * bottomMargin)
        width = std::min(width, host->width() - 2 * bottomMargin);
    // Room below the capsule for its shadow.
    return {width, textHeight + verticalPadding * 2 + shadowOffset + shadowBlur};
}

void SavedBadge::flash()
{
    // A failure still standing is not covered up by another file's save.
    if (m_showsFailure)
        return;
    setShowing(true);
    m_hideTimer.start();
}

void SavedBadge::showFailure(const QString &failure)
{
    const bool wasFailure = m_showsFailure;
    m_showsFailure = !failure.isEmpty();
    m_text = m_showsFailure ? QStringLiteral("Not saved: ") + failure : savedText;
    setToolTip(m_showsFailure ? m_text : QString());
    place();
    update();
    if (m_showsFailure) {
        m_hideTimer.stop();
        setShowing(true);
    } else if (wasFailure) {
        // Written again: "Saved" for a moment, then gone.
        m_hideTimer.start();
    }
}

void SavedBadge::setShowing(bool showing)
{
    if (m_showing == showing)
        return;
    m_showing = showing;
    m_animation.stop();
    m_animation.setStartValue(m_reveal);
    m_animation.setEndValue(showing ? 1.0 : 0.0);
    m_animation.setDuration(int((showing ? fadeIn : fadeOut).count()));
    m_animation.setEasingCurve(showing ? QEasingCurve::OutCubic : QEasingCurve::InCubic);
    if (showing) {
        show();
        raise();
    }
    m_animation.start();
    emit showingChanged(showing);
}

void SavedBadge::setReveal(qreal reveal)
{
    m_reveal = reveal;
    place();
    update();
}

void SavedBadge::place()
{
    const QSize size = sizeHint();
    const QWidget *host = parentWidget();
    // The capsule's bottom edge, not its shadow's, rests bottomMargin above the host's.
    const int capsuleHeight = size.height() - shadowOffset - shadowBlur;
    const int restingTop = host->height() - bottomMargin - capsuleHeight;
    const int hiddenTop = host->height();
    const int top = qRound(hiddenTop + (restingTop - hiddenTop) * m_reveal);
    setGeometry((host->width() - size.width()) / 2, top, size.width(), size.height());
}

bool SavedBadge::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QWidget::eventFilter(watched, event);
}

void SavedBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_reveal);

    const QFontMetrics metrics(font());
    const QRectF capsule(0.5, 0.5, width() - 1.0, metrics.height() + verticalPadding * 2.0);
    const qreal radius = capsule.height() / 2;

    // A soft shadow: a few widening, fading outlines below the capsule.
    for (int spread = shadowBlur; spread >= 1; --spread) {
        QPainterPath shadow;
        const QRectF area = capsule.translated(0, shadowOffset).adjusted(-spread / 2.0, 0, spread / 2.0, spread / 2.0);
        shadow.addRoundedRect(area, area.height() / 2, area.height() / 2);
        painter.fillPath(shadow, QColor(0, 0, 0, int(0.2 * 255 / shadowBlur)));
    }

    QPainterPath body;
    body.addRoundedRect(capsule, radius, radius);
    painter.fillPath(body, m_showsFailure ? badgeRed : badgeGreen);

    const int symbolSide = metrics.height();
    const QPointF symbolAt(horizontalPadding, capsule.top() + verticalPadding);
    const QStringView symbol = m_showsFailure ? u"exclamationmark.triangle.fill" : u"checkmark.circle.fill";
    painter.drawPixmap(symbolAt, SettingsSymbols::tinted(symbol, symbolSide, Qt::white, devicePixelRatioF()));
    painter.setPen(Qt::white);
    const qreal textLeft = horizontalPadding + symbolSide + symbolGap;
    const QRectF textArea(textLeft, capsule.top(), width() - textLeft - horizontalPadding + 1, capsule.height());
    painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft,
                     metrics.elidedText(m_text, Qt::ElideRight, int(textArea.width())));
}

} // namespace lettergate
