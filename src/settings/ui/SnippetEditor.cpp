#include "settings/ui/SnippetEditor.h"

#include "settings/ui/EditorParts.h"
#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SnippetImagePreview.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lettergate {

SnippetEditor::SnippetEditor(const Snippet &snippet, const std::optional<QString> &imagePath, QWidget *parent)
    : QWidget(parent)
    , m_snippet(snippet)
    , m_name(EditorParts::nameField(snippet.name, 260, this))
{
    const bool isImage = snippet.kind == Snippet::Kind::image;
    QVBoxLayout *layout = EditorParts::layOut(this, isImage ? u"photo" : u"text.alignleft", m_name, {},
                                              [this] { emit deleteRequested(m_snippet.id); });
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString &name) { m_snippet.name = name; });
    if (isImage) {
        m_picture = new SnippetImagePreview(imagePath, this);
        layout->addWidget(m_picture);
    } else {
        m_text = SettingsStyle::outlinedEditor(SettingsStyle::editorFont(), 72, this);
        m_text->setObjectName(QStringLiteral("text"));
        m_text->setPlainText(snippet.text);
        connect(m_text, &QPlainTextEdit::textChanged, this, [this] { m_snippet.text = m_text->toPlainText(); });
        layout->addWidget(m_text);
    }
}

} // namespace lettergate
