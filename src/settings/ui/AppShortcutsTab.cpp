#include "settings/ui/AppShortcutsTab.h"

#include "platform/Apps.h"
#include "settings/SettingsStore.h"
#include "settings/ui/AppShortcutRow.h"
#include "settings/ui/ErrorLine.h"
#include "settings/ui/RowList.h"
#include "settings/ui/SettingsStyle.h"
#include "settings/ui/ValidationMessages.h"

#include <QCollator>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace lettergate {

AppShortcutsTab::AppShortcutsTab(SettingsStore &store, Apps &apps, QWidget *parent)
    : SettingsTab(parent)
    , m_store(store)
    , m_apps(apps)
    , m_list(new RowList(QStringLiteral("No apps recorded yet"),
                         QStringLiteral("Open the switcher once to auto-generate initial bindings"), this))
    , m_error(new ErrorLine(this))
{
    m_list->setRowSpacing(2, 8);

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(12, 12, 12, 12);
    footer->setSpacing(10);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(SettingsStyle::caption(
        QStringLiteral(
            "One unique letter per app for instant access; **leave blank to remove the shortcut** (still clickable). "
            "The menu beside each letter picks the keystroke that pastes into its app."),
        this, /*markdown=*/true));
    texts->addWidget(m_error);
    footer->addLayout(texts, 1);
    QPushButton *saveButton = SettingsStyle::saveButton(this);
    connect(saveButton, &QPushButton::clicked, this, &AppShortcutsTab::save);
    footer->addWidget(saveButton, 0, Qt::AlignVCenter);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list, 1);
    layout->addWidget(SettingsStyle::divider(this));
    layout->addLayout(footer);
}

void AppShortcutsTab::reload()
{
    QList<SettingsStore::AppShortcut> apps;
    for (const QString &bundleID : m_store.letters().keys())
        apps.append(m_store.shortcut(bundleID));
    QCollator byName;
    byName.setCaseSensitivity(Qt::CaseInsensitive);
    // Stable, so names equal but for case keep the order of their identifiers.
    std::ranges::stable_sort(apps, [&byName](const SettingsStore::AppShortcut &a, const SettingsStore::AppShortcut &b) {
        return byName.compare(a.name, b.name) < 0;
    });

    m_list->clear();
    for (const SettingsStore::AppShortcut &app : apps)
        m_list->append(new AppShortcutRow(app, m_apps.iconForBundle(app.bundleID)));
    m_error->setMessage(std::nullopt);
}

void AppShortcutsTab::save()
{
    SettingsStore::AppTextMap typed;
    SettingsStore::PasteKeystrokeMap pasteKeystrokes;
    for (const AppShortcutRow *row : rows()) {
        typed.insert(row->bundleID(), row->text());
        if (const std::optional<PasteKeystroke> keystroke = row->pasteKeystroke())
            pasteKeystrokes.insert(row->bundleID(), *keystroke);
    }
    const KeyValidation result = m_store.applyAppShortcuts(typed, pasteKeystrokes);
    m_error->setMessage(ValidationMessages::appShortcuts.messageFor(result));
    if (result.isOk())
        reload();
}

bool AppShortcutsTab::hasUnsavedEdits() const
{
    return std::ranges::any_of(rows(), &AppShortcutRow::isEdited);
}

QList<AppShortcutRow *> AppShortcutsTab::rows() const
{
    QList<AppShortcutRow *> rows;
    for (QWidget *row : m_list->rows())
        rows.append(static_cast<AppShortcutRow *>(row));
    return rows;
}

bool AppShortcutsTab::showsEmptyState() const
{
    return m_list->showsEmptyNotice();
}

std::optional<QString> AppShortcutsTab::errorText() const
{
    return m_error->message();
}

} // namespace lettergate
