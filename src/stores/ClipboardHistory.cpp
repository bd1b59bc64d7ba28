#include "stores/ClipboardHistory.h"

#include "platform/Log.h"
#include "platform/Pasteboard.h"
#include "platform/Paths.h"
#include "platform/UnreadableCopies.h"
#include "stores/JsonFields.h"
#include "stores/PrivateFiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <utility>

namespace lettergate {

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

ClipboardHistory::ClipboardHistory(Pasteboard &pasteboard, const QString &dataDirectory, QObject *parent)
    : QObject(parent)
    , m_pasteboard(pasteboard)
    , m_imagesDirectory(PrivateFiles::fileInPrivateDirectory(dataDirectory, QStringLiteral("clipboard_images")))
    , m_file(dataDirectory + QStringLiteral("/clipboard.json"), DataFile::reportThrough(this))
    , m_lastChangeCount(pasteboard.changeCount())
{
    Paths::ensurePrivateDirectory(m_imagesDirectory);
    m_pollTimer.setInterval(pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &ClipboardHistory::checkPasteboard);
    connect(&m_pasteboard, &Pasteboard::contentRead, this, &ClipboardHistory::onContentRead);
    connect(&m_imageWriter, &ImageFileWriter::finished, this, &ClipboardHistory::onImageWritten);
    connect(&m_imageWriter, &ImageFileWriter::previewMade, this, &ClipboardHistory::onPreviewMade);
    load();
}

ClipboardHistory::~ClipboardHistory()
{
    m_file.flushPendingSave();
}

void ClipboardHistory::load()
{
    const std::optional<QList<Stored>> records = m_file.loadRecords<Stored>();
    if (!records)
        return;
    removeUnlistedImageFiles(*records);
    QList<Item> items;
    for (const Stored &record : *records) {
        if (!record.isImage) {
            items.append(Item{record.id, Item::Kind::text, record.text.value_or(QString()), {}, std::nullopt});
            continue;
        }
        if (std::optional<Item> picture = loadedPicture(record))
            items.append(std::move(*picture));
    }
    m_items = std::move(items);
    emit itemsChanged();
}

std::optional<ClipboardHistory::Item> ClipboardHistory::loadedPicture(const Stored &record) const
{
    // A picture whose file is gone (or was never written) cannot be pasted: skip it.
    if (!record.imageFile || !PrivateFiles::isBareFileName(*record.imageFile))
        return std::nullopt;
    // Nothing but a regular file is opened: a pipe put in a picture's place would block.
    const QString path = imagePath(*record.imageFile);
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Only the header is decoded here: the pixels are, away from the GUI thread, when the
    // preview is made.
    QImageReader header(&file, "PNG");
    const QSize size = header.size();
    if (!header.canRead() || size.isEmpty() || qint64(size.width()) * size.height() > maximumImagePixels)
        return std::nullopt;
    // A file far larger than any PNG of its size could be is never decoded: even 16-bit
    // RGBA stored uncompressed is 8 bytes a pixel and one a row.
    const qint64 largestSound = qint64(size.height()) * (1 + qint64(size.width()) * 8) * 11 / 10 + (qint64(1) << 20);
    if (file.size() > largestSound)
        return std::nullopt;
    return Item{record.id, Item::Kind::image, QString(), ClipPicture::fromFile(path, size), record.imageFile};
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
    std::for_each(m_items.cbegin() + m_limit, m_items.cend(), [this](const Item &item) { forget(item); });
    m_items.resize(m_limit);
    return true;
}

void ClipboardHistory::save()
{
    m_imageWriter.retryFailed();
    writeList();
}

void ClipboardHistory::writePicture(const QUuid &id, const QImage &image)
{
    const QList<QUuid> letGo = m_imageWriter.write(id, image, imagePath(imageFileName(id)));
    if (letGo.isEmpty())
        return;
    // Pictures never written cannot be kept: their entries go with them.
    noteBacklog();
    m_items.removeIf([&letGo](const Item &item) { return letGo.contains(item.id); });
}

bool ClipboardHistory::isHoldingTooManyPictures() const
{
    return m_imageWriter.busyBytes() >= readPauseBytes;
}

void ClipboardHistory::noteBacklog()
{
    if (std::exchange(m_backlogLogged, true))
        return;
    qCInfo(lcClipboard).noquote() << QStringLiteral(
        "clipboard pictures are copied faster than they can be saved: until saving catches up, "
        "only the newest copy is kept");
}

QImage ClipboardHistory::pictureToPaste(const Item &item) const
{
    const QImage held = m_imageWriter.heldPicture(item.id);
    return held.isNull() ? item.picture.image() : held;
}

void ClipboardHistory::flushPendingWrites(CopyBeingRead copyBeingRead, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    const auto remaining = [&deadline] { return std::chrono::milliseconds(deadline.remainingTime()); };
    // A copy being read as the program quits (the screenshot just taken) is kept too.
    if (m_isReading && copyBeingRead == CopyBeingRead::WaitForIt) {
        QEventLoop loop;
        connect(this, &ClipboardHistory::readFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(remaining(), &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!m_imageWriter.finishWrites(remaining()))
        qCWarning(lcClipboard).noquote()
            << QStringLiteral("quitting with clipboard pictures not saved after %1 s").arg(timeout.count() / 1000.0);
    // The pictures' reports just delivered saved the list naming their files.
    m_file.flushPendingSave(remaining());
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
    // The pictures of entries gone from this list are deleted once it is on disk (or a
    // later one, which leaves them out as well).
    m_file.saveRecordsSoon(records, [this, gone = m_forgottenImageFiles] { removeImageFiles(gone); });
}

void ClipboardHistory::onImageWritten(const QUuid &id, bool written, const QImage &preview)
{
    const auto item = findItem(id);
    if (item == m_items.end()) {
        // Trimmed or cleared while its picture was being written.
        if (written)
            QFile::remove(imagePath(imageFileName(id)));
        return;
    }
    if (!preview.isNull())
        item->picture.setPreview(preview);
    if (written) {
        item->imageFile = imageFileName(id);
        item->picture.setFile(imagePath(*item->imageFile));
    }
    emit itemsChanged();
    if (written)
        writeList();
    if (m_imageWriter.isIdle())
        m_backlogLogged = false;
    // Reads wait while too much is held; what the clipboard holds by now is read.
    checkPasteboard();
}

void ClipboardHistory::onPreviewMade(const QUuid &id, const QImage &preview)
{
    const auto item = findItem(id);
    if (item == m_items.end() || preview.isNull())
        return;
    item->picture.setPreview(preview);
    emit itemsChanged();
}

QList<ClipboardHistory::Item>::iterator ClipboardHistory::findItem(const QUuid &id)
{
    return std::find_if(m_items.begin(), m_items.end(), [&id](const Item &entry) { return entry.id == id; });
}

void ClipboardHistory::start()
{
    if (m_pollTimer.isActive())
        return;
    // Each change is read as it is announced: a later copy replaces the content, so a
    // copy left to the next poll tick could be gone by then.
    connect(&m_pasteboard, &Pasteboard::changed, this, &ClipboardHistory::checkPasteboard);
    m_lastChangeCount = m_pasteboard.changeCount();
    // A read already asked for finds the current content as well.
    if (!m_isReading)
        requestRead();
    m_pollTimer.start();
    for (const Item &item : std::as_const(m_items)) {
        if (!item.picture.file().isEmpty() && item.picture.preview().isNull())
            m_imageWriter.makePreview(item.id, item.picture.file());
    }
}

void ClipboardHistory::checkPasteboard()
{
    // A change seen while a read is under way is read once that read is done, and one
    // seen while too many pictures wait to be written once one of them is.
    if (m_isReading || m_pasteboard.changeCount() == m_lastChangeCount)
        return;
    if (isHoldingTooManyPictures()) {
        noteBacklog();
        return;
    }
    m_lastChangeCount = m_pasteboard.changeCount();
    requestRead();
}

void ClipboardHistory::requestRead()
{
    m_isReading = true;
    m_pasteboard.requestContent();
}

void ClipboardHistory::onContentRead(const PasteboardContent &content)
{
    if (!m_isReading)
        return;
    m_isReading = false;
    record(content);
    checkPasteboard();
    if (!m_isReading)
        emit readFinished();
}

void ClipboardHistory::record(const PasteboardContent &content)
{
    const std::optional<Item> candidate = itemFor(content);
    if (!candidate)
        return;
    // A pasted entry comes back as the clipboard's content: it is the same copy, and
    // goes back to the top the paste moved it to, even when another copy was read in
    // between.
    if (m_pastedEntry) {
        if (const auto entry = findItem(*m_pastedEntry); entry != m_items.end() && isSameContent(*entry, *candidate)) {
            moveToTop(*std::exchange(m_pastedEntry, std::nullopt));
            return;
        }
    }
    // Only texts: every copy of a picture is an entry of its own, the same picture too.
    if (!candidate->isImage() && !m_items.isEmpty() && isSameContent(m_items.constFirst(), *candidate))
        return;
    m_items.prepend(*candidate);
    trimToLimit();
    if (candidate->isImage() && m_limit > 0)
        writePicture(candidate->id, content.image);
    emit itemsChanged();
    save();
}

void ClipboardHistory::notePasted(const QUuid &id, const QImage &picture)
{
    const auto entry = findItem(id);
    if (entry == m_items.end())
        return;
    if (entry->isImage())
        entry->picture.learnPixels(picture);
    m_pastedEntry = id;
    moveToTop(id);
}

void ClipboardHistory::moveToTop(const QUuid &id)
{
    const qsizetype index = findItem(id) - m_items.begin();
    if (index <= 0)
        return;
    m_items.move(index, 0);
    emit itemsChanged();
    save();
}

bool ClipboardHistory::isSameContent(const Item &entry, const Item &candidate)
{
    // Texts are compared by their text, pictures (a pasted one coming back) by their
    // pixels.
    if (entry.kind != candidate.kind)
        return false;
    return candidate.isImage() ? entry.picture.hasSamePixelsAs(candidate.picture) : entry.text == candidate.text;
}

std::optional<ClipboardHistory::Item> ClipboardHistory::itemFor(const PasteboardContent &content)
{
    switch (content.kind) {
    case PasteboardContent::Kind::nothing:
    case PasteboardContent::Kind::secret:
        return std::nullopt;
    case PasteboardContent::Kind::text:
        return textItem(content.text);
    case PasteboardContent::Kind::image:
        return pictureItem(content.image);
    }
    return std::nullopt;
}

std::optional<ClipboardHistory::Item> ClipboardHistory::textItem(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    // No text format carries a NUL character; a picture's bytes always do. An owner
    // that offers a picture as text is not recorded.
    if (text.contains(QChar(u'\0'))) {
        qCInfo(lcClipboard).noquote() << QStringLiteral("clipboard text holding binary data not recorded");
        return std::nullopt;
    }
    if (text.size() > maximumTextLength) {
        qCInfo(lcClipboard).noquote()
            << QStringLiteral("clipboard text of %1 characters not recorded: the history takes at most %2")
                   .arg(text.size())
                   .arg(maximumTextLength);
        return std::nullopt;
    }
    Item item;
    item.text = text;
    return item;
}

std::optional<ClipboardHistory::Item> ClipboardHistory::pictureItem(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    if (qint64(image.width()) * image.height() > maximumImagePixels) {
        qCInfo(lcClipboard).noquote()
            << QStringLiteral("clipboard picture of %1×%2 pixels not recorded: the history takes at most %3 pixels")
                   .arg(image.width())
                   .arg(image.height())
                   .arg(maximumImagePixels);
        return std::nullopt;
    }
    Item item;
    item.kind = Item::Kind::image;
    item.picture = ClipPicture::ofCopy(image);
    return item;
}

void ClipboardHistory::clear()
{
    for (const Item &item : std::as_const(m_items))
        forget(item);
    m_items.clear();
    emit itemsChanged();
    save();
    // What was cleared (a secret, often) leaves the disk before this returns: the empty
    // list, then the pictures' files, and the older lists kept aside as unreadable.
    m_file.flushPendingSave();
    if (const int removed = UnreadableCopies::removeAll(m_file.path()))
        qCInfo(lcClipboard).noquote() << QStringLiteral("removed %1 unreadable cop%2 of %3")
                                             .arg(removed)
                                             .arg(removed == 1 ? QStringLiteral("y") : QStringLiteral("ies"),
                                                  m_file.path());
}

void ClipboardHistory::applyHistoryLimit(int limit)
{
    setLimit(limit);
    enforceLimit();
    save();
}

void ClipboardHistory::removeUnlistedImageFiles(const QList<Stored> &records) const
{
    // A kill between a picture's write and the list's leaves a picture no entry names
    // (and an interrupted write its temporary copy): a copy of what the user copied that
    // nothing would ever show or delete. Only a list that loaded decides: one set aside
    // as unreadable may still name them. Only names this program gives are ours: any
    // other file there is someone else's.
    static const QRegularExpression ourName(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.png(\\.[A-Za-z0-9]{6})?$"));
    QSet<QString> listed;
    for (const Stored &record : records) {
        if (record.imageFile)
            listed.insert(*record.imageFile);
    }
    int removed = 0;
    const QStringList files = QDir(m_imagesDirectory).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &fileName : files) {
        if (!listed.contains(fileName) && ourName.match(fileName).hasMatch() && QFile::remove(imagePath(fileName)))
            ++removed;
    }
    if (removed)
        qCInfo(lcClipboard).noquote()
            << QStringLiteral("removed %1 picture file(s) no clipboard entry names").arg(removed);
}

void ClipboardHistory::forget(const Item &item)
{
    m_imageWriter.cancel(item.id);
    if (item.imageFile && PrivateFiles::isBareFileName(*item.imageFile))
        m_forgottenImageFiles.append(*item.imageFile);
}

void ClipboardHistory::removeImageFiles(const QStringList &fileNames)
{
    for (const QString &fileName : fileNames) {
        QFile::remove(imagePath(fileName));
        m_forgottenImageFiles.removeOne(fileName);
    }
}

QString ClipboardHistory::imagePath(const QString &fileName) const
{
    return m_imagesDirectory + u'/' + fileName;
}

} // namespace lettergate
