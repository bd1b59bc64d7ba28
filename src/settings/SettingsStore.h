#pragma once

#include "hotkeys/HotkeyConfig.h"
#include "platform/PasteKeystroke.h"
#include "settings/KeyValidation.h"

#include <QMap>
#include <QObject>
#include <QRect>
#include <QSet>
#include <QSettings>

#include <QString>
#include <array>
#include <memory>
#include <optional>

namespace lettergate {

class HistoryLimitTarget;
class SaveIndicator;
class TriggerArmer;

// Every user setting: published as properties for the settings window and the switcher,
// persisted in the INI settings file (read by a person as easily as by us), and guarded
// by the rules that keep the two families of one-letter shortcuts apart: the per-app
// letters and the four list keys (clipboard, snippet, link, command).
//
// Characters are QStrings holding one user-perceived character. List keys are always
// four distinct single lower-case ASCII letters: the setters refuse anything else, and the
// load repairs a hand-edited file that breaks the rule (see load()).
//
// Every successful save ticks the save indicator. Nothing here is thread-safe: the store
// lives on the GUI thread.
class SettingsStore : public QObject {
    Q_OBJECT
public:
    // Bundle identifier → letter text ("" for an app without a letter) or display name.
    using AppTextMap = QMap<QString, QString>;
    // Bundle identifier → the keystroke that pastes into that app. An app not in the map
    // gets the automatic choice (Shift+Insert in terminal emulators, Control+V elsewhere).
    using PasteKeystrokeMap = QMap<QString, PasteKeystroke>;

    Q_PROPERTY(AppTextMap letters READ letters WRITE setLetters NOTIFY lettersChanged)
    Q_PROPERTY(AppTextMap names READ names WRITE setNames NOTIFY namesChanged)
    Q_PROPERTY(PasteKeystrokeMap pasteKeystrokes READ pasteKeystrokes NOTIFY pasteKeystrokesChanged)
    Q_PROPERTY(HotkeyConfig hotkey READ hotkey WRITE setHotkey NOTIFY hotkeyChanged)
    Q_PROPERTY(QString clipboardKey READ clipboardKey NOTIFY clipboardKeyChanged)
    Q_PROPERTY(QString snippetKey READ snippetKey NOTIFY snippetKeyChanged)
    Q_PROPERTY(QString linkKey READ linkKey NOTIFY linkKeyChanged)
    Q_PROPERTY(QString commandKey READ commandKey NOTIFY commandKeyChanged)
    Q_PROPERTY(int clipboardHistoryLimit READ clipboardHistoryLimit WRITE setClipboardHistoryLimit NOTIFY
                   clipboardHistoryLimitChanged)
    Q_PROPERTY(bool showInDock READ showInDock WRITE setShowInDock NOTIFY showInDockChanged)

    // One row of the App shortcuts tab.
    struct AppShortcut {
        QString bundleID;
        QString name;
        // The first character of the stored letter; absent when the app has none.
        std::optional<QString> letter;
        // Absent: the automatic choice.
        std::optional<PasteKeystroke> pasteKeystroke;

        friend bool operator==(const AppShortcut &, const AppShortcut &) = default;
    };

    // The keys under which the settings are stored.
    static constexpr QStringView lettersKey = u"Lettergate.appLetters";
    static constexpr QStringView namesKey = u"Lettergate.appNames";
    static constexpr QStringView pasteKeystrokesKey = u"Lettergate.appPasteKeys";
    static constexpr QStringView hotkeyKey = u"Lettergate.hotkey";
    static constexpr QStringView clipboardKeyKey = u"Lettergate.clipboardKey";
    static constexpr QStringView snippetKeyKey = u"Lettergate.snippetKey";
    static constexpr QStringView linkKeyKey = u"Lettergate.linkKey";
    static constexpr QStringView commandKeyKey = u"Lettergate.commandKey";
    static constexpr QStringView historyLimitKey = u"Lettergate.clipboardHistoryLimit";
    static constexpr QStringView showInDockKey = u"Lettergate.showInDock";
    static constexpr QStringView settingsWindowGeometryKey = u"Lettergate.settingsWindowGeometry";

    // Far above anything the program writes (a few kilobytes for hundreds of apps): a
    // larger file is not read, since QSettings would parse it whole at every start.
    static constexpr qint64 maximumFileBytes = qint64(1) << 20;

    static constexpr int defaultHistoryLimit = 20;
    static constexpr int minimumHistoryLimit = 1;
    static constexpr int maximumHistoryLimit = 50;

    // A store over the INI file at `settingsFile`, holding the defaults until load().
    // An unreadable existing file is copied aside first, so no later save destroys it;
    // a symbolic link, anything but a regular file, or a file over maximumFileBytes is
    // moved aside unread (see UnreadableCopies), and the store starts from the defaults.
    // In a folder that is not the user's alone (Paths::isTrustedFolder) nothing is read
    // or written: the settings live in memory for this run, and saves are not confirmed.
    SettingsStore(const QString &settingsFile, TriggerArmer &triggerArmer, SaveIndicator &saveIndicator,
                  QObject *parent = nullptr);

    // Reads every setting from the file, in order: letters, names, paste keystrokes,
    // trigger, list keys, the clipboard limit (only when one is stored: clamped, written
    // back, pushed, ticks), the taskbar choice (written back, ticks), and last drops stored
    // app letters that equal a list key. Missing or unusable entries keep their defaults.
    // A paste keystroke that names none is left out alone, with one warning naming its app.
    // A stored list key counts by its first character, lower-cased ("Xyz" gives x). One
    // that is not a letter, or that an earlier list key (clipboard, snippet, link, command)
    // already holds, falls back to its default; where a chosen key holds that default, to
    // the first letter held by no list key and, if possible, no app. Such repairs are
    // written back without a tick and reported in one warning.
    void load();

    // Where a new clipboard-history limit goes: the history, once it exists. Setting it
    // pushes nothing; the start-up gives the history its limit itself.
    void setHistoryLimitTarget(HistoryLimitTarget *target) { m_historyLimitTarget = target; }

    const AppTextMap &letters() const { return m_letters; }
    const AppTextMap &names() const { return m_names; }
    const PasteKeystrokeMap &pasteKeystrokes() const { return m_pasteKeystrokes; }
    // Nothing when the app pastes with the automatic choice.
    std::optional<PasteKeystroke> pasteKeystroke(const QString &bundleID) const;
    const HotkeyConfig &hotkey() const { return m_hotkey; }
    QString clipboardKey() const { return listKey(ListKey::Clipboard); }
    QString snippetKey() const { return listKey(ListKey::Snippet); }
    QString linkKey() const { return listKey(ListKey::Link); }
    QString commandKey() const { return listKey(ListKey::Command); }
    // The four list keys: the letters no application may take.
    QSet<QString> listKeys() const;
    int clipboardHistoryLimit() const { return m_historyLimit; }
    bool showInDock() const { return m_showInDock; }
    // Where the settings window was when last hidden: the top-left of its frame and the
    // size of its content. Nothing before the first time, or for an unusable entry.
    std::optional<QRect> settingsWindowGeometry() const;

    // Publish only: the letter assignment edits the maps, then persists with saveLetters.
    void setLetters(const AppTextMap &letters);
    void setNames(const AppTextMap &names);

    // Publishes, stores the JSON text, re-arms the trigger at once, ticks.
    void setHotkey(const HotkeyConfig &config);

    // The validating setters: on anything but ok, nothing changes and nothing is saved.
    KeyValidation setQuickKeys(const QString &clipboard, const QString &snippet);
    KeyValidation setLinkKey(const QString &key);
    KeyValidation setCommandKey(const QString &key);
    // Bundle identifier → the text typed for that app ("" clears its letter). Apps not in
    // the map keep their letters.
    KeyValidation applyLetters(const AppTextMap &typed);
    // The App Shortcuts tab's Save: the letters as applyLetters takes them, and with them
    // the paste keystrokes. An app in `typedLetters` that `pasteKeystrokes` leaves out
    // pastes automatically; apps in neither map keep what they have. On anything but ok,
    // nothing changes and nothing is saved; otherwise both are saved, with one tick.
    KeyValidation applyAppShortcuts(const AppTextMap &typedLetters, const PasteKeystrokeMap &pasteKeystrokes);

    // Writes letters and names, each as a whole, and ticks.
    void saveLetters();

    AppShortcut shortcut(const QString &bundleID) const;
    // The first characters of the non-empty stored app letters, as stored.
    QSet<QString> usedLetters() const;
    // The app whose stored letter is `typed`; nothing for a list key, which always wins.
    std::optional<QString> bundleIDForLetter(const QString &typed) const;

    // Clamped to 1…50, stored, pushed to the history target, ticks.
    void setClipboardHistoryLimit(int limit);
    // Stored, announced through taskbarPresenceRequested, ticks.
    void setShowInDock(bool show);
    // Stored without a tick: moving a window is not a change the user saves.
    void setSettingsWindowGeometry(const QRect &geometry);

signals:
    void lettersChanged(const SettingsStore::AppTextMap &letters);
    void namesChanged(const SettingsStore::AppTextMap &names);
    void pasteKeystrokesChanged(const SettingsStore::PasteKeystrokeMap &pasteKeystrokes);
    void hotkeyChanged(const HotkeyConfig &hotkey);
    void clipboardKeyChanged(const QString &key);
    void snippetKeyChanged(const QString &key);
    void linkKeyChanged(const QString &key);
    void commandKeyChanged(const QString &key);
    void clipboardHistoryLimitChanged(int limit);
    void showInDockChanged(bool show);
    // Each time the taskbar choice is applied, changed or not: the application gives the
    // settings window a taskbar entry, or takes it away. The load emits it before anyone
    // can listen, so the application also applies showInDock() once after the load.
    void taskbarPresenceRequested(bool present);

private:
    enum class ListKey { Clipboard, Snippet, Link, Command };

    QString listKey(ListKey which) const { return m_listKeys[static_cast<size_t>(which)]; }
    void assignListKey(ListKey which, const QString &key);
    // setLinkKey and setCommandKey: the key being set, checked against its partner.
    KeyValidation setPairedListKey(ListKey which, const QString &typed);
    void loadHotkey();
    void loadPasteKeystrokes();
    void loadListKeys();
    // The first letter not in `listKeysTaken`, preferring one that no app holds.
    QChar freeListKey(const QSet<QChar> &listKeysTaken) const;
    void purgeConflictingLetters();
    // Checks the typed letters and publishes them, storing nothing.
    KeyValidation mergeLetters(const AppTextMap &typed);

    // The file QSettings may use, once what cannot be one is moved aside.
    static QString usableFile(const QString &settingsFile);
    void keepCopyIfUnreadable();
    // Flushes the file; false (and a warning) when it could not be written.
    bool commit();
    void startAfresh();
    void commitAndTick();

    // Replaced at the save after a failed write (see startAfresh).
    std::unique_ptr<QSettings> m_settings;
    bool m_lastWriteFailed = false;
    bool m_inMemoryOnly = false;
    TriggerArmer &m_triggerArmer;
    SaveIndicator &m_saveIndicator;
    HistoryLimitTarget *m_historyLimitTarget = nullptr;

    AppTextMap m_letters;
    AppTextMap m_names;
    PasteKeystrokeMap m_pasteKeystrokes;
    HotkeyConfig m_hotkey = HotkeyConfig::defaultTrigger();
    std::array<QString, 4> m_listKeys;
    int m_historyLimit = defaultHistoryLimit;
    bool m_showInDock = false;
};

} // namespace lettergate
