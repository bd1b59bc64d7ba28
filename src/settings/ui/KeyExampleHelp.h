#pragma once

#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
class QWidget;

namespace lettergate {

// A tab's help text, which names the tab's key as an example: the key field's text in
// upper case as it is typed, or the key's default letter while the field is empty.
// `compose` builds the Markdown text around the example.
QLabel *keyExampleHelp(QLineEdit *keyField, const QString &defaultExample,
                       std::function<QString(const QString &example)> compose, QWidget *parent = nullptr);

} // namespace lettergate
