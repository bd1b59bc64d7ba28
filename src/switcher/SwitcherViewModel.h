#pragma once

#include "stores/ClipboardHistory.h"
#include "stores/Command.h"
#include "stores/QuickLink.h"
#include "stores/Snippet.h"
#include "switcher/AppEntry.h"
#include "switcher/Highlight.h"
#include "switcher/InputResult.h"
#include "switcher/Stage.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <optional>

namespace lettergate {

class CommandStore;
class LinkStore;
class SettingsStore;
class SnippetStore;
class ThumbnailService;

// Where the view model takes the snapshot it shows at every reset.
struct SwitcherSources {
    SettingsStore &settings;
    ThumbnailService &thumbnails;
    ClipboardHistory &clipboard;
    SnippetStore &snippets;
    LinkStore &links;
    CommandStore &commands;
};

// The state behind the switcher panel, and the state machine that turns one typed
// character into one decision. It never touches windows, the clipboard or the shell: it
// changes its own properties and answers with an InputResult that the controller
// carries out. Each property announces its changes; the panel redraws from them.
// GUI thread only.
class SwitcherViewModel : public QObject {
    Q_OBJECT
public:
    using ThumbnailMap = QHash<quint32, QImage>;
    using ClipList = QList<ClipboardHistory::Item>;

private:
    Q_PROPERTY(QList<AppEntry> apps READ apps NOTIFY appsChanged)
    Q_PROPERTY(Stage stage READ stage NOTIFY stageChanged)
    Q_PROPERTY(std::optional<Spring> stageTransition READ stageTransition NOTIFY stageTransitionChanged)
    Q_PROPERTY(std::optional<Prefix> pending READ pending NOTIFY pendingChanged)
    Q_PROPERTY(ThumbnailMap thumbnails READ thumbnails NOTIFY thumbnailsChanged)
    Q_PROPERTY(bool screenRecordingGranted READ screenRecordingGranted NOTIFY screenRecordingGrantedChanged)
    Q_PROPERTY(ClipList clipItems READ clipItems NOTIFY clipItemsChanged)
    Q_PROPERTY(QList<Snippet> snippetItems READ snippetItems NOTIFY snippetItemsChanged)
    Q_PROPERTY(QList<QuickLink> linkItems READ linkItems NOTIFY linkItemsChanged)
    Q_PROPERTY(QList<Command> commandItems READ commandItems NOTIFY commandItemsChanged)
    Q_PROPERTY(QString clipboardKey READ clipboardKey NOTIFY clipboardKeyChanged)
    Q_PROPERTY(QString snippetKey READ snippetKey NOTIFY snippetKeyChanged)
    Q_PROPERTY(QString linkKey READ linkKey NOTIFY linkKeyChanged)
    Q_PROPERTY(QString commandKey READ commandKey NOTIFY commandKeyChanged)
    Q_PROPERTY(std::optional<Highlight> highlight READ highlight NOTIFY highlightChanged)

public:
    // The 35 keys that pick list positions 1 to 35: "1"–"9", then "a"–"z".
    static const QStringList &pickKeys();

    // Empty, on the apps page, with placeholder list keys until the first reset.
    explicit SwitcherViewModel(SwitcherSources sources, QObject *parent = nullptr);

    const QList<AppEntry> &apps() const { return m_apps; }
    Stage stage() const { return m_stage; }
    // How the latest change of stage is to be animated; nothing for a change that is
    // not animated (a reset).
    std::optional<Spring> stageTransition() const { return m_stageTransition; }
    std::optional<Prefix> pending() const { return m_pending; }
    // The cached pictures of the listed windows, as they were at the last reset or
    // refresh.
    const ThumbnailMap &thumbnails() const { return m_thumbnails; }
    bool screenRecordingGranted() const { return m_screenRecordingGranted; }
    const ClipList &clipItems() const { return m_clipItems; }
    const QList<Snippet> &snippetItems() const { return m_snippetItems; }
    const QList<QuickLink> &linkItems() const { return m_linkItems; }
    const QList<Command> &commandItems() const { return m_commandItems; }
    const QString &clipboardKey() const { return m_clipboardKey; }
    const QString &snippetKey() const { return m_snippetKey; }
    const QString &linkKey() const { return m_linkKey; }
    const QString &commandKey() const { return m_commandKey; }
    // The item the keyboard highlight is on. None until an arrow key or Tab shows it;
    // once shown it stays for the showing, and each page the panel moves to starts
    // with its first card highlighted (the apps page with the item it left).
    std::optional<Highlight> highlight() const { return m_highlight; }

    // Before every showing: the new apps, the apps page, no prefix, and a fresh snapshot
    // of the pictures, the permission, the four lists and the list keys. Not animated.
    void reset(const QList<AppEntry> &apps);
    // Takes the picture cache's current pictures of the listed windows: those captured
    // while the panel is open, and, while it is closed, those of a prefetch, letting go
    // of the ones replaced (they would stay held until the next reset).
    void refreshThumbnails();

    // One typed letter or digit; upper case counts as lower case.
    InputResult handle(const QString &key);
    // The key after an armed list key (k already normalised): the same list key again
    // opens the full list, a pick key within the list picks, anything else is refused.
    // The prefix is cleared in every case.
    InputResult resolvePending(Prefix prefix, const QString &k);
    // Undoes one step: the armed prefix first, then the page. False on the apps page
    // with nothing armed.
    bool back();
    // Opens the full list page of this kind, dropping any armed prefix.
    void enter(Prefix list);
    // Opens the window page of this app; an armed prefix stays armed.
    void showWindows(qint32 pid);
    // The app whose windows are shown; nothing on other pages or when it is gone.
    std::optional<AppEntry> drilledApp() const;

    // How the view lays out the page shown, told each time it builds the page; a change
    // of page forgets the shape of the one before. A highlight beyond what its box now
    // shows moves to the box's last item (off an emptied box, it goes).
    void setPageShape(const PageShape &shape);
    // An arrow key, Tab or Shift+Tab, or Enter. Arrows move within the highlighted box
    // and stop at its edges (no wrap: Left and Right stay in their row, Up and Down in
    // their column); Tab and Shift+Tab go to the next or previous box that shows
    // something, round the page, each box keeping the item it had; Enter picks the
    // highlighted item as its letter or digit would. The first arrow key or Tab shows
    // the highlight on the page's first item. With a list key armed, the prefix is
    // dropped and the highlight goes into its box first (Enter then picks there).
    // Refused: Enter with nothing highlighted, or a page with nothing to highlight.
    InputResult navigate(Navigation key);

signals:
    void appsChanged(const QList<AppEntry> &apps);
    void stageChanged(Stage stage);
    void stageTransitionChanged(std::optional<Spring> transition);
    void pendingChanged(std::optional<Prefix> pending);
    void thumbnailsChanged(const SwitcherViewModel::ThumbnailMap &thumbnails);
    void screenRecordingGrantedChanged(bool granted);
    void clipItemsChanged(const SwitcherViewModel::ClipList &items);
    void snippetItemsChanged(const QList<Snippet> &items);
    void linkItemsChanged(const QList<QuickLink> &items);
    void commandItemsChanged(const QList<Command> &items);
    void clipboardKeyChanged(const QString &key);
    void snippetKeyChanged(const QString &key);
    void linkKeyChanged(const QString &key);
    void commandKeyChanged(const QString &key);
    void highlightChanged(std::optional<Highlight> highlight);

private:
    InputResult handleOnAppsPage(const QString &k);
    // Switches to the app's one window, or opens the page of its windows.
    InputResult openApp(const AppEntry &app);
    InputResult pickHighlighted();
    // Where an arrow key takes the highlight within its box.
    Highlight moved(Highlight from, Navigation arrow) const;
    // The next box after `from` (backwards with step -1) that shows something, round
    // the page; `from` itself when no other does.
    std::optional<Box> nextShownBox(Box from, int step) const;
    const BoxShape &shapeOf(Box box) const { return m_pageShape[size_t(box)]; }
    // Highlights the item, which its box then keeps.
    void highlightItem(Highlight item);
    // The new page's highlight, once the stage has changed.
    void highlightNewPage(Stage left);
    std::optional<Prefix> armablePrefix(const QString &k) const;
    std::optional<InputResult> launchStoredApp(const QString &k) const;

    QString listKey(Prefix prefix) const;
    qsizetype itemCount(Prefix prefix) const;
    // The pick result for item `position` of the prefix's list; the caller has checked it.
    InputResult pick(Prefix prefix, qsizetype position) const;
    // The item that k picks from a list of `count` items, if any.
    static std::optional<qsizetype> pickPosition(const QString &k, qsizetype count);

    const AppEntry *appWithPid(qint32 pid) const;
    void setStage(Stage stage, std::optional<Spring> transition);
    void setPending(std::optional<Prefix> pending);
    void setHighlight(std::optional<Highlight> highlight);

    SwitcherSources m_sources;
    QList<AppEntry> m_apps;
    Stage m_stage;
    std::optional<Spring> m_stageTransition;
    std::optional<Prefix> m_pending;
    ThumbnailMap m_thumbnails;
    bool m_screenRecordingGranted = false;
    ClipList m_clipItems;
    QList<Snippet> m_snippetItems;
    QList<QuickLink> m_linkItems;
    QList<Command> m_commandItems;
    QString m_clipboardKey = QStringLiteral("v");
    QString m_snippetKey = QStringLiteral("b");
    QString m_linkKey = QStringLiteral("q");
    QString m_commandKey = QStringLiteral("m");
    PageShape m_pageShape{};
    std::optional<Highlight> m_highlight;
    // The item each box of the page had last, for Tab to come back to.
    std::array<qsizetype, boxCount> m_boxItems{};
    // The apps page's highlight, kept while another page shows.
    std::optional<Highlight> m_appsHighlight;
};

} // namespace lettergate
