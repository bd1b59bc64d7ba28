#include "settings/ui/AppShortcutRow.h"

#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SettingsSymbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
constexpr int iconSide = 22;
}

AppShortcutRow::AppShortcutRow(const SettingsStore::AppShortcut &app, const QIcon &icon, QWidget *parent)
    : QWidget(parent)
    , m_bundleID(app.bundleID)
    , m_field(new QLineEdit(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(10);

    auto *iconLabel = new QLabel(this);
    iconLabel->setFixedSize(iconSide, iconSide);
    const qreal ratio = iconLabel->devicePixelRatioF();
    QPixmap picture = icon.pixmap(QSize(iconSide, iconSide), ratio);
    if (picture.isNull())
        picture = SettingsSymbols::tinted(u"app.dashed", iconSide, SettingsStyle::secondaryColor(palette()), ratio);
    iconLabel->setPixmap(picture);
    layout->addWidget(iconLabel);

    auto *name = new QLabel(app.name, this);
    name->setTextFormat(Qt::PlainText);
    layout->addWidget(name, 1);

    m_field->setObjectName(QStringLiteral("letter"));
    m_field->setFixedWidth(50);
    m_field->setAlignment(Qt::AlignCenter);
    m_field->setPlaceholderText(QStringLiteral("None"));
    m_field->setText(app.letter ? app.letter->toUpper() : QString());
    layout->addWidget(m_field);
}

QString AppShortcutRow::text() const
{
    return m_field->text();
}
