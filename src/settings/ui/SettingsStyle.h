#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QFrame;
class QLabel;
class QPalette;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace lettergate {

// The look shared by every tab: fonts, the secondary and signal colours, and the small
// standard pieces (captions, dividers, the Save button, the outlined text editor).
namespace SettingsStyle {

QFont captionFont();
QFont headlineFont();
// The font of multi-line text fields: snippets in the system font, command lines in
// the fixed-pitch one.
QFont editorFont();
QFont monospacedFont();

// Text that explains rather than says: the window text, faded.
QColor secondaryColor(const QPalette &palette);
QColor errorColor();
// The colour at `opacity` of its own opacity.
QColor faded(QColor color, float opacity);
// The colour as a style-sheet value, transparency kept.
QString cssColor(const QColor &color);
QColor grantedColor();

// A word-wrapped caption in the secondary colour; Markdown when `markdown` is set, so
// back-quoted parts show as code and starred parts in bold.
QLabel *caption(const QString &text, QWidget *parent = nullptr, bool markdown = false);
// Caption-sized red text: what went wrong.
void setErrorLook(QLabel *label);
QLabel *headline(const QString &text, QWidget *parent = nullptr);
// A thin horizontal rule between the areas of a tab.
QFrame *divider(QWidget *parent = nullptr);
// "Save", also on Ctrl+S while its tab is the one shown.
QPushButton *saveButton(QWidget *parent = nullptr);
// A multi-line editor `height` pixels high, outlined by a faint rounded rectangle.
QPlainTextEdit *outlinedEditor(const QFont &font, int height, QWidget *parent = nullptr);
// A flat button showing only a symbol, with `help` as its tooltip.
QPushButton *symbolButton(const QIcon &icon, const QString &help, QWidget *parent = nullptr);

} // namespace SettingsStyle

} // namespace lettergate
