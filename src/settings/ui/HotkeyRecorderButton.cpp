#include "settings/ui/HotkeyRecorderButton.h"

#include "settings/SettingsStore.h"
#include "settings/ui/RecordedCombination.h"
#include "settings/ui/SettingsStyle.h"

#include <QApplication>
#include <QKeyEvent>

namespace lettergate {

HotkeyRecorderButton::HotkeyRecorderButton(SettingsStore &store, QWidget *parent)
    : QPushButton(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("hotkeyRecorder"));
    setMinimumWidth(96);
    setCursor(Qt::PointingHandCursor);
    QFont medium = font();
    medium.setWeight(QFont::Medium);
    setFont(medium);
    connect(this, &QPushButton::clicked, this, [this] { m_recording ? stopRecording() : startRecording(); });
    connect(&m_store, &SettingsStore::hotkeyChanged, this, &HotkeyRecorderButton::refreshLook);
    refreshLook();
}

HotkeyRecorderButton::~HotkeyRecorderButton()
{
    // No signal from here: the tab showing the refusal is being destroyed around us.
    if (m_recording)
        qApp->removeEventFilter(this);
}

void HotkeyRecorderButton::startRecording()
{
    if (m_recording)
        return;
    m_recording = true;
    qApp->installEventFilter(this);
    refreshLook();
}

void HotkeyRecorderButton::stopRecording()
{
    if (!m_recording)
        return;
    m_recording = false;
    qApp->removeEventFilter(this);
    setRefusal({});
    refreshLook();
}

bool HotkeyRecorderButton::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_recording)
        return QPushButton::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claimed, so no shortcut (Ctrl+S…) fires: the key press itself follows.
        event->accept();
        return true;
    case QEvent::KeyPress:
        // Swallowed where it first arrives, so no widget sees it and it is handled once.
        handleKeyPress(static_cast<const QKeyEvent &>(*event));
        return true;
    default:
        return QPushButton::eventFilter(watched, event);
    }
}

void HotkeyRecorderButton::handleKeyPress(const QKeyEvent &event)
{
    if (event.key() == Qt::Key_Escape) {
        stopRecording();
        return;
    }
    const std::optional<HotkeyConfig> combination = recordedCombination(event.key(), event.modifiers());
    if (!combination)
        return;
    if (combination->canSwallowTyping()) {
        setRefusal(QStringLiteral("Hold Ctrl, Alt or Super with the key: %1 would swallow typing.")
                       .arg(combination->readableName()));
        return;
    }
    m_store.setHotkey(*combination);
    stopRecording();
}

void HotkeyRecorderButton::setRefusal(const QString &refusal)
{
    if (refusal == m_refusal)
        return;
    m_refusal = refusal;
    emit refusalChanged(m_refusal);
}

void HotkeyRecorderButton::hideEvent(QHideEvent *event)
{
    stopRecording();
    QPushButton::hideEvent(event);
}

void HotkeyRecorderButton::refreshLook()
{
    if (m_recording)
        setText(QStringLiteral("Press shortcut…"));
    else if (m_store.hotkey().kind() == HotkeyConfig::Kind::Combo)
        setText(m_store.hotkey().readableName());
    else
        setText(QStringLiteral("Click to Record"));

    const QColor fill = m_recording ? SettingsStyle::faded(palette().color(QPalette::Highlight), 0.22f)
                                    : SettingsStyle::faded(SettingsStyle::secondaryColor(palette()), 0.14f);
    setStyleSheet(QStringLiteral("QPushButton { border: none; border-radius: 6px; padding: 4px 12px; background: %1; }")
                      .arg(SettingsStyle::cssColor(fill)));
}

} // namespace lettergate
