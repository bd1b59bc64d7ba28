#pragma once

namespace lettergate {

class ClipboardHistory;
class CommandStore;
class HotkeyManager;
class LinkStore;
class Platform;
class SaveIndicator;
class SettingsStore;
class SnippetStore;

// Everything the settings window edits or asks: the settings, the content stores, the
// clipboard history it can empty, what the desktop grants and the trigger's state. The
// application hands its own; tests and the screenshot renderer build theirs over scratch files.
struct SettingsServices {
    SettingsStore &settings;
    SaveIndicator &saveIndicator;
    SnippetStore &snippets;
    LinkStore &links;
    CommandStore &commands;
    ClipboardHistory &clipboardHistory;
    Platform &platform;
    HotkeyManager &trigger;
};

} // namespace lettergate
