#include "settings/ui/AppShortcutRow.h"

#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SettingsSymbols.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <array>
#include <utility>

namespace lettergate {

namespace {

constexpr int iconSide = 22;

// In menu order, after "Automatic".
constexpr std::array<std::pair<PasteKeystroke, const char *>, 3> pasteKeystrokeLabels{{
    {PasteKeystroke::controlV, "Ctrl+V"},
    {PasteKeystroke::controlShiftV, "Ctrl+Shift+V"},
    {PasteKeystroke::shiftInsert, "Shift+Insert"},
}};

// "Automatic" carries no data; each keystroke carries its stored name.
QComboBox *makePasteKeystrokeChoice(const SettingsStore::AppShortcut &app, QWidget *parent)
{
    auto *choice = new QComboBox(parent);
    choice->setObjectName(QStringLiteral("pasteKeystroke"));
    choice->setAccessibleName(QStringLiteral("Paste keystroke for %1").arg(app.name));
    choice->setToolTip(QStringLiteral("The keystroke that pastes into this app. Automatic: Shift+Insert in "
                                      "terminals, Ctrl+V in other apps."));
    choice->addItem(QStringLiteral("Automatic"));
    for (const auto &[keystroke, label] : pasteKeystrokeLabels)
        choice->addItem(QString::fromLatin1(label), pasteKeystrokeName(keystroke));
    if (app.pasteKeystroke)
        choice->setCurrentIndex(choice->findData(pasteKeystrokeName(*app.pasteKeystroke)));
    return choice;
}

} // namespace

AppShortcutRow::AppShortcutRow(const SettingsStore::AppShortcut &app, const QIcon &icon, QWidget *parent)
    : QWidget(parent)
    , m_bundleID(app.bundleID)
    , m_field(new QLineEdit(this))
    , m_pasteKeystrokeChoice(makePasteKeystrokeChoice(app, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(10);

    auto *iconLabel = new QLabel(this);
    iconLabel->setFixedSize(iconSide, iconSide);
    const qreal ratio = iconLabel->devicePixelRatioF();
    QPixmap picture = icon.pixmap(QSize(iconSide, iconSide), ratio);
    if (picture.isNull())
        picture = SettingsSymbols::tinted(u"app.dashed", iconSide, SettingsStyle::secondaryColor(palette()), ratio);
    iconLabel->setPixmap(picture);
    layout->addWidget(iconLabel);

    auto *name = new QLabel(app.name, this);
    name->setTextFormat(Qt::PlainText);
    layout->addWidget(name, 1);

    m_field->setObjectName(QStringLiteral("letter"));
    m_field->setFixedWidth(50);
    m_field->setAlignment(Qt::AlignCenter);
    m_field->setPlaceholderText(QStringLiteral("None"));
    m_field->setText(app.letter ? app.letter->toUpper() : QString());
    layout->addWidget(m_field);
    layout->addWidget(m_pasteKeystrokeChoice);
    m_shownText = text();
    m_shownPasteKeystroke = pasteKeystroke();
}

bool AppShortcutRow::isEdited() const
{
    return text() != m_shownText || pasteKeystroke() != m_shownPasteKeystroke;
}

QString AppShortcutRow::text() const
{
    return m_field->text();
}

std::optional<PasteKeystroke> AppShortcutRow::pasteKeystroke() const
{
    return pasteKeystrokeNamed(m_pasteKeystrokeChoice->currentData().toString());
}

} // namespace lettergate
