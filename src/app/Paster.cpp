#include "app/Paster.h"

#include "platform/Apps.h"
#include "platform/Feedback.h"
#include "platform/Keystrokes.h"
#include "platform/Pasteboard.h"
#include "stores/SnippetStore.h"

#include <QTimer>

Paster::Paster(Pasteboard &pasteboard, Apps &apps, Keystrokes &keystrokes, Feedback &feedback, SnippetStore &snippets)
    : m_pasteboard(pasteboard)
    , m_apps(apps)
    , m_keystrokes(keystrokes)
    , m_feedback(feedback)
    , m_snippets(snippets)
{
}

void Paster::pasteText(const QString &text, std::optional<qint32> previousApp)
{
    if (text.isEmpty()) {
        m_feedback.beep();
        return;
    }
    m_pasteboard.clear();
    m_pasteboard.setString(text);
    activateAndPaste(previousApp);
}

void Paster::pasteImage(const QImage &image, std::optional<qint32> previousApp)
{
    m_pasteboard.clear();
    m_pasteboard.writeImage(image);
    activateAndPaste(previousApp);
}

void Paster::pasteSnippet(const Snippet &snippet, std::optional<qint32> previousApp)
{
    if (snippet.kind == Snippet::Kind::image) {
        const std::optional<QImage> picture = snippetPicture(snippet);
        if (!picture) {
            m_feedback.beep();
            return;
        }
        pasteImage(*picture, previousApp);
        return;
    }
    pasteText(snippet.text, previousApp);
}

std::optional<QImage> Paster::snippetPicture(const Snippet &snippet) const
{
    const std::optional<QUrl> url = m_snippets.imageURL(snippet);
    if (!url)
        return std::nullopt;
    QImage picture(url->toLocalFile());
    if (picture.isNull())
        return std::nullopt;
    return picture;
}

void Paster::activateAndPaste(std::optional<qint32> previousApp)
{
    if (previousApp)
        m_apps.activateApp(*previousApp);
    Keystrokes *keystrokes = &m_keystrokes;
    QTimer::singleShot(keystrokeDelayMs, [keystrokes] { keystrokes->postPaste(); });
}
