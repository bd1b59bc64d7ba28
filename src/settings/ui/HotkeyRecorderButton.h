#pragma once

#include <QPushButton>

namespace lettergate {

class SettingsStore;

// Records the key-combination trigger. A click starts recording; the next key press
// anywhere in the application that holds Ctrl, Alt or Super becomes the trigger at once
// (through the settings store, which re-arms it) and ends recording. A key pressed
// with Shift alone or no modifier would swallow typing once grabbed: it is refused
// with a message, the trigger stays and recording goes on. While recording every key
// press is swallowed, shortcuts included; Escape cancels, and a second click, or the
// button leaving the screen, stops recording too.
class HotkeyRecorderButton : public QPushButton {
    Q_OBJECT
public:
    explicit HotkeyRecorderButton(SettingsStore &store, QWidget *parent = nullptr);
    ~HotkeyRecorderButton() override;

    bool isRecording() const { return m_recording; }
    // Why the last key pressed while recording was refused; empty when nothing was.
    const QString &refusal() const { return m_refusal; }
    void startRecording();
    void stopRecording();

signals:
    void refusalChanged(const QString &refusal);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void handleKeyPress(const QKeyEvent &event);
    void refreshLook();
    void setRefusal(const QString &refusal);

    SettingsStore &m_store;
    bool m_recording = false;
    QString m_refusal;
};

} // namespace lettergate
