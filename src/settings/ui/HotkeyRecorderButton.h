#pragma once

#include <QPushButton>

class SettingsStore;

// Records the key-combination trigger. A click starts recording; the next key press
// anywhere in the application that holds Shift, Control, Alt or Super becomes the
// trigger at once (through the settings store, which re-arms it) and ends recording.
// While recording every key press is swallowed, shortcuts included; Escape cancels, a
// key without those modifiers is ignored, and a second click, or the button leaving
// the screen, stops recording too.
class HotkeyRecorderButton : public QPushButton {
    Q_OBJECT
public:
    explicit HotkeyRecorderButton(SettingsStore &store, QWidget *parent = nullptr);
    ~HotkeyRecorderButton() override;

    bool isRecording() const { return m_recording; }
    void startRecording();
    void stopRecording();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void handleKeyPress(const QKeyEvent &event);
    void refreshLook();

    SettingsStore &m_store;
    bool m_recording = false;
};
