#include "settings/ui/GeneralSettingsTab.h"

#include "hotkeys/HotkeyManager.h"
#include "hotkeys/TriggerAlerts.h"
#include "platform/OwnWindows.h"
#include "platform/Platform.h"
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

namespace lettergate {

namespace {

using HKMode = GeneralSettingsTab::HKMode;
using ModifierKey = HotkeyConfig::ModifierKey;

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

GeneralSettingsTab::GeneralSettingsTab(SettingsStore &store, Platform &platform, HotkeyManager &trigger,
                                       QWidget *parent)
    : SettingsTab(parent)
    , m_store(store)
    , m_platform(platform)
    , m_trigger(trigger)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->setSpacing(12);
    layout->addWidget(activationSection());
    layout->addWidget(taskbarSection());
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
    const std::pair<HKMode, QString> modes[] = {{HKMode::Combo, QStringLiteral("Key Combo")},
                                                {HKMode::DoubleMod, QStringLiteral("Double-tap Modifier")}};
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
    m_recorderRefusal = SettingsStyle::caption(QString());
    SettingsStyle::setErrorLook(m_recorderRefusal);
    connect(m_recorder, &HotkeyRecorderButton::refusalChanged, this, &GeneralSettingsTab::showRefusal);
    m_activationForm->addRow(m_recorderRefusal);
    m_comboHelp = SettingsStyle::caption(QStringLiteral(
        "Click the button, then press your shortcut; it must hold Ctrl, Alt or Super. Applies immediately."));
    m_activationForm->addRow(m_comboHelp);

    m_modifierPicker = new QComboBox;
    m_modifierPicker->setObjectName(QStringLiteral("modifierPicker"));
    for (const ModifierKey key : ModifierKeys::all)
        m_modifierPicker->addItem(ModifierKeys::readableName(key));
    connect(m_modifierPicker, &QComboBox::activated, this, [this](int index) { setModKey(ModifierKeys::all[index]); });
    m_activationForm->addRow(QStringLiteral("Modifier"), m_modifierPicker);
    m_doubleTapHelp = SettingsStyle::caption(QStringLiteral(
        "Double-tap this modifier to open the panel. Shortcuts that use it, such as Ctrl+C, won't trigger it."));
    m_activationForm->addRow(m_doubleTapHelp);

    // No program takes keys on this desktop: its own settings bind Lettergate's verbs.
    m_bindingDesktop =
        DesktopBindings::named(qEnvironmentVariable("XDG_CURRENT_DESKTOP")).value_or(DesktopBindings::Desktop::Sway);
    m_desktopPicker = new QComboBox;
    m_desktopPicker->setObjectName(QStringLiteral("desktopPicker"));
    for (const DesktopBindings::Desktop desktop : DesktopBindings::all)
        m_desktopPicker->addItem(DesktopBindings::name(desktop));
    connect(m_desktopPicker, &QComboBox::activated, this,
            [this](int index) { setBindingDesktop(DesktopBindings::all[index]); });
    m_activationForm->addRow(QStringLiteral("Desktop"), m_desktopPicker);
    m_bindingHelp = SettingsStyle::caption(QString());
    m_activationForm->addRow(m_bindingHelp);
    m_bindingLines = new QLabel;
    m_bindingLines->setObjectName(QStringLiteral("bindingLines"));
    m_bindingLines->setFont(SettingsStyle::monospacedFont());
    m_bindingLines->setTextFormat(Qt::PlainText);
    m_bindingLines->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_activationForm->addRow(m_bindingLines);

    return section(QStringLiteral("Activation Hotkey"), m_activationForm);
}

QWidget *GeneralSettingsTab::taskbarSection()
{
    auto *form = sectionForm();
    auto *showInDock = new QCheckBox(QStringLiteral("Show in taskbar"));
    showInDock->setChecked(m_store.showInDock());
    connect(showInDock, &QCheckBox::clicked, &m_store, &SettingsStore::setShowInDock);
    connect(&m_store, &SettingsStore::showInDockChanged, showInDock, &QCheckBox::setChecked);
    form->addRow(showInDock);
    form->addRow(SettingsStyle::caption(
        QStringLiteral("When enabled, the Settings window has an entry in the taskbar while it is open, "
                       "like any other window.")));
    return section(QStringLiteral("Taskbar"), form);
}

QWidget *GeneralSettingsTab::loginSection()
{
    auto *form = sectionForm();
    m_launchAtLoginBox = new QCheckBox(QStringLiteral("Launch at login"));
    m_launchAtLoginBox->setObjectName(QStringLiteral("launchAtLogin"));
    connect(m_launchAtLoginBox, &QCheckBox::clicked, this, [this](bool checked) {
        m_launchAtLogin.setEnabled(checked);
        // What is on disk, also when writing or removing the entry failed.
        showLaunchAtLogin();
    });
    form->addRow(m_launchAtLoginBox);
    m_launchAtLoginCaption = SettingsStyle::caption({});
    m_launchAtLoginCaption->setObjectName(QStringLiteral("launchAtLoginCaption"));
    form->addRow(m_launchAtLoginCaption);
    return section(QStringLiteral("Login"), form);
}

void GeneralSettingsTab::showLaunchAtLogin()
{
    const bool enabled = m_launchAtLogin.isEnabled();
    const bool possible = LaunchAtLogin::program().has_value();
    m_launchAtLoginBox->setChecked(enabled);
    // An entry made before can always be removed.
    m_launchAtLoginBox->setEnabled(possible || enabled);
    m_launchAtLoginCaption->setText(
        possible ? QStringLiteral("Starts Lettergate when you log in, through an entry in your autostart folder.")
                 : QStringLiteral("Not available: Lettergate is not installed and runs from a temporary folder, "
                                  "which may be gone by the next login. Install it to start it at login."));
}

QWidget *GeneralSettingsTab::permissionsSection()
{
    auto *form = sectionForm();
    m_permissions = form;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    // Four one-line rows (five in a session that keeps something back): closer together than the other sections' rows,
    // so that the tab still fits the window's first size.
    form->setVerticalSpacing(2);
    m_session = new PermissionRow;
    m_windowManager = new PermissionRow;
    m_windowPictures = new PermissionRow;
    m_triggerRow = new PermissionRow(QStringLiteral("Try Again"), [this] { m_trigger.retry(); });
    m_systemTray = new PermissionRow;
    form->addRow(QStringLiteral("Session"), m_session);
    form->addRow(QStringLiteral("Window manager"), m_windowManager);
    form->addRow(QStringLiteral("Window pictures"), m_windowPictures);
    form->addRow(QStringLiteral("Trigger"), m_triggerRow);
    form->addRow(QStringLiteral("System tray"), m_systemTray);
    connect(&m_trigger, &HotkeyManager::stateChanged, this, &GeneralSettingsTab::showTriggerState);
    connect(&m_platform.systemTray(), &SystemTray::presenceChanged, this, &GeneralSettingsTab::showSystemTray);
    return section(QStringLiteral("Permissions"), form);
}

void GeneralSettingsTab::showSystemTray(bool present)
{
    m_systemTray->setState(present, present ? QStringLiteral("present")
                                            : QStringLiteral("none: use the Quit button below to leave Lettergate"));
}

void GeneralSettingsTab::showTriggerState()
{
    const std::optional<HotkeyConfig> &trigger = m_trigger.trigger();
    if (trigger && m_trigger.state() == TriggerState::Armed) {
        m_triggerRow->setState(true, trigger->readableName() + QStringLiteral(" in effect"));
        return;
    }
    if (trigger && m_trigger.state() == TriggerState::DesktopBound) {
        // Nothing Lettergate can check or try again: the desktop runs it or does not.
        m_triggerRow->setState(true, QStringLiteral("bound in the desktop's own settings (see above)"));
        return;
    }
    const QString problem = triggerProblem(m_trigger);
    m_triggerRow->setState(false, problem.isEmpty() ? QStringLiteral("not armed yet") : problem);
}

void GeneralSettingsTab::reload()
{
    OwnWindows &desktop = m_platform.ownWindows();
    const std::optional<QString> windowManager = desktop.windowManagerName();
    m_windowManager->setState(windowManager.has_value(),
                              !windowManager ? QStringLiteral("none: windows can be neither listed nor raised")
                              : windowManager->isEmpty() ? QStringLiteral("found, unnamed")
                                                         : *windowManager);
    // The session is named only when it keeps something back, so the tab keeps its size.
    const std::optional<QString> limitation = desktop.sessionLimitation();
    m_session->setState(!limitation, limitation.value_or(desktop.sessionName()));
    m_permissions->setRowVisible(m_session, limitation.has_value());
    const std::optional<QString> pictureSource = desktop.windowPictureSource();
    m_windowPictures->setState(pictureSource.has_value(),
                               pictureSource ? QStringLiteral("available (%1)").arg(*pictureSource)
                                             : QStringLiteral("none: cards show the applications' icons"));
    showTriggerState();
    showSystemTray(m_platform.systemTray().isPresent());
    showLaunchAtLogin();

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
    const bool bindings = showsBindings();
    m_activationForm->setRowVisible(m_recorder, combo && !bindings);
    m_activationForm->setRowVisible(m_comboHelp, combo && !bindings);
    showRefusal();
    m_activationForm->setRowVisible(m_modifierPicker, !combo);
    m_activationForm->setRowVisible(m_doubleTapHelp, !combo && !bindings);
    m_activationForm->setRowVisible(m_desktopPicker, bindings);
    m_activationForm->setRowVisible(m_bindingHelp, bindings);
    showBindings();
}

void GeneralSettingsTab::showRefusal()
{
    m_recorderRefusal->setText(m_recorder->refusal());
    m_activationForm->setRowVisible(m_recorderRefusal,
                                    m_mode == HKMode::Combo && !showsBindings() && !m_recorder->refusal().isEmpty());
}

bool GeneralSettingsTab::showsBindings() const
{
    return m_trigger.desktopBindsKeys();
}

void GeneralSettingsTab::setBindingDesktop(DesktopBindings::Desktop desktop)
{
    m_bindingDesktop = desktop;
    showBindings();
}

QString GeneralSettingsTab::bindingHelp() const
{
    return m_bindingHelp->text();
}

QString GeneralSettingsTab::bindingLines() const
{
    return m_bindingLines->text();
}

void GeneralSettingsTab::showBindings()
{
    using namespace DesktopBindings;
    const QSignalBlocker quiet(m_desktopPicker);
    m_desktopPicker->setCurrentIndex(int(m_bindingDesktop)); // the picker lists the desktops in order
    const std::optional<ModifierKey> tapped = m_mode == HKMode::DoubleMod ? std::optional(m_modKey) : std::nullopt;
    const QString added = lines(m_bindingDesktop, tapped);
    m_bindingLines->setText(added);
    m_activationForm->setRowVisible(m_bindingLines, showsBindings() && !added.isEmpty());
    if (added.isEmpty())
        m_bindingHelp->setText(whyNot(m_bindingDesktop, tapped));
    else if (tapped)
        m_bindingHelp->setText(QStringLiteral("Add this line to %1. Two taps of %2 within 0.3 s then open the panel.")
                                   .arg(configFile(m_bindingDesktop), ModifierKeys::readableName(*tapped)));
    else
        m_bindingHelp->setText(QStringLiteral("Add this line to %1 (Ctrl+Alt+W here; any key will do).")
                                   .arg(configFile(m_bindingDesktop)));
}

} // namespace lettergate
