#include "app/TrayStatus.h"

#include "hotkeys/HotkeyManager.h"
#include "hotkeys/TriggerAlerts.h"

#include <QPainter>
#include <QPixmap>

namespace lettergate {

namespace {

// Tray sizes of the common panels, so that no size is scaled from another.
constexpr int traySizes[] = {16, 22, 24, 32, 48, 64};

// An amber disc with a white exclamation mark, drawn without a font so it looks the
// same on every desktop.
void paintWarningBadge(QPainter &painter, int side)
{
    const qreal diameter = side * 0.6;
    const QRectF disc(side - diameter, side - diameter, diameter, diameter);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xe6, 0x8a, 0x00));
    painter.drawEllipse(disc);
    painter.setBrush(Qt::white);
    const qreal stroke = diameter * 0.16;
    const qreal x = disc.center().x() - stroke / 2;
    painter.drawRect(QRectF(x, disc.top() + diameter * 0.18, stroke, diameter * 0.42));
    painter.drawRect(QRectF(x, disc.top() + diameter * 0.68, stroke, stroke));
}

QIcon withWarningBadge(const QIcon &icon)
{
    QIcon badged;
    for (const int side : traySizes) {
        QPixmap picture = icon.pixmap(side, side);
        if (picture.isNull()) {
            picture = QPixmap(side, side);
            picture.fill(Qt::transparent);
        }
        QPainter painter(&picture);
        paintWarningBadge(painter, side);
        painter.end();
        badged.addPixmap(picture);
    }
    return badged;
}

} // namespace

TrayStatus::TrayStatus(HotkeyManager &trigger, QObject *parent)
    : QObject(parent)
    , m_trigger(trigger)
    , m_normalIcon(QStringLiteral(":/lettergate/lettergate.svg"))
{
    connect(&trigger, &HotkeyManager::stateChanged, this, &TrayStatus::changed);
}

bool TrayStatus::isWarning() const
{
    return !triggerProblem(m_trigger).isEmpty();
}

QIcon TrayStatus::icon() const
{
    if (!isWarning())
        return m_normalIcon;
    if (!m_warningIcon)
        m_warningIcon = withWarningBadge(m_normalIcon);
    return *m_warningIcon;
}

QString TrayStatus::toolTip() const
{
    return isWarning() ? QStringLiteral("Lettergate: ") + triggerProblem(m_trigger) : QStringLiteral("Lettergate");
}

} // namespace lettergate
