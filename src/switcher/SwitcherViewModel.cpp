#include "switcher/SwitcherViewModel.h"

#include "settings/Characters.h"
#include "settings/SettingsStore.h"
#include "stores/CommandStore.h"
#include "stores/LinkStore.h"
#include "stores/SnippetStore.h"
#include "switcher/AppLetters.h"
#include "windows/ThumbnailService.h"

#include <concepts>

namespace lettergate {

namespace {

constexpr Prefix allPrefixes[] = {Prefix::clipboard, Prefix::snippet, Prefix::link, Prefix::command};

Stage listStage(Prefix prefix)
{
    switch (prefix) {
    case Prefix::clipboard:
        return Stage::clipboard();
    case Prefix::snippet:
        return Stage::snippets();
    case Prefix::link:
        return Stage::links();
    case Prefix::command:
        return Stage::commands();
    }
    Q_UNREACHABLE();
}

// The apps page's box that shows the first entries of each list.
constexpr std::pair<Prefix, Box> listBoxes[] = {{Prefix::clipboard, Box::clipboard},
                                                {Prefix::snippet, Box::snippets},
                                                {Prefix::link, Box::links},
                                                {Prefix::command, Box::commands}};

Box boxOf(Prefix prefix)
{
    for (const auto &[list, box] : listBoxes) {
        if (list == prefix)
            return box;
    }
    Q_UNREACHABLE();
}

// The list of one of the apps page's boxes other than its cards.
Prefix listOf(Box box)
{
    for (const auto &[list, listBox] : listBoxes) {
        if (listBox == box)
            return list;
    }
    Q_UNREACHABLE();
}

// The kind of list a full list page shows; nothing for the apps and windows pages.
std::optional<Prefix> listShownOn(Stage stage)
{
    for (Prefix prefix : allPrefixes) {
        if (listStage(prefix) == stage)
            return prefix;
    }
    return std::nullopt;
}

// Assigns a property and announces it when it changed. Values that cannot be compared
// (clipboard entries) are announced on every assignment.
template <typename T, typename Signal>
void publish(SwitcherViewModel *model, T &field, T value, Signal changed)
{
    if constexpr (std::equality_comparable<T>) {
        if (field == value)
            return;
    }
    field = std::move(value);
    emit(model->*changed)(field);
}

} // namespace

const QStringList &SwitcherViewModel::pickKeys()
{
    static const QStringList keys = [] {
        QStringList built;
        for (QChar key : QStringLiteral("123456789abcdefghijklmnopqrstuvwxyz"))
            built.append(QString(key));
        return built;
    }();
    return keys;
}

SwitcherViewModel::SwitcherViewModel(SwitcherSources sources, QObject *parent)
    : QObject(parent)
    , m_sources(sources)
    , m_screenRecordingGranted(sources.thumbnails.captureAllowed())
{
}

void SwitcherViewModel::reset(const QList<AppEntry> &apps)
{
    publish(this, m_apps, apps, &SwitcherViewModel::appsChanged);
    setStage(Stage::apps(), std::nullopt);
    setPending(std::nullopt);

    refreshThumbnails();
    publish(this, m_screenRecordingGranted, m_sources.thumbnails.captureAllowed(),
            &SwitcherViewModel::screenRecordingGrantedChanged);

    publish(this, m_clipItems, m_sources.clipboard.items(), &SwitcherViewModel::clipItemsChanged);
    publish(this, m_snippetItems, m_sources.snippets.snippets(), &SwitcherViewModel::snippetItemsChanged);
    publish(this, m_linkItems, m_sources.links.links(), &SwitcherViewModel::linkItemsChanged);
    publish(this, m_commandItems, m_sources.commands.commands(), &SwitcherViewModel::commandItemsChanged);

    const SettingsStore &settings = m_sources.settings;
    publish(this, m_clipboardKey, settings.clipboardKey(), &SwitcherViewModel::clipboardKeyChanged);
    publish(this, m_snippetKey, settings.snippetKey(), &SwitcherViewModel::snippetKeyChanged);
    publish(this, m_linkKey, settings.linkKey(), &SwitcherViewModel::linkKeyChanged);
    publish(this, m_commandKey, settings.commandKey(), &SwitcherViewModel::commandKeyChanged);

    // Each showing starts without the highlight, as the panel always opened.
    setHighlight(std::nullopt);
    m_appsHighlight.reset();
    m_boxItems.fill(0);
}

void SwitcherViewModel::refreshThumbnails()
{
    QList<quint32> windowIds;
    for (const AppEntry &app : std::as_const(m_apps)) {
        for (const WindowInfo &window : app.windows)
            windowIds.append(window.id);
    }
    publish(this, m_thumbnails, m_sources.thumbnails.thumbnails(windowIds), &SwitcherViewModel::thumbnailsChanged);
}

InputResult SwitcherViewModel::handle(const QString &key)
{
    const QString lowered = key.toLower();
    const QString k = lowered.isEmpty() ? key : Characters::first(lowered);

    if (m_stage.kind() == Stage::Kind::windows) {
        const AppEntry *app = appWithPid(m_stage.pid());
        if (!app)
            return {InputResult::Rejected{}};
        if (const std::optional<qsizetype> position = pickPosition(k, app->windows.size()))
            return {InputResult::Fire{app->windows.at(*position)}};
        return {InputResult::Rejected{}};
    }
    if (m_stage.kind() == Stage::Kind::apps)
        return m_pending ? resolvePending(*m_pending, k) : handleOnAppsPage(k);

    // On a full list page the list key has no meaning of its own: it is a pick key.
    const Prefix list = *listShownOn(m_stage);
    if (const std::optional<qsizetype> position = pickPosition(k, itemCount(list)))
        return pick(list, *position);
    return {InputResult::Rejected{}};
}

InputResult SwitcherViewModel::handleOnAppsPage(const QString &k)
{
    // An app's letter wins over a list key (the letters are kept apart anyway). "?" marks
    // apps that found every letter taken: shared by several, it can select none of them.
    for (const AppEntry &app : std::as_const(m_apps)) {
        if (app.letter == k && k != AppLetters::exhausted)
            return openApp(app);
    }
    if (const std::optional<Prefix> prefix = armablePrefix(k)) {
        setPending(prefix);
        return {InputResult::Awaiting{}};
    }
    if (std::optional<InputResult> launch = launchStoredApp(k))
        return *launch;
    return {InputResult::Rejected{}};
}

InputResult SwitcherViewModel::openApp(const AppEntry &app)
{
    if (!opensWindowPage(app))
        return {InputResult::Fire{app.windows.constFirst()}};
    showWindows(app.pid);
    return {InputResult::Drilled{}};
}

// A list key arms its prefix only when there is something to pick.
std::optional<Prefix> SwitcherViewModel::armablePrefix(const QString &k) const
{
    for (Prefix prefix : allPrefixes) {
        if (k == listKey(prefix) && itemCount(prefix) > 0)
            return prefix;
    }
    return std::nullopt;
}

// The stored letter of an app that has no window on the panel (running without
// windows, or not running at all).
std::optional<InputResult> SwitcherViewModel::launchStoredApp(const QString &k) const
{
    const std::optional<QString> bundleID = m_sources.settings.bundleIDForLetter(k);
    if (!bundleID)
        return std::nullopt;
    return InputResult{InputResult::LaunchApp{*bundleID, m_sources.settings.names().value(*bundleID, *bundleID)}};
}

InputResult SwitcherViewModel::resolvePending(Prefix prefix, const QString &k)
{
    // One key after a list key always ends the prefix.
    setPending(std::nullopt);
    // The list key typed again, however much later: the full list.
    if (k == listKey(prefix)) {
        setStage(listStage(prefix), Springs::forward);
        return {InputResult::Drilled{}};
    }
    if (const std::optional<qsizetype> position = pickPosition(k, itemCount(prefix)))
        return pick(prefix, *position);
    return {InputResult::Rejected{}};
}

bool SwitcherViewModel::back()
{
    if (m_pending) {
        setPending(std::nullopt);
        return true;
    }
    if (m_stage == Stage::apps())
        return false;
    setStage(Stage::apps(), Springs::back);
    return true;
}

void SwitcherViewModel::enter(Prefix list)
{
    setPending(std::nullopt);
    setStage(listStage(list), Springs::forward);
}

void SwitcherViewModel::showWindows(qint32 pid)
{
    setStage(Stage::windows(pid), Springs::forward);
}

std::optional<AppEntry> SwitcherViewModel::drilledApp() const
{
    if (m_stage.kind() != Stage::Kind::windows)
        return std::nullopt;
    if (const AppEntry *app = appWithPid(m_stage.pid()))
        return *app;
    return std::nullopt;
}

void SwitcherViewModel::setPageShape(const PageShape &shape)
{
    m_pageShape = shape;
    for (size_t box = 0; box < m_boxItems.size(); ++box)
        m_boxItems[box] = qMin(m_boxItems[box], qMax<qsizetype>(0, shape[box].shown - 1));
    if (!m_highlight)
        return;
    if (shapeOf(m_highlight->box).shown == 0)
        setHighlight(std::nullopt);
    else
        highlightItem({m_highlight->box, m_boxItems[size_t(m_highlight->box)]});
}

InputResult SwitcherViewModel::navigate(Navigation key)
{
    if (m_pending) {
        const Box armed = boxOf(*m_pending);
        setPending(std::nullopt);
        if (shapeOf(armed).shown > 0 && (!m_highlight || m_highlight->box != armed)) {
            highlightItem({armed, m_boxItems[size_t(armed)]});
            if (key != Navigation::pick)
                return {InputResult::Highlighted{}};
        }
    }
    if (key == Navigation::pick)
        return m_highlight ? pickHighlighted() : InputResult{InputResult::Rejected{}};
    if (!m_highlight) {
        // Tab order begins with the cards: the box after the last one is the first.
        const std::optional<Box> first = nextShownBox(Box::commands, 1);
        if (!first)
            return {InputResult::Rejected{}};
        highlightItem({*first, 0});
        return {InputResult::Highlighted{}};
    }
    if (key == Navigation::nextBox || key == Navigation::previousBox) {
        const Box box = *nextShownBox(m_highlight->box, key == Navigation::nextBox ? 1 : -1);
        highlightItem({box, m_boxItems[size_t(box)]});
    } else {
        highlightItem(moved(*m_highlight, key));
    }
    return {InputResult::Highlighted{}};
}

Highlight SwitcherViewModel::moved(Highlight from, Navigation arrow) const
{
    const qsizetype shown = shapeOf(from.box).shown;
    const qsizetype perRow = qMax(1, shapeOf(from.box).perRow);
    const qsizetype column = from.index % perRow;
    qsizetype index = from.index;
    switch (arrow) {
    case Navigation::left:
        if (column > 0)
            --index;
        break;
    case Navigation::right:
        if (column + 1 < perRow && index + 1 < shown)
            ++index;
        break;
    case Navigation::up:
        if (index >= perRow)
            index -= perRow;
        break;
    case Navigation::down:
        // Into a shorter last row, the nearest item it has.
        if ((index / perRow + 1) * perRow < shown)
            index = qMin(index + perRow, shown - 1);
        break;
    default:
        break;
    }
    return {from.box, index};
}

std::optional<Box> SwitcherViewModel::nextShownBox(Box from, int step) const
{
    for (int distance = 1; distance <= boxCount; ++distance) {
        const Box box = Box(((int(from) + step * distance) % boxCount + boxCount) % boxCount);
        if (shapeOf(box).shown > 0)
            return box;
    }
    return std::nullopt;
}

InputResult SwitcherViewModel::pickHighlighted()
{
    const auto [box, index] = *m_highlight;
    if (m_stage.kind() == Stage::Kind::windows) {
        const AppEntry *app = appWithPid(m_stage.pid());
        if (app && index < app->windows.size())
            return {InputResult::Fire{app->windows.at(index)}};
        return {InputResult::Rejected{}};
    }
    if (m_stage == Stage::apps() && box == Box::cards) {
        if (index < m_apps.size())
            return openApp(m_apps.at(index));
        return {InputResult::Rejected{}};
    }
    const Prefix list = m_stage == Stage::apps() ? listOf(box) : *listShownOn(m_stage);
    if (index < itemCount(list))
        return pick(list, index);
    return {InputResult::Rejected{}};
}

void SwitcherViewModel::highlightItem(Highlight item)
{
    m_boxItems[size_t(item.box)] = item.index;
    setHighlight(item);
}

void SwitcherViewModel::highlightNewPage(Stage left)
{
    // The page's shape comes with its build; until then its boxes show nothing.
    m_pageShape = {};
    m_boxItems.fill(0);
    const bool inUse = m_highlight.has_value();
    if (left == Stage::apps())
        m_appsHighlight = m_highlight;
    if (m_stage == Stage::apps() && m_appsHighlight)
        highlightItem(*m_appsHighlight);
    else
        setHighlight(inUse ? std::optional<Highlight>(Highlight{}) : std::nullopt);
}

QString SwitcherViewModel::listKey(Prefix prefix) const
{
    switch (prefix) {
    case Prefix::clipboard:
        return m_clipboardKey;
    case Prefix::snippet:
        return m_snippetKey;
    case Prefix::link:
        return m_linkKey;
    case Prefix::command:
        return m_commandKey;
    }
    Q_UNREACHABLE();
}

qsizetype SwitcherViewModel::itemCount(Prefix prefix) const
{
    switch (prefix) {
    case Prefix::clipboard:
        return m_clipItems.size();
    case Prefix::snippet:
        return m_snippetItems.size();
    case Prefix::link:
        return m_linkItems.size();
    case Prefix::command:
        return m_commandItems.size();
    }
    Q_UNREACHABLE();
}

InputResult SwitcherViewModel::pick(Prefix prefix, qsizetype position) const
{
    switch (prefix) {
    case Prefix::clipboard:
        return {InputResult::PasteClip{m_clipItems.at(position)}};
    case Prefix::snippet:
        return {InputResult::PasteSnippet{m_snippetItems.at(position)}};
    case Prefix::link:
        return {InputResult::OpenLink{m_linkItems.at(position)}};
    case Prefix::command:
        return {InputResult::RunCommand{m_commandItems.at(position)}};
    }
    Q_UNREACHABLE();
}

std::optional<qsizetype> SwitcherViewModel::pickPosition(const QString &k, qsizetype count)
{
    const qsizetype position = pickKeys().indexOf(k);
    if (position < 0 || position >= count)
        return std::nullopt;
    return position;
}

const AppEntry *SwitcherViewModel::appWithPid(qint32 pid) const
{
    for (const AppEntry &app : m_apps) {
        if (app.pid == pid)
            return &app;
    }
    return nullptr;
}

void SwitcherViewModel::setStage(Stage stage, std::optional<Spring> transition)
{
    if (m_stage == stage)
        return;
    // The transition is in place before the stage announces itself, so a view reacting
    // to stageChanged knows how to animate it.
    publish(this, m_stageTransition, transition, &SwitcherViewModel::stageTransitionChanged);
    const Stage left = m_stage;
    m_stage = stage;
    emit stageChanged(m_stage);
    // After the stage: a view redraws the highlight on the page it is about to build,
    // not on the page leaving.
    highlightNewPage(left);
}

void SwitcherViewModel::setPending(std::optional<Prefix> pending)
{
    publish(this, m_pending, pending, &SwitcherViewModel::pendingChanged);
}

void SwitcherViewModel::setHighlight(std::optional<Highlight> highlight)
{
    publish(this, m_highlight, highlight, &SwitcherViewModel::highlightChanged);
}

} // namespace lettergate
