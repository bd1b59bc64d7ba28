#include "settings/ui/KeyExampleHelp.h"

#include "settings/ui/SettingsStyle.h"

#include <QLabel>
#include <QLineEdit>

namespace lettergate {

namespace {

// The example is the user's text: punctuation in it must not turn into formatting.
QString markdownEscaped(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c.unicode() < 0x80 && (c.isPunct() || c.isSymbol()))
            escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

} // namespace

QLabel *keyExampleHelp(QLineEdit *keyField, const QString &defaultExample,
                       std::function<QString(const QString &example)> compose, QWidget *parent)
{
    QLabel *help = SettingsStyle::caption(QString(), parent, /*markdown=*/true);
    auto showExampleFor = [help, defaultExample, compose = std::move(compose)](const QString &typed) {
        help->setText(compose(typed.isEmpty() ? defaultExample : markdownEscaped(typed.toUpper())));
    };
    showExampleFor(keyField->text());
    QObject::connect(keyField, &QLineEdit::textChanged, help, showExampleFor);
    return help;
}

} // namespace lettergate
