#pragma once

#include "stores/Snippet.h"

#include <QWidget>
#include <optional>

class QLineEdit;
class QPlainTextEdit;

namespace lettergate {

class SnippetImagePreview;

// One snippet of the working copy: its name, and its text or its picture.
class SnippetEditor : public QWidget {
    Q_OBJECT
public:
    using Record = Snippet;

    // `imagePath` is the picture's file for an image snippet.
    SnippetEditor(const Snippet &snippet, const std::optional<QString> &imagePath, QWidget *parent = nullptr);

    const Snippet &record() const { return m_snippet; }

    QLineEdit *nameField() const { return m_name; }
    // Nothing for an image snippet.
    QPlainTextEdit *textEditor() const { return m_text; }
    // Nothing for a text snippet.
    SnippetImagePreview *picture() const { return m_picture; }

signals:
    void deleteRequested(const QUuid &id);

private:
    Snippet m_snippet;
    QLineEdit *m_name;
    QPlainTextEdit *m_text = nullptr;
    SnippetImagePreview *m_picture = nullptr;
};

} // namespace lettergate
