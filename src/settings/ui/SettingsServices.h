#pragma once

class ClipboardHistory;
class CommandStore;
class LinkStore;
class Platform;
class SaveIndicator;
class SettingsStore;
class SnippetStore;

// Everything the settings window edits or asks: the settings, the content stores, the
// clipboard history it can empty and the desktop's permission checks. The application
// uses shared(); tests and the screenshot renderer build their own over scratch files.
struct SettingsServices {
    SettingsStore &settings;
    SaveIndicator &saveIndicator;
    SnippetStore &snippets;
    LinkStore &links;
    CommandStore &commands;
    ClipboardHistory &clipboardHistory;
    Platform &platform;

    // The process's services, each created on first use, over the installed platform.
    static SettingsServices shared();
};
