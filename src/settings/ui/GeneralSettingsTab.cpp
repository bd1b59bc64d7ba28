#include "settings/ui/GeneralSettingsTab.h"

#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "platform/ScreenCapture.h"
#include "platform/SystemTray.h"
#include "settings/SettingsStore.h"
#include "settings/ui/HotkeyRecorderButton.h"
#include "settings/ui/PermissionRow.h"
#include "settings/ui/SettingsStyle.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

using HKMode = GeneralSettingsTab::HKMode;
using ModifierKey = HotkeyConfig::ModifierKey;

// The Modifier picker's titles, in ModifierKey order.
QString modifierTitle(ModifierKey key)
{
    switch (key) {
    case ModifierKey::Command: return QStringLiteral("⌘ Command");
    case ModifierKey::Option: return QStringLiteral("⌥ Option");
    case ModifierKey::Control: return QStringLiteral("⌃ Control");
    case ModifierKey::Shift: return QStringLiteral("⇧ Shift");
    }
    return {};
}

QGroupBox *section(const QString &title, QLayout *content)
{
    auto *box = new QGroupBox(title);
    box->setLayout(content);
    return box;
}

QFormLayout *sectionForm()
{
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setLabelAlignment(Qt::AlignLeft);
    form->setVerticalSpacing(8);
    return form;
}

} // namespace

GeneralSettingsTab::GeneralSettingsTab(SettingsStore &store, Platform &platform, QWidget *parent)
    : SettingsTab(parent)
    , m_store(store)
    , m_platform(platform)
    , m_launchAtLogin(QCoreApplication::applicationFilePath())
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->setSpacing(12);
    layout->addWidget(activationSection());
    layout->addWidget(dockSection());
    layout->addWidget(loginSection());
    layout->addWidget(permissionsSection());
    layout->addStretch();
    layout->addWidget(makeQuitButton(), 0, Qt::AlignRight);
    reload();
}

QPushButton *GeneralSettingsTab::makeQuitButton()
{
    // Without a tray there is no tray menu to quit from.
    m_quit = new QPushButton(QStringLiteral("Quit Lettergate"));
    m_quit->setObjectName(QStringLiteral("quit"));
    connect(m_quit, &QPushButton::clicked, qApp, &QCoreApplication::quit);
    SystemTray &tray = m_platform.systemTray();
    m_quit->setHidden(tray.isPresent());
    connect(&tray, &SystemTray::presenceChanged, m_quit, &QWidget::setHidden);
    return m_quit;
}

QWidget *GeneralSettingsTab::activationSection()
{
    m_activationForm = sectionForm();

    auto *segments = new QWidget;
    auto *segmentsLayout = new QHBoxLayout(segments);
    segmentsLayout->setContentsMargins(0, 0, 0, 0);
    segmentsLayout->setSpacing(0);
    m_modePicker = new QButtonGroup(this);
    const std::pair<HKMode, QString> modes[]
        = {{HKMode::Combo, QStringLiteral("Key Combo")}, {HKMode::DoubleMod, QStringLiteral("Double-tap Modifier")}};
    for (const auto &[mode, title] : modes) {
        auto *segment = new QPushButton(title, segments);
        segment->setCheckable(true);
        m_modePicker->addButton(segment, int(mode));
        segmentsLayout->addWidget(segment);
    }
    connect(m_modePicker, &QButtonGroup::idClicked, this, [this](int id) { setMode(HKMode(id)); });
    m_activationForm->addRow(QStringLiteral("Trigger"), segments);

    m_recorder = new HotkeyRecorderButton(m_store);
    m_activationForm->addRow(QStringLiteral("Hotkey"), m_recorder);
    m_comboHelp = SettingsStyle::caption(QStringLiteral(
        "Click the button, then press your shortcut (must include ⌘ / ⌥ / ⌃ / ⇧). Applies immediately."));
    m_activationForm->addRow(m_comboHelp);

    m_modifierPicker = new QComboBox;
    m_modifierPicker->setObjectName(QStringLiteral("modifierPicker"));
    for (const ModifierKey key : ModifierKeys::all)
        m_modifierPicker->addItem(modifierTitle(key));
    connect(m_modifierPicker, &QComboBox::activated, this, [this](int index) { setModKey(ModifierKeys::all[index]); });
    m_activationForm->addRow(QStringLiteral("Modifier"), m_modifierPicker);
    m_doubleTapHelp = SettingsStyle::caption(QStringLiteral(
        "Double-tap this modifier to open the panel. Requires Accessibility; normal copy/paste won't trigger it."));
    m_activationForm->addRow(m_doubleTapHelp);

    return section(QStringLiteral("Activation Hotkey"), m_activationForm);
}

QWidget *GeneralSettingsTab::dockSection()
{
    auto *form = sectionForm();
    auto *showInDock = new QCheckBox(QStringLiteral("Show in Dock"));
    showInDock->setChecked(m_store.showInDock());
    connect(showInDock, &QCheckBox::clicked, &m_store, &SettingsStore::setShowInDock);
    connect(&m_store, &SettingsStore::showInDockChanged, showInDock, &QCheckBox::setChecked);
    form->addRow(showInDock);
    form->addRow(SettingsStyle::caption(
        QStringLiteral("When enabled, Lettergate shows a Dock icon. Click the Dock icon to open Settings.")));
    return section(QStringLiteral("Dock"), form);
}

QWidget *GeneralSettingsTab::loginSection()
{
    auto *form = sectionForm();
    m_launchAtLoginBox = new QCheckBox(QStringLiteral("Launch at login"));
    m_launchAtLoginBox->setObjectName(QStringLiteral("launchAtLogin"));
    connect(m_launchAtLoginBox, &QCheckBox::clicked, this, [this](bool checked) {
        m_launchAtLogin.setEnabled(checked);
        // What is on disk, also when writing or removing the entry failed.
        m_launchAtLoginBox->setChecked(m_launchAtLogin.isEnabled());
    });
    form->addRow(m_launchAtLoginBox);
    form->addRow(SettingsStyle::caption(
        QStringLiteral("Starts Lettergate when you log in, through an entry in your autostart folder.")));
    return section(QStringLiteral("Login"), form);
}

QWidget *GeneralSettingsTab::permissionsSection()
{
    auto *rows = new QVBoxLayout;
    rows->setSpacing(8);
    m_accessibility = new PermissionRow(QStringLiteral("Accessibility (required to switch windows and paste)"),
                                        [this] { m_platform.accessibility().requestTrust(); });
    m_screenRecording = new PermissionRow(QStringLiteral("Screen Recording (thumbnails / window titles)"),
                                          [this] { m_platform.screenCapture().request(); });
    rows->addWidget(m_accessibility);
    rows->addWidget(m_screenRecording);
    return section(QStringLiteral("Permissions"), rows);
}

void GeneralSettingsTab::reload()
{
    m_accessibility->setGranted(m_platform.accessibility().isTrusted());
    m_screenRecording->setGranted(m_platform.screenCapture().preflight());
    m_launchAtLoginBox->setChecked(m_launchAtLogin.isEnabled());

    const HotkeyConfig &stored = m_store.hotkey();
    if (stored.kind() == HotkeyConfig::Kind::DoubleModifier) {
        m_modKey = stored.modifier();
        m_mode = HKMode::DoubleMod;
    } else {
        m_mode = HKMode::Combo;
    }
    showMode();
}

void GeneralSettingsTab::setMode(HKMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    showMode();
    if (mode == HKMode::DoubleMod) {
        storeTrigger(HotkeyConfig::doubleModifier(m_modKey));
    } else if (m_store.hotkey().kind() == HotkeyConfig::Kind::DoubleModifier) {
        // Always the default combination, never the one used before the double tap.
        storeTrigger(HotkeyConfig::defaultTrigger());
    }
}

void GeneralSettingsTab::setModKey(ModifierKey modKey)
{
    if (modKey == m_modKey)
        return;
    m_modKey = modKey;
    showMode();
    if (m_mode == HKMode::DoubleMod)
        storeTrigger(HotkeyConfig::doubleModifier(modKey));
}

void GeneralSettingsTab::storeTrigger(const HotkeyConfig &trigger)
{
    // A trigger the store already holds is neither re-armed nor reported as saved.
    if (m_store.hotkey() != trigger)
        m_store.setHotkey(trigger);
}

void GeneralSettingsTab::showMode()
{
    m_modePicker->button(int(m_mode))->setChecked(true);
    const QSignalBlocker quiet(m_modifierPicker);
    m_modifierPicker->setCurrentIndex(int(m_modKey)); // the picker lists ModifierKey in order

    const bool combo = m_mode == HKMode::Combo;
    m_activationForm->setRowVisible(m_recorder, combo);
    m_activationForm->setRowVisible(m_comboHelp, combo);
    m_activationForm->setRowVisible(m_modifierPicker, !combo);
    m_activationForm->setRowVisible(m_doubleTapHelp, !combo);
}
