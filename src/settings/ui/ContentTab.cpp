#include "settings/ui/ContentTab.h"

#include "settings/Characters.h"
#include "settings/ui/ErrorLine.h"
#include "settings/ui/RowList.h"
#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SettingsSymbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lettergate {

namespace {
constexpr int padding = 12;
}

ContentTab::ContentTab(const Texts &texts, QWidget *parent)
    : SettingsTab(parent)
    , m_error(new ErrorLine(this))
    , m_headerButtons(new QHBoxLayout)
    , m_keyArea(new QVBoxLayout)
    , m_rows(new RowList(texts.emptyTitle, texts.emptyCaption, this))
{
    auto *header = new QHBoxLayout;
    header->setContentsMargins(padding, padding, padding, padding);
    header->setSpacing(10);
    header->addWidget(SettingsStyle::headline(texts.title, this));
    // While it shows, the error takes the width between the title and the buttons.
    header->addWidget(m_error, 1);
    header->addStretch();
    m_headerButtons->setSpacing(10);
    header->addLayout(m_headerButtons);
    QPushButton *saveButton = SettingsStyle::saveButton(this);
    connect(saveButton, &QPushButton::clicked, this, &ContentTab::save);
    header->addWidget(saveButton);

    m_keyArea->setContentsMargins(padding, padding, padding, padding);
    m_keyArea->setSpacing(12);
    m_rows->setRowSpacing(12, padding);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(header);
    layout->addWidget(SettingsStyle::divider(this));
    layout->addLayout(m_keyArea);
    layout->addWidget(SettingsStyle::divider(this));
    layout->addWidget(m_rows, 1);
}

std::optional<QString> ContentTab::errorText() const
{
    return m_error->message();
}

QPushButton *ContentTab::addHeaderButton(const QString &title, QStringView symbol)
{
    auto *button = new QPushButton(SettingsSymbols::icon(symbol), title, this);
    m_headerButtons->addWidget(button);
    return button;
}

void ContentTab::setErrorText(const std::optional<QString> &text)
{
    m_error->setMessage(text);
}

QString ContentTab::typedKey(const QString &fieldText)
{
    return Characters::first(fieldText).toLower();
}

} // namespace lettergate
