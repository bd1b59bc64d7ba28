#include "app/Paster.h"

#include "app/PasteKeystrokeChoice.h"
#include "platform/Apps.h"
#include "platform/Feedback.h"
#include "platform/Keystrokes.h"
#include "platform/Notifications.h"
#include "platform/Pasteboard.h"
#include "settings/SettingsStore.h"
#include "stores/FailureNotice.h"
#include "stores/PictureFiles.h"
#include "stores/SnippetStore.h"

#include <QTimer>

namespace lettergate {

Paster::Paster(Pasteboard &pasteboard, Apps &apps, Keystrokes &keystrokes, Feedback &feedback,
               Notifications &notifications, SnippetStore &snippets, const SettingsStore &settings)
    : m_pasteboard(pasteboard)
    , m_apps(apps)
    , m_keystrokes(keystrokes)
    , m_feedback(feedback)
    , m_notifications(notifications)
    , m_snippets(snippets)
    , m_settings(settings)
{
}

void Paster::pasteText(const QString &text, std::optional<qint32> previousApp)
{
    if (text.isEmpty()) {
        refuse(QStringLiteral("the text"), QStringLiteral("It is empty."));
        return;
    }
    m_pasteboard.clear();
    m_pasteboard.setString(text);
    // Terminals paste the primary selection on Shift+Insert, most other programs the
    // clipboard: with both ours, either pastes this text.
    m_pasteboard.setPrimarySelection(text);
    activateAndPaste(previousApp);
}

void Paster::pasteImage(const QImage &image, std::optional<qint32> previousApp)
{
    m_pasteboard.clear();
    m_pasteboard.writeImage(image);
    // A terminal pastes the primary selection on Shift+Insert: it must not type the text
    // left there by an earlier paste or selection.
    m_pasteboard.setPrimarySelection(QString());
    activateAndPaste(previousApp);
}

void Paster::pasteSnippet(const Snippet &snippet, std::optional<qint32> previousApp)
{
    const QString name = QStringLiteral("“%1”").arg(FailureNotice::shortened(snippet.name.simplified(), 60));
    if (snippet.kind == Snippet::Kind::image) {
        const std::optional<QImage> picture = snippetPicture(snippet);
        if (!picture) {
            refuse(name, QStringLiteral("Its picture file is missing or cannot be read."));
            return;
        }
        pasteImage(*picture, previousApp);
        return;
    }
    if (snippet.text.isEmpty()) {
        refuse(name, QStringLiteral("It holds no text."));
        return;
    }
    pasteText(snippet.text, previousApp);
}

void Paster::refuse(const QString &what, const QString &why)
{
    m_feedback.beep();
    FailureNotice{QStringLiteral("Could not paste %1").arg(what), why}.showOn(m_notifications);
}

std::optional<QImage> Paster::snippetPicture(const Snippet &snippet) const
{
    const std::optional<QUrl> url = m_snippets.imageURL(snippet);
    if (!url)
        return std::nullopt;
    // Through the reader that trusts no file: a pipe in the picture's place would hold
    // the GUI thread for ever.
    QImage picture = PictureFiles::readStoredPng(url->toLocalFile());
    if (picture.isNull())
        return std::nullopt;
    return picture;
}

void Paster::activateAndPaste(std::optional<qint32> previousApp)
{
    const PasteKeystroke keystroke = keystrokeFor(previousApp);
    if (previousApp)
        m_apps.activateApp(*previousApp);
    Keystrokes *keystrokes = &m_keystrokes;
    QTimer::singleShot(keystrokeDelayMs, [keystrokes, keystroke] { keystrokes->postPaste(keystroke); });
}

PasteKeystroke Paster::keystrokeFor(std::optional<qint32> app) const
{
    const std::optional<QString> bundleID = app ? m_apps.bundleIdentifier(*app) : std::nullopt;
    if (!bundleID)
        return PasteKeystroke::controlV;
    return pasteKeystrokeFor(*bundleID, m_settings.pasteKeystroke(*bundleID), m_apps.categories(*bundleID));
}

} // namespace lettergate
