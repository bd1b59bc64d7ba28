#include "settings/ui/SettingsStyle.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>

namespace lettergate {

namespace {

QFont scaledApplicationFont(qreal factor)
{
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qRound(font.pixelSize() * factor));
    return font;
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

} // namespace

QFont SettingsStyle::captionFont()
{
    return scaledApplicationFont(0.88);
}

QFont SettingsStyle::headlineFont()
{
    QFont font = scaledApplicationFont(1.1);
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont SettingsStyle::editorFont()
{
    return QApplication::font();
}

QFont SettingsStyle::monospacedFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFont body = QApplication::font();
    if (body.pointSizeF() > 0)
        font.setPointSizeF(body.pointSizeF());
    return font;
}

QColor SettingsStyle::secondaryColor(const QPalette &palette)
{
    return faded(palette.color(QPalette::WindowText), 0.6f);
}

QColor SettingsStyle::faded(QColor color, float opacity)
{
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

QString SettingsStyle::cssColor(const QColor &color)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

QColor SettingsStyle::errorColor()
{
    return QColor(0xD9, 0x2D, 0x20);
}

QColor SettingsStyle::grantedColor()
{
    return QColor(0x2E, 0x9E, 0x4F);
}

QLabel *SettingsStyle::caption(const QString &text, QWidget *parent, bool markdown)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(markdown ? Qt::MarkdownText : Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setFont(captionFont());
    setTextColor(label, secondaryColor(label->palette()));
    return label;
}

void SettingsStyle::setErrorLook(QLabel *label)
{
    label->setFont(captionFont());
    setTextColor(label, errorColor());
}

QLabel *SettingsStyle::headline(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(headlineFont());
    return label;
}

QFrame *SettingsStyle::divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    setTextColor(line, secondaryColor(line->palette()).lighter(160));
    return line;
}

QPushButton *SettingsStyle::saveButton(QWidget *parent)
{
    auto *button = new QPushButton(QStringLiteral("Save"), parent);
    button->setObjectName(QStringLiteral("saveButton"));
    button->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    button->setToolTip(QStringLiteral("Ctrl+S"));
    return button;
}

QPlainTextEdit *SettingsStyle::outlinedEditor(const QFont &font, int height, QWidget *parent)
{
    auto *editor = new QPlainTextEdit(parent);
    editor->setFont(font);
    editor->setFixedHeight(height);
    editor->setTabChangesFocus(true);
    // Long lines wrap; a scroll bar along the bottom would eat the small editor's room.
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QColor outline = faded(secondaryColor(editor->palette()), 0.25f);
    editor->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 1px solid %1; border-radius: 6px; padding: 2px; }")
                              .arg(SettingsStyle::cssColor(outline)));
    return editor;
}

QPushButton *SettingsStyle::symbolButton(const QIcon &icon, const QString &help, QWidget *parent)
{
    auto *button = new QPushButton(icon, QString(), parent);
    button->setFlat(true);
    button->setToolTip(help);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace lettergate
