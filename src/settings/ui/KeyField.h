#pragma once

#include <QWidget>

class QLineEdit;

namespace lettergate {

// One list key as typed: a caption above a narrow field. Nothing typed is filtered;
// the settings store judges the key at Save.
class KeyField : public QWidget {
    Q_OBJECT
public:
    // `name` becomes the field's object name ("clipboardKey", "linkKey"…).
    KeyField(const QString &caption, const QString &name, QWidget *parent = nullptr);

    QLineEdit *edit() const { return m_edit; }
    QString text() const;
    void setText(const QString &text);

private:
    QLineEdit *m_edit;
};

} // namespace lettergate
