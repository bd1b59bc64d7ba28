#include "settings/ui/SnippetsTab.h"

#include "settings/SettingsStore.h"
#include "settings/ui/KeyExampleHelp.h"
#include "settings/ui/KeyField.h"
#include "settings/ui/SettingsQuestions.h"
#include "settings/ui/ValidationMessages.h"
#include "stores/ClipboardHistory.h"
#include "stores/SnippetStore.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lettergate {

namespace {

// PNG, JPEG, TIFF and GIF first, then every other picture format Qt can read.
QString imageFileFilter()
{
    QStringList patterns{QStringLiteral("*.png"), QStringLiteral("*.jpg"),  QStringLiteral("*.jpeg"),
                         QStringLiteral("*.tif"), QStringLiteral("*.tiff"), QStringLiteral("*.gif")};
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        const QString pattern = QStringLiteral("*.") + QString::fromLatin1(format).toLower();
        if (!patterns.contains(pattern))
            patterns.append(pattern);
    }
    return QStringLiteral("Images (%1)").arg(patterns.join(u' '));
}

std::optional<QUrl> chooseImageFile(QWidget *parent)
{
    const QUrl file = QFileDialog::getOpenFileUrl(parent, QStringLiteral("Choose an Image"), QUrl(), imageFileFilter());
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

QString helpText(const QString &example)
{
    return QStringLiteral("From the panel, press a key + number to pick directly (e.g. ") + example
           + QStringLiteral("1); double-tap the key for the full list. Both keys must be distinct letters. "
                            "Click Save to apply.");
}

} // namespace

SnippetsTab::SnippetsTab(SnippetStore &snippets, SettingsStore &settings, ClipboardHistory &history, QWidget *parent)
    : ContentTab({QStringLiteral("Snippets"), QStringLiteral("No snippets yet"),
                  QStringLiteral("Add text or images, then Save. Paste by number from the panel.")},
                 parent)
    , m_snippets(snippets)
    , m_settings(settings)
    , m_history(history)
    , m_chooseImage(chooseImageFile)
    , m_confirmClearingHistory(SettingsQuestions::confirmClearingHistory)
    , m_clipKey(new KeyField(QStringLiteral("Clipboard key"), QStringLiteral("clipboardKey"), this))
    , m_snipKey(new KeyField(QStringLiteral("Snippet key"), QStringLiteral("snippetKey"), this))
    , m_limit(new QSpinBox(this))
    , m_draft(rowList(), [this](const Snippet &snippet) { return makeEditor(snippet); })
{
    connect(addHeaderButton(QStringLiteral("Text"), u"plus"), &QPushButton::clicked, this,
            &SnippetsTab::addTextSnippet);
    connect(addHeaderButton(QStringLiteral("Image"), u"photo"), &QPushButton::clicked, this, &SnippetsTab::importImage);

    auto *keys = new QHBoxLayout;
    keys->setSpacing(24);
    keys->addWidget(m_clipKey, 0, Qt::AlignTop);
    keys->addWidget(m_snipKey, 0, Qt::AlignTop);
    keys->addStretch();

    m_limit->setObjectName(QStringLiteral("historyLimit"));
    m_limit->setPrefix(QStringLiteral("Clipboard history limit: "));
    m_limit->setRange(SettingsStore::minimumHistoryLimit, SettingsStore::maximumHistoryLimit);
    m_limit->setSingleStep(1);
    auto *clearButton = new QPushButton(QStringLiteral("Clear Clipboard History"), this);
    clearButton->setObjectName(QStringLiteral("clearHistory"));
    connect(clearButton, &QPushButton::clicked, this, &SnippetsTab::clearHistory);
    auto *historyControls = new QHBoxLayout;
    historyControls->setSpacing(16);
    historyControls->addWidget(m_limit, 0, Qt::AlignVCenter);
    historyControls->addWidget(clearButton, 0, Qt::AlignVCenter);
    historyControls->addStretch();

    keyArea()->addLayout(keys);
    keyArea()->addLayout(historyControls);
    keyArea()->addWidget(keyExampleHelp(m_clipKey->edit(), QStringLiteral("V"), helpText, this));
}

SnippetEditor *SnippetsTab::makeEditor(const Snippet &snippet)
{
    std::optional<QString> imagePath;
    if (const std::optional<QUrl> url = m_snippets.imageURL(snippet))
        imagePath = url->toLocalFile();
    return new SnippetEditor(snippet, imagePath);
}

void SnippetsTab::reload()
{
    m_draft.load(m_snippets.snippets());
    m_clipKey->setText(m_settings.clipboardKey().toUpper());
    m_snipKey->setText(m_settings.snippetKey().toUpper());
    m_limit->setValue(m_settings.clipboardHistoryLimit());
    setErrorText(std::nullopt);
}

bool SnippetsTab::hasUnsavedEdits() const
{
    return m_draft.records() != m_snippets.snippets() || typedKey(m_clipKey->text()) != m_settings.clipboardKey()
           || typedKey(m_snipKey->text()) != m_settings.snippetKey()
           || m_limit->value() != m_settings.clipboardHistoryLimit();
}

void SnippetsTab::save()
{
    const ValidationMessages &messages = ValidationMessages::snippets;
    const QString clipboardKey = typedKey(m_clipKey->text());
    const QString snippetKey = typedKey(m_snipKey->text());
    if (clipboardKey.isEmpty() || snippetKey.isEmpty()) {
        setErrorText(messages.notALetter);
        return;
    }
    if (const std::optional<QString> rejected = messages.messageFor(
            m_settings.setQuickKeys(clipboardKey, snippetKey))) {
        setErrorText(rejected);
        return;
    }
    m_settings.setClipboardHistoryLimit(m_limit->value());
    m_snippets.replaceAll(m_draft.records());
    setErrorText(std::nullopt);
}

void SnippetsTab::clearHistory()
{
    if (m_confirmClearingHistory(this))
        m_history.clear();
}

void SnippetsTab::addTextSnippet()
{
    Snippet snippet;
    snippet.name = QStringLiteral("New text snippet");
    m_draft.appendNew(snippet);
}

void SnippetsTab::importImage()
{
    const std::optional<QUrl> file = m_chooseImage(this);
    if (!file)
        return;
    if (const std::optional<Snippet> snippet = m_snippets.importImage(*file))
        m_draft.appendNew(*snippet);
}

} // namespace lettergate
