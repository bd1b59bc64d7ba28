#pragma once

#include "stores/Command.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

namespace lettergate {

// One shell command of the working copy: its name and its command line.
class CommandEditor : public QWidget {
    Q_OBJECT
public:
    using Record = Command;

    explicit CommandEditor(const Command &command, QWidget *parent = nullptr);

    const Command &record() const { return m_command; }

    QLineEdit *nameField() const { return m_name; }
    QPlainTextEdit *commandEditor() const { return m_commandLine; }

signals:
    void deleteRequested(const QUuid &id);

private:
    Command m_command;
    QLineEdit *m_name;
    QPlainTextEdit *m_commandLine;
};

} // namespace lettergate
