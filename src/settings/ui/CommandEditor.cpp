#include "settings/ui/CommandEditor.h"

#include "settings/ui/EditorParts.h"
#include "settings/ui/ExampleUrls.h"
#include "settings/ui/SettingsStyle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lettergate {

CommandEditor::CommandEditor(const Command &command, QWidget *parent)
    : QWidget(parent)
    , m_command(command)
    , m_name(EditorParts::nameField(command.name, 220, this))
    , m_commandLine(SettingsStyle::outlinedEditor(SettingsStyle::monospacedFont(), 60, this))
{
    QVBoxLayout *layout = EditorParts::layOut(this, u"terminal", m_name, {},
                                              [this] { emit deleteRequested(m_command.id); });

    m_commandLine->setObjectName(QStringLiteral("command"));
    m_commandLine->setPlainText(command.command);
    m_commandLine->setInputMethodHints(Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText);
    layout->addWidget(m_commandLine);
    QLabel *examples = SettingsStyle::caption(
        QStringLiteral("e.g. ~/bin/backup.sh, notify-send \"Done\", xdg-open ") + ExampleUrls::web, this);
    layout->addWidget(examples);

    connect(m_name, &QLineEdit::textChanged, this, [this](const QString &name) { m_command.name = name; });
    connect(m_commandLine, &QPlainTextEdit::textChanged, this,
            [this] { m_command.command = m_commandLine->toPlainText(); });
}

} // namespace lettergate
