#include "settings/ui/PermissionRow.h"

#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SettingsSymbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace lettergate {

PermissionRow::PermissionRow(const QString &actionLabel, std::function<void()> action, QWidget *parent)
    : QWidget(parent)
    , m_mark(new QLabel(this))
    , m_text(new QLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_mark);
    m_text->setWordWrap(true);
    // It shows names other programs chose (the window manager's).
    m_text->setTextFormat(Qt::PlainText);
    layout->addWidget(m_text, 1);
    if (action) {
        m_action = new QPushButton(actionLabel, this);
        m_action->setObjectName(QStringLiteral("permissionAction"));
        connect(m_action, &QPushButton::clicked, this, [action = std::move(action)] { action(); });
        layout->addWidget(m_action);
    }
    setState(false, {});
}

void PermissionRow::setState(bool granted, const QString &text)
{
    m_granted = granted;
    const QColor color = granted ? SettingsStyle::grantedColor() : SettingsStyle::errorColor();
    m_mark->setPixmap(SettingsSymbols::tinted(granted ? u"checkmark.circle.fill" : u"exclamationmark.triangle.fill",
                                              fontMetrics().height(), color, devicePixelRatioF()));
    m_text->setText(text);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, color);
    m_text->setPalette(palette);
    if (m_action)
        m_action->setVisible(!granted);
}

QString PermissionRow::stateText() const
{
    return m_text->text();
}

bool PermissionRow::offersAction() const
{
    return m_action && !m_granted;
}

} // namespace lettergate
