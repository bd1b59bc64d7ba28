#pragma once

#include "platform/PasteKeystroke.h"

#include <QImage>
#include <QString>
#include <optional>

namespace lettergate {

class Apps;
class Feedback;
class Keystrokes;
class Notifications;
class Pasteboard;
class SettingsStore;
class SnippetStore;
struct Snippet;

// Puts text or a picture on the clipboard (a text in the primary selection too), gives
// the focus back to the application that was in front before the panel opened, and a
// moment later types the keystroke that makes that application paste (see
// pasteKeystrokeFor). Nothing to paste is reported with the bell and one desktop
// notification, the user's clipboard left as it was.
class Paster {
public:
    // How long the re-activated application gets to come to the front before the
    // keystroke arrives.
    static constexpr int keystrokeDelayMs = 120;

    Paster(Pasteboard &pasteboard, Apps &apps, Keystrokes &keystrokes, Feedback &feedback, Notifications &notifications,
           SnippetStore &snippets, const SettingsStore &settings);

    // Empty text is refused and leaves the clipboard alone.
    void pasteText(const QString &text, std::optional<qint32> previousApp);
    void pasteImage(const QImage &image, std::optional<qint32> previousApp);
    // A snippet with nothing to paste (empty text, a missing or unreadable picture)
    // is refused and leaves the user's clipboard as it was: it is checked before the
    // clipboard is cleared.
    void pasteSnippet(const Snippet &snippet, std::optional<qint32> previousApp);
    // Says that `what` ("the picture", "“Logo”") could not be pasted, and why: the bell
    // and one notification.
    void refuse(const QString &what, const QString &why);

private:
    std::optional<QImage> snippetPicture(const Snippet &snippet) const;
    // Focus to the previous application, then the keystroke after the delay.
    void activateAndPaste(std::optional<qint32> previousApp);
    PasteKeystroke keystrokeFor(std::optional<qint32> app) const;

    Pasteboard &m_pasteboard;
    Apps &m_apps;
    Keystrokes &m_keystrokes;
    Feedback &m_feedback;
    Notifications &m_notifications;
    SnippetStore &m_snippets;
    const SettingsStore &m_settings;
};

} // namespace lettergate
