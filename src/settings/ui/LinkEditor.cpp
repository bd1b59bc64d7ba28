#include "settings/ui/LinkEditor.h"

#include "settings/ui/EditorParts.h"
#include "settings/ui/ExampleUrls.h"
#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SettingsSymbols.h"
#include "stores/LinkStore.h"
#include "stores/Whitespace.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lettergate {

LinkEditor::LinkEditor(const QuickLink &link, LinkStore &store, QWidget *parent)
    : QWidget(parent)
    , m_link(link)
    , m_name(EditorParts::nameField(link.name, 220, this))
    , m_url(new QLineEdit(link.url, this))
    , m_open(
          SettingsStyle::symbolButton(SettingsSymbols::icon(u"arrow.up.forward.app"), QStringLiteral("Open now"), this))
{
    m_open->setObjectName(QStringLiteral("openNow"));
    QVBoxLayout *layout = EditorParts::layOut(this, u"globe", m_name, {m_open},
                                              [this] { emit deleteRequested(m_link.id); });
    layout->addWidget(m_url);

    m_url->setObjectName(QStringLiteral("url"));
    m_url->setFont(SettingsStyle::monospacedFont());
    m_url->setPlaceholderText(ExampleUrls::web + QStringLiteral("  or  ") + ExampleUrls::appScheme);
    m_url->setInputMethodHints(Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText | Qt::ImhUrlCharactersOnly);

    auto showUrl = [this](const QString &url) {
        m_link.url = url;
        m_open->setEnabled(!Whitespace::isBlank(url));
    };
    showUrl(link.url);
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString &name) { m_link.name = name; });
    connect(m_url, &QLineEdit::textChanged, this, showUrl);
    connect(m_open, &QPushButton::clicked, this, [this, &store] { store.open(m_link.url); });
}

} // namespace lettergate
