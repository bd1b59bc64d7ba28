#include "settings/SettingsStore.h"

#include "hotkeys/TriggerArmer.h"
#include "platform/ByteSize.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/UnreadableCopies.h"
#include "settings/Characters.h"
#include "settings/HistoryLimitTarget.h"
#include "settings/IniStringMap.h"
#include "settings/SaveIndicator.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace lettergate {

namespace {

// Where the settings live when their folder is refused: a path below a device, where
// no folder can be made and nothing can be written, so QSettings keeps them in memory.
const QString inMemoryOnly = QStringLiteral("/dev/null/Lettergate.ini");

// What keeps a file from being the settings file: a link is never followed, a pipe or a
// device could block the read, and a huge file would be parsed whole.
QString whyUnusable(const QFileInfo &file)
{
    if (file.isSymLink())
        return QStringLiteral("is a symbolic link, which Lettergate never follows");
    if (!file.isFile())
        return QStringLiteral("is not a regular file");
    if (file.size() > SettingsStore::maximumFileBytes)
        return QStringLiteral("is %1, larger than the %2 a settings file may hold")
            .arg(ByteSize::text(file.size()), ByteSize::text(SettingsStore::maximumFileBytes));
    return {};
}

// QSettings says only that the write failed; the likely reason, as far as can be told.
QString unwritableReason(const QString &file)
{
    const QFileInfo info(file);
    if (info.exists() && !info.isWritable())
        return QStringLiteral("the file is read-only");
    if (!QFileInfo(info.absolutePath()).isWritable())
        return QStringLiteral("its folder is read-only");
    return QStringLiteral("the write failed (is the disk full?)");
}

struct ListKeyDescription {
    QStringView storedKey;
    QChar defaultKey;
    QStringView name;
    void (SettingsStore::*changed)(const QString &);
};

// In the order of SettingsStore::ListKey.
const std::array<ListKeyDescription, 4> listKeyDescriptions = {{
    {SettingsStore::clipboardKeyKey, u'v', u"clipboard", &SettingsStore::clipboardKeyChanged},
    {SettingsStore::snippetKeyKey, u'b', u"snippet", &SettingsStore::snippetKeyChanged},
    {SettingsStore::linkKeyKey, u'q', u"link", &SettingsStore::linkKeyChanged},
    {SettingsStore::commandKeyKey, u'm', u"command", &SettingsStore::commandKeyChanged},
}};

template <typename Which>
const ListKeyDescription &describe(Which which)
{
    return listKeyDescriptions[static_cast<size_t>(which)];
}

// Assigns and announces a property, staying quiet when nothing changed.
template <typename T, typename Signal>
void publish(SettingsStore *store, T &field, const T &value, Signal changed)
{
    if (field == value)
        return;
    field = value;
    emit(store->*changed)(field);
}

// The trigger is stored as JSON text; a hand-written @ByteArray(...) holds the same.
QByteArray storedJson(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::QString)
        return stored.toString().toUtf8();
    if (stored.typeId() == QMetaType::QByteArray)
        return stored.toByteArray();
    return {};
}

// A stored limit that is not an integer reads as 0, which the clamp then turns into 1.
int storedLimit(const QVariant &stored)
{
    bool isInteger = false;
    const qlonglong value = stored.toLongLong(&isInteger);
    if (!isInteger)
        return 0;
    return int(std::clamp<qlonglong>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

SettingsStore::SettingsStore(const QString &settingsFile, TriggerArmer &triggerArmer, SaveIndicator &saveIndicator,
                             QObject *parent)
    : QObject(parent)
    , m_settings(std::make_unique<QSettings>(usableFile(settingsFile), QSettings::IniFormat))
    , m_inMemoryOnly(m_settings->fileName() == inMemoryOnly)
    , m_triggerArmer(triggerArmer)
    , m_saveIndicator(saveIndicator)
{
    for (size_t i = 0; i < m_listKeys.size(); ++i)
        m_listKeys[i] = QString(listKeyDescriptions[i].defaultKey);
    keepCopyIfUnreadable();
}

QString SettingsStore::usableFile(const QString &settingsFile)
{
    // QSettings creates its folder and file as the umask allows; the letters and names
    // of the user's apps are theirs alone, so the folder is private before any write.
    const QString folder = QFileInfo(settingsFile).absolutePath();
    Paths::ensurePrivateDirectory(folder);
    if (!Paths::isTrustedFolder(folder))
        return inMemoryOnly;
    if (!QFileInfo::exists(folder)) {
        qCWarning(lcSettings).noquote()
            << QStringLiteral("The settings folder %1 could not be made; settings are kept in memory only").arg(folder);
        return inMemoryOnly;
    }
    const QFileInfo file(settingsFile);
    if (!file.exists() && !file.isSymLink())
        return settingsFile;
    const QString why = whyUnusable(file);
    if (why.isEmpty())
        return settingsFile;
    if (const std::optional<QString> copy = UnreadableCopies::moveAside(settingsFile)) {
        qCWarning(lcSettings).noquote() << QStringLiteral(
                                               "The settings file %1 %2; it was kept as %3 and the defaults are used")
                                               .arg(settingsFile, why, *copy);
        return settingsFile;
    }
    // Read it would be slow or unsafe, and a save would destroy it.
    qCWarning(lcSettings).noquote()
        << QStringLiteral("The settings file %1 %2 and could not be kept aside; settings are kept in memory only")
               .arg(settingsFile, why);
    return inMemoryOnly;
}

void SettingsStore::keepCopyIfUnreadable()
{
    // QSettings parses sections lazily, so reading every key is what surfaces a format
    // error, and it must surface before the first write replaces the file with only the
    // part QSettings understood.
    m_settings->allKeys();
    if (m_settings->status() != QSettings::FormatError)
        return;
    const QString file = m_settings->fileName();
    if (const std::optional<QString> copy = UnreadableCopies::copyAside(file))
        qCWarning(lcSettings).noquote()
            << QStringLiteral("The settings file %1 could not be read; it was kept as %2").arg(file, *copy);
    else
        qCWarning(lcSettings).noquote()
            << QStringLiteral("The settings file %1 could not be read, and no copy of it could be kept").arg(file);
}

void SettingsStore::load()
{
    publish(this, m_letters, IniStringMap::read(*m_settings, lettersKey), &SettingsStore::lettersChanged);
    publish(this, m_names, IniStringMap::read(*m_settings, namesKey), &SettingsStore::namesChanged);
    loadPasteKeystrokes();

    loadHotkey();

    loadListKeys();

    // Without a stored limit the history keeps its own default, which is the same.
    if (m_settings->contains(historyLimitKey))
        setClipboardHistoryLimit(storedLimit(m_settings->value(historyLimitKey)));
    setShowInDock(m_settings->value(showInDockKey).toBool());

    purgeConflictingLetters();
}

void SettingsStore::loadHotkey()
{
    // Loading does not arm the trigger: the start-up applies it once the manager is ready.
    const auto stored = HotkeyConfig::fromJson(storedJson(m_settings->value(hotkeyKey)));
    if (!stored)
        return;
    if (!stored->canSwallowTyping()) {
        publish(this, m_hotkey, *stored, &SettingsStore::hotkeyChanged);
        return;
    }
    // Never grabbed: Shift+A would open the panel at every capital A typed. The file
    // keeps the text, like one that does not decode, until the user picks a trigger,
    // so the line is written again at every start until then.
    const HotkeyConfig fallback = HotkeyConfig::defaultTrigger();
    qCWarning(lcSettings).noquote()
        << QStringLiteral("The trigger %1 in the settings file %2 holds none of Ctrl, Alt, Super and would "
                          "swallow typing; %3 is used instead")
               .arg(stored->logName(), m_settings->fileName(), fallback.logName());
    publish(this, m_hotkey, fallback, &SettingsStore::hotkeyChanged);
}

void SettingsStore::loadPasteKeystrokes()
{
    // Entry by entry, unlike the letters: one app's mistyped keystroke costs only that
    // app its choice, and the file keeps the line until the next save of the tab.
    const IniStringMap::Entries stored = IniStringMap::readEach(*m_settings, pasteKeystrokesKey);
    PasteKeystrokeMap keystrokes;
    QStringList ignored = stored.others;
    for (auto entry = stored.plain.cbegin(); entry != stored.plain.cend(); ++entry) {
        if (const std::optional<PasteKeystroke> keystroke = pasteKeystrokeNamed(entry.value()))
            keystrokes.insert(entry.key(), *keystroke);
        else
            ignored.append(entry.key());
    }
    for (const QString &bundleID : std::as_const(ignored)) {
        qCWarning(lcSettings).noquote()
            << QStringLiteral("The paste keystroke stored for %1 in the settings file %2 is none of %3, %4, %5; "
                              "it pastes with the automatic one")
                   .arg(bundleID, m_settings->fileName(), pasteKeystrokeName(PasteKeystroke::controlV),
                        pasteKeystrokeName(PasteKeystroke::controlShiftV),
                        pasteKeystrokeName(PasteKeystroke::shiftInsert));
    }
    publish(this, m_pasteKeystrokes, keystrokes, &SettingsStore::pasteKeystrokesChanged);
}

void SettingsStore::loadListKeys()
{
    std::array<std::optional<QChar>, 4> chosen;
    std::array<bool, 4> repaired{};
    QSet<QChar> taken;
    // A key the file names is kept, lower-cased, when it is a letter no earlier list key
    // holds: anything else could never be typed on the panel, or would hide a list.
    for (size_t i = 0; i < chosen.size(); ++i) {
        const QVariant stored = m_settings->value(listKeyDescriptions[i].storedKey);
        const bool isText = stored.typeId() == QMetaType::QString;
        if (!stored.isValid() || (isText && stored.toString().isEmpty()))
            continue;
        const std::optional<QChar> letter = isText ? Characters::lowerAsciiLetter(stored.toString()) : std::nullopt;
        repaired[i] = !letter || taken.contains(*letter);
        if (!repaired[i]) {
            chosen[i] = letter;
            taken.insert(*letter);
        }
    }
    // The others take their defaults, unless a key the user chose holds one already.
    for (size_t i = 0; i < chosen.size(); ++i) {
        if (!chosen[i] && !taken.contains(listKeyDescriptions[i].defaultKey)) {
            chosen[i] = listKeyDescriptions[i].defaultKey;
            taken.insert(*chosen[i]);
        }
    }
    for (size_t i = 0; i < chosen.size(); ++i) {
        if (chosen[i])
            continue;
        chosen[i] = freeListKey(taken);
        taken.insert(*chosen[i]);
        repaired[i] = true;
    }

    QStringList repairs;
    for (size_t i = 0; i < chosen.size(); ++i) {
        publish(this, m_listKeys[i], QString(*chosen[i]), listKeyDescriptions[i].changed);
        if (!repaired[i])
            continue;
        repairs.append(QStringLiteral("the %1 key is now %2").arg(listKeyDescriptions[i].name, m_listKeys[i]));
        // A repair, not a save of the user's, so it does not tick: the file then holds
        // what the settings show, and a later save of another key cannot revive the clash.
        m_settings->setValue(listKeyDescriptions[i].storedKey, m_listKeys[i]);
    }
    if (repairs.isEmpty())
        return;
    qCWarning(lcSettings).noquote() << QStringLiteral("List keys in the settings file %1 clash or are not letters: %2")
                                           .arg(m_settings->fileName(), repairs.join(QStringLiteral(", ")));
    commit();
}

QChar SettingsStore::freeListKey(const QSet<QChar> &listKeysTaken) const
{
    const QSet<QString> appLetters = usedLetters();
    QChar freeOfListKeys;
    for (char16_t c = u'a'; c <= u'z'; ++c) {
        if (listKeysTaken.contains(c))
            continue;
        // Stored app letters keep their case; the panel matches them lower-cased.
        if (!appLetters.contains(QString(QChar(c))) && !appLetters.contains(QString(QChar(c)).toUpper()))
            return c;
        if (freeOfListKeys.isNull())
            freeOfListKeys = c;
    }
    // Every free letter is some app's; the purge after the list keys drops that app's.
    return freeOfListKeys;
}

void SettingsStore::purgeConflictingLetters()
{
    const QSet<QString> reserved = listKeys();
    AppTextMap kept = m_letters;
    const auto removed = kept.removeIf([&reserved](const AppTextMap::iterator &entry) {
        return !entry.value().isEmpty() && reserved.contains(Characters::first(entry.value().toLower()));
    });
    if (removed == 0)
        return;
    setLetters(kept);
    // A repair, not a save of the user's: it does not tick.
    IniStringMap::write(*m_settings, lettersKey, m_letters);
    commit();
}

void SettingsStore::setLetters(const AppTextMap &letters)
{
    publish(this, m_letters, letters, &SettingsStore::lettersChanged);
}

void SettingsStore::setNames(const AppTextMap &names)
{
    publish(this, m_names, names, &SettingsStore::namesChanged);
}

void SettingsStore::setHotkey(const HotkeyConfig &config)
{
    publish(this, m_hotkey, config, &SettingsStore::hotkeyChanged);
    m_settings->setValue(hotkeyKey, QString::fromUtf8(config.toJson()));
    m_triggerArmer.apply(config);
    commitAndTick();
}

QSet<QString> SettingsStore::listKeys() const
{
    return QSet<QString>(m_listKeys.cbegin(), m_listKeys.cend());
}

void SettingsStore::assignListKey(ListKey which, const QString &key)
{
    publish(this, m_listKeys[static_cast<size_t>(which)], key, describe(which).changed);
    m_settings->setValue(describe(which).storedKey, key);
}

QSet<QString> SettingsStore::usedLetters() const
{
    QSet<QString> inUse;
    for (const QString &letter : m_letters) {
        if (!letter.isEmpty())
            inUse.insert(Characters::first(letter));
    }
    return inUse;
}

KeyValidation SettingsStore::setQuickKeys(const QString &clipboard, const QString &snippet)
{
    const std::optional<QChar> clipboardLetter = Characters::lowerAsciiLetter(clipboard);
    const std::optional<QChar> snippetLetter = Characters::lowerAsciiLetter(snippet);
    if (!clipboardLetter || !snippetLetter)
        return KeyValidation::notALetter();

    const QString c(*clipboardLetter);
    const QString s(*snippetLetter);
    if (c == s || c == linkKey() || s == linkKey() || c == commandKey() || s == commandKey())
        return KeyValidation::notDistinct();

    const QSet<QString> inUse = usedLetters();
    if (inUse.contains(c))
        return KeyValidation::conflict(*clipboardLetter);
    if (inUse.contains(s))
        return KeyValidation::conflict(*snippetLetter);

    assignListKey(ListKey::Clipboard, c);
    assignListKey(ListKey::Snippet, s);
    commitAndTick();
    return KeyValidation::ok();
}

KeyValidation SettingsStore::setLinkKey(const QString &key)
{
    return setPairedListKey(ListKey::Link, key);
}

KeyValidation SettingsStore::setCommandKey(const QString &key)
{
    return setPairedListKey(ListKey::Command, key);
}

KeyValidation SettingsStore::setPairedListKey(ListKey which, const QString &typed)
{
    const std::optional<QChar> letter = Characters::lowerAsciiLetter(typed);
    if (!letter)
        return KeyValidation::notALetter();

    const QString k(*letter);
    const ListKey partner = which == ListKey::Link ? ListKey::Command : ListKey::Link;
    if (k == clipboardKey() || k == snippetKey() || k == listKey(partner))
        return KeyValidation::notDistinct();
    if (usedLetters().contains(k))
        return KeyValidation::conflict(*letter);

    assignListKey(which, k);
    commitAndTick();
    return KeyValidation::ok();
}

KeyValidation SettingsStore::applyLetters(const AppTextMap &typed)
{
    const KeyValidation result = mergeLetters(typed);
    if (result.isOk())
        saveLetters();
    return result;
}

KeyValidation SettingsStore::applyAppShortcuts(const AppTextMap &typedLetters, const PasteKeystrokeMap &pasteKeystrokes)
{
    const KeyValidation result = mergeLetters(typedLetters);
    if (!result.isOk())
        return result;

    PasteKeystrokeMap keystrokes = m_pasteKeystrokes;
    for (auto entry = typedLetters.cbegin(); entry != typedLetters.cend(); ++entry)
        keystrokes.remove(entry.key());
    keystrokes.insert(pasteKeystrokes);
    publish(this, m_pasteKeystrokes, keystrokes, &SettingsStore::pasteKeystrokesChanged);

    IniStringMap::Map stored;
    for (auto entry = m_pasteKeystrokes.cbegin(); entry != m_pasteKeystrokes.cend(); ++entry)
        stored.insert(entry.key(), pasteKeystrokeName(entry.value()));
    IniStringMap::write(*m_settings, pasteKeystrokesKey, stored);
    saveLetters();
    return result;
}

KeyValidation SettingsStore::mergeLetters(const AppTextMap &typed)
{
    AppTextMap normalised;
    QList<QChar> given;
    for (auto entry = typed.cbegin(); entry != typed.cend(); ++entry) {
        if (entry.value().isEmpty()) {
            normalised.insert(entry.key(), QString());
            continue;
        }
        const std::optional<QChar> letter = Characters::lowerAsciiLetter(entry.value());
        if (!letter)
            return KeyValidation::notALetter();
        normalised.insert(entry.key(), QString(*letter));
        given.append(*letter);
    }

    if (QSet<QChar>(given.cbegin(), given.cend()).size() < given.size())
        return KeyValidation::notDistinct();
    const QSet<QString> reserved = listKeys();
    for (const QChar letter : std::as_const(given)) {
        if (reserved.contains(QString(letter)))
            return KeyValidation::conflict(letter);
    }

    AppTextMap letters = m_letters;
    letters.insert(normalised);
    setLetters(letters);
    return KeyValidation::ok();
}

void SettingsStore::saveLetters()
{
    IniStringMap::write(*m_settings, lettersKey, m_letters);
    IniStringMap::write(*m_settings, namesKey, m_names);
    commitAndTick();
}

SettingsStore::AppShortcut SettingsStore::shortcut(const QString &bundleID) const
{
    AppShortcut shortcut{bundleID, m_names.value(bundleID, bundleID), std::nullopt, pasteKeystroke(bundleID)};
    const QString letter = m_letters.value(bundleID);
    if (!letter.isEmpty())
        shortcut.letter = Characters::first(letter);
    return shortcut;
}

std::optional<PasteKeystroke> SettingsStore::pasteKeystroke(const QString &bundleID) const
{
    const auto found = m_pasteKeystrokes.constFind(bundleID);
    if (found == m_pasteKeystrokes.cend())
        return std::nullopt;
    return *found;
}

std::optional<QString> SettingsStore::bundleIDForLetter(const QString &typed) const
{
    const QString letter = Characters::first(typed.toLower());
    if (listKeys().contains(letter))
        return std::nullopt;
    // Only the first character of a stored letter counts, as everywhere else.
    for (auto entry = m_letters.cbegin(); entry != m_letters.cend(); ++entry) {
        if (!entry.value().isEmpty() && Characters::first(entry.value().toLower()) == letter)
            return entry.key();
    }
    return std::nullopt;
}

void SettingsStore::setClipboardHistoryLimit(int limit)
{
    const int clamped = std::clamp(limit, minimumHistoryLimit, maximumHistoryLimit);
    publish(this, m_historyLimit, clamped, &SettingsStore::clipboardHistoryLimitChanged);
    m_settings->setValue(historyLimitKey, clamped);
    if (m_historyLimitTarget)
        m_historyLimitTarget->applyHistoryLimit(clamped);
    commitAndTick();
}

std::optional<QRect> SettingsStore::settingsWindowGeometry() const
{
    const QVariant stored = m_settings->value(settingsWindowGeometryKey);
    if (stored.typeId() != QMetaType::QRect || stored.toRect().isEmpty())
        return std::nullopt;
    return stored.toRect();
}

void SettingsStore::setSettingsWindowGeometry(const QRect &geometry)
{
    m_settings->setValue(settingsWindowGeometryKey, geometry);
    commit();
}

void SettingsStore::setShowInDock(bool show)
{
    publish(this, m_showInDock, show, &SettingsStore::showInDockChanged);
    m_settings->setValue(showInDockKey, show);
    emit taskbarPresenceRequested(show);
    commitAndTick();
}

bool SettingsStore::commit()
{
    // Nothing is written, and nothing is confirmed: the log said why once.
    if (m_inMemoryOnly)
        return false;
    if (m_lastWriteFailed)
        startAfresh();
    m_settings->sync();
    m_lastWriteFailed = m_settings->status() == QSettings::AccessError;
    if (!m_lastWriteFailed) {
        // A new file gets the umask's permissions; later writes keep the file's own.
        Paths::restrictFileToOwner(m_settings->fileName());
        m_saveIndicator.noteWritten(m_settings->fileName());
        return true;
    }
    qCWarning(lcSettings).noquote()
        << QStringLiteral("Could not write the settings file %1").arg(m_settings->fileName());
    m_saveIndicator.noteFailed(m_settings->fileName(), unwritableReason(m_settings->fileName()));
    return false;
}

void SettingsStore::startAfresh()
{
    // QSettings reports the first error it met for the rest of its life (one made while
    // the file cannot be written starts with it), so a save after the disk has room
    // again would still read as failed. A fresh object, made at that save and holding
    // exactly what the failed one held (nothing of the file's older content), writes it
    // all and reports that save truly.
    QVariantMap held;
    for (const QString &key : m_settings->allKeys())
        held.insert(key, m_settings->value(key));
    const QString file = m_settings->fileName();
    // The failed one goes first, so the two never hold the file at once.
    m_settings.reset();
    m_settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
    m_settings->clear();
    for (auto entry = held.cbegin(); entry != held.cend(); ++entry)
        m_settings->setValue(entry.key(), entry.value());
}

void SettingsStore::commitAndTick()
{
    if (commit())
        m_saveIndicator.increment();
}

} // namespace lettergate
