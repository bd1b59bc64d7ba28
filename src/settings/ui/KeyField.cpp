#include "settings/ui/KeyField.h"

#include "settings/ui/SettingsStyle.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace lettergate {

KeyField::KeyField(const QString &caption, const QString &name, QWidget *parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    QLabel *label = SettingsStyle::caption(caption, this);
    label->setWordWrap(false);
    layout->addWidget(label);
    m_edit->setObjectName(name);
    m_edit->setFixedWidth(44);
    m_edit->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_edit, 0, Qt::AlignLeft);
}

QString KeyField::text() const
{
    return m_edit->text();
}

void KeyField::setText(const QString &text)
{
    m_edit->setText(text);
}

} // namespace lettergate
