#include "settings/ui/ErrorLine.h"

#include "settings/ui/SettingsStyle.h"

namespace lettergate {

ErrorLine::ErrorLine(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("errorText"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    SettingsStyle::setErrorLook(this);
    setVisible(false);
}

void ErrorLine::setMessage(const std::optional<QString> &message)
{
    m_message = message;
    setText(message.value_or(QString()));
    setVisible(message.has_value());
}

} // namespace lettergate
