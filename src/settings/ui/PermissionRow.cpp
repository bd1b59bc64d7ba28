#include "settings/ui/PermissionRow.h"

#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SettingsSymbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

// A green check mark followed by a green "Granted".
QWidget *grantedBadge(QWidget *parent)
{
    auto *badge = new QWidget(parent);
    badge->setObjectName(QStringLiteral("granted"));
    const int side = badge->fontMetrics().height();
    const QPixmap check = SettingsSymbols::tinted(u"checkmark.circle.fill", side, SettingsStyle::grantedColor(),
                                                  badge->devicePixelRatioF());
    auto *icon = new QLabel(badge);
    icon->setPixmap(check);
    auto *text = new QLabel(QStringLiteral("Granted"), badge);
    QPalette green = text->palette();
    green.setColor(QPalette::WindowText, SettingsStyle::grantedColor());
    text->setPalette(green);
    auto *layout = new QHBoxLayout(badge);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(icon);
    layout->addWidget(text);
    return badge;
}

} // namespace

PermissionRow::PermissionRow(const QString &title, std::function<void()> request, QWidget *parent)
    : QWidget(parent)
    , m_grantedBadge(grantedBadge(this))
    , m_grantButton(new QPushButton(QStringLiteral("Grant Access…"), this))
{
    m_grantButton->setObjectName(QStringLiteral("grantAccess"));
    connect(m_grantButton, &QPushButton::clicked, this, [request = std::move(request)] { request(); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *titleLabel = new QLabel(title, this);
    titleLabel->setWordWrap(true);
    layout->addWidget(titleLabel, 1);
    layout->addWidget(m_grantedBadge);
    layout->addWidget(m_grantButton);
    setGranted(false);
}

void PermissionRow::setGranted(bool granted)
{
    m_granted = granted;
    m_grantedBadge->setVisible(granted);
    m_grantButton->setVisible(!granted);
}
