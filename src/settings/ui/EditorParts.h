#pragma once

#include <QString>
#include <QStringView>

#include <QList>
#include <functional>

class QLineEdit;
class QVBoxLayout;
class QWidget;

namespace lettergate {

// The pieces every list editor is made of.
namespace EditorParts {

// Lays an editor out: a first line with the record's kind as a symbol in the secondary
// colour, its name, any `extras` and a red trash button that runs `onDelete`; below
// it, 8 pixels apart, what the answered column receives.
QVBoxLayout *layOut(QWidget *editor, QStringView kindSymbol, QLineEdit *name, const QList<QWidget *> &extras,
                    std::function<void()> onDelete);
// The record's name, at most `maximumWidth` wide.
QLineEdit *nameField(const QString &name, int maximumWidth, QWidget *parent);

} // namespace EditorParts

} // namespace lettergate
