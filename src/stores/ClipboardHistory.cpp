#include "stores/ClipboardHistory.h"

#include "platform/Log.h"
#include "platform/Pasteboard.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "stores/JsonFields.h"
#include "stores/PrivateFiles.h"

#include <QFile>
#include <algorithm>

struct ClipboardHistory::Stored {
    QUuid id;
    bool isImage = false;
    std::optional<QString> text;
    std::optional<QString> imageFile;

    QJsonObject toJson() const
    {
        QJsonObject object{{QLatin1StringView("id"), JsonFields::uuidText(id)},
                           {QLatin1StringView("isImage"), isImage}};
        JsonFields::insertIfPresent(object, QLatin1StringView("text"), text);
        JsonFields::insertIfPresent(object, QLatin1StringView("imageFile"), imageFile);
        return object;
    }

    static std::optional<Stored> fromJson(const QJsonObject &object)
    {
        Stored stored;
        const auto id = JsonFields::requiredUuid(object, QLatin1StringView("id"));
        const auto isImage = JsonFields::requiredBool(object, QLatin1StringView("isImage"));
        if (!id || !isImage || !JsonFields::readOptionalString(object, QLatin1StringView("text"), stored.text)
            || !JsonFields::readOptionalString(object, QLatin1StringView("imageFile"), stored.imageFile))
            return std::nullopt;
        stored.id = *id;
        stored.isImage = *isImage;
        return stored;
    }
};

namespace {

QString imageFileName(const QUuid &id)
{
    return JsonFields::uuidText(id) + QStringLiteral(".png");
}

} // namespace

ClipboardHistory &ClipboardHistory::shared()
{
    static ClipboardHistory *const instance =
        new ClipboardHistory(Platform::current().pasteboard(), Paths::dataDirectory());
    return *instance;
}

ClipboardHistory::ClipboardHistory(Pasteboard &pasteboard, const QString &dataDirectory, QObject *parent)
    : QObject(parent)
    , m_pasteboard(pasteboard)
    , m_imagesDirectory(PrivateFiles::fileInPrivateDirectory(dataDirectory, QStringLiteral("clipboard_images")))
    , m_file(dataDirectory + QStringLiteral("/clipboard.json"))
    , m_lastChangeCount(pasteboard.changeCount())
{
    Paths::ensurePrivateDirectory(m_imagesDirectory);
    m_pollTimer.setInterval(pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &ClipboardHistory::checkPasteboard);
    connect(&m_imageWriter, &ImageFileWriter::finished, this, &ClipboardHistory::onImageWritten);
    load();
}

void ClipboardHistory::load()
{
    const std::optional<QList<Stored>> records = m_file.loadRecords<Stored>();
    if (!records)
        return;
    QList<Item> items;
    for (const Stored &record : *records) {
        if (!record.isImage) {
            items.append(Item{record.id, Item::Kind::text, record.text.value_or(QString()), {}, std::nullopt});
            continue;
        }
        // A picture whose file is gone (or was never written) cannot be pasted: skip it.
        if (!record.imageFile || !PrivateFiles::isBareFileName(*record.imageFile))
            continue;
        const QImage image(imagePath(*record.imageFile));
        if (image.isNull())
            continue;
        items.append(Item{record.id, Item::Kind::image, QString(), image, record.imageFile});
    }
    m_items = std::move(items);
    emit itemsChanged();
}

void ClipboardHistory::setLimit(int limit)
{
    m_limit = std::max(0, limit);
}

void ClipboardHistory::enforceLimit()
{
    if (trimToLimit())
        emit itemsChanged();
}

bool ClipboardHistory::trimToLimit()
{
    if (m_items.size() <= m_limit)
        return false;
    std::for_each(m_items.cbegin() + m_limit, m_items.cend(), [this](const Item &item) { removeImageFile(item); });
    m_items.resize(m_limit);
    return true;
}

void ClipboardHistory::save()
{
    for (const Item &item : std::as_const(m_items)) {
        if (item.isImage() && !item.imageFile && !m_imageWriter.isWriting(item.id))
            m_imageWriter.write(item.id, item.image, imagePath(imageFileName(item.id)));
    }
    writeList();
}

void ClipboardHistory::writeList()
{
    QList<Stored> records;
    records.reserve(m_items.size());
    for (const Item &item : std::as_const(m_items)) {
        if (item.isImage())
            records.append(Stored{item.id, true, std::nullopt, item.imageFile});
        else
            records.append(Stored{item.id, false, item.text, std::nullopt});
    }
    m_file.saveRecords(records);
}

void ClipboardHistory::onImageWritten(const QUuid &id, bool written)
{
    const auto item = std::find_if(m_items.begin(), m_items.end(), [&id](const Item &entry) { return entry.id == id; });
    if (item == m_items.end()) {
        // Trimmed or cleared while its picture was being written.
        if (written)
            QFile::remove(imagePath(imageFileName(id)));
        return;
    }
    if (!written)
        return;
    item->imageFile = imageFileName(id);
    emit itemsChanged();
    writeList();
}

void ClipboardHistory::start()
{
    if (m_pollTimer.isActive())
        return;
    m_lastChangeCount = m_pasteboard.changeCount();
    captureCurrent();
    m_pollTimer.start();
}

void ClipboardHistory::checkPasteboard()
{
    const qint64 changeCount = m_pasteboard.changeCount();
    if (changeCount == m_lastChangeCount)
        return;
    m_lastChangeCount = changeCount;
    captureCurrent();
}

void ClipboardHistory::captureCurrent()
{
    std::optional<Item> candidate = clipboardContent();
    if (!candidate)
        return;
    // Only the newest entry is compared, and pictures never are.
    if (!candidate->isImage() && !m_items.isEmpty() && !m_items.constFirst().isImage()
        && m_items.constFirst().text == candidate->text)
        return;
    m_items.prepend(std::move(*candidate));
    trimToLimit();
    emit itemsChanged();
    save();
}

std::optional<ClipboardHistory::Item> ClipboardHistory::clipboardContent()
{
    if (std::optional<QString> text = m_pasteboard.string(); text && !text->isEmpty()) {
        if (text->size() > maximumTextLength) {
            Log::info(QStringLiteral("clipboard text of %1 characters not recorded: the history takes at most %2")
                          .arg(text->size())
                          .arg(maximumTextLength));
            return std::nullopt;
        }
        Item item;
        item.text = std::move(*text);
        return item;
    }

    std::optional<QImage> image = m_pasteboard.image();
    if (!image || image->isNull())
        return std::nullopt;
    if (qint64(image->width()) * image->height() > maximumImagePixels) {
        Log::info(QStringLiteral("clipboard picture of %1×%2 pixels not recorded: the history takes at most %3 pixels")
                      .arg(image->width())
                      .arg(image->height())
                      .arg(maximumImagePixels));
        return std::nullopt;
    }
    Item item;
    item.kind = Item::Kind::image;
    item.image = std::move(*image);
    return item;
}

void ClipboardHistory::clear()
{
    for (const Item &item : std::as_const(m_items))
        removeImageFile(item);
    m_items.clear();
    emit itemsChanged();
    save();
}

void ClipboardHistory::applyHistoryLimit(int limit)
{
    setLimit(limit);
    enforceLimit();
    save();
}

void ClipboardHistory::removeImageFile(const Item &item)
{
    if (item.imageFile && PrivateFiles::isBareFileName(*item.imageFile))
        QFile::remove(imagePath(*item.imageFile));
}

QString ClipboardHistory::imagePath(const QString &fileName) const
{
    return m_imagesDirectory + u'/' + fileName;
}
