#pragma once

#include "settings/HistoryLimitTarget.h"
#include "stores/ClipPicture.h"
#include "stores/DataFile.h"
#include "stores/ImageFileWriter.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUuid>
#include <chrono>
#include <optional>

namespace lettergate {

class Pasteboard;
struct PasteboardContent;

// What the user copied, text and pictures, newest first, at most `limit` entries.
// The clipboard is checked as soon as it announces a change, and its change count is
// also polled in case an announcement goes missing. A check only asks the clipboard for
// its content, which arrives later from the event loop, one read at a time: nothing here
// waits for the clipboard's owner. The list is saved to "clipboard.json" shortly after
// the copies stop, and every few seconds during a long burst of them (DataFile), and
// each picture is kept once as "<UUID>.png" in "clipboard_images" beside it. An entry
// holds a picture as its file and a small preview (ClipPicture); until the file is
// written only the writer holds the full picture, and while it holds more than
// readPauseBytes of pictures to write, the clipboard is not read: once it is back under,
// the copy then on the clipboard is read, so a burst of large pictures keeps the newest
// and memory stays bounded. Nothing decodes a PNG on the GUI thread but a paste.
//
// The clipboard delivers one owner's content or nothing (a read across a change of
// owner is not delivered). Four kinds of copy are not recorded (the clipboard itself
// keeps them): content its owner marks as secret, as password managers do, and, with a
// log line each, a text holding a NUL character (a picture's bytes offered as text), a
// text longer than maximumTextLength, because every save rewrites the whole history
// file, and a picture of more than maximumImagePixels, because it must
// decode within Qt's image allocation limit when it is pasted.
class ClipboardHistory final : public QObject, public HistoryLimitTarget {
    Q_OBJECT
public:
    struct Item {
        enum class Kind { text, image };

        QUuid id = QUuid::createUuid();
        Kind kind = Kind::text;
        // The copied text, taken unchanged; empty for a picture.
        QString text;
        // The copied picture's file and preview; null for a text.
        ClipPicture picture;
        // The bare name of the picture's PNG inside the images directory, set only once
        // that file has been written.
        std::optional<QString> imageFile;

        bool isImage() const { return kind == Kind::image; }
    };

    static constexpr int defaultLimit = 20;
    static constexpr std::chrono::milliseconds pollInterval{600};
    // One mebi UTF-16 units: a megabyte or more of text.
    static constexpr qsizetype maximumTextLength = qsizetype(1) << 20;
    // 32 mebipixels: larger than an 8K screen (7680 × 4320), 128 MiB in memory.
    static constexpr qint64 maximumImagePixels = qint64(32) << 20;
    // One largest picture: reading another while that much waits to be written would
    // hold three at once (the one written, the one waiting, the one being decoded).
    static constexpr qint64 readPauseBytes = maximumImagePixels * 4;

    // Loads dataDirectory + "/clipboard.json" (creating the directory and its
    // "clipboard_images", private). Not polling until start().
    ClipboardHistory(Pasteboard &pasteboard, const QString &dataDirectory, QObject *parent = nullptr);
    // Writes the list if a save is pending.
    ~ClipboardHistory() override;

    const QList<Item> &items() const { return m_items; }

    int limit() const { return m_limit; }
    // Callers follow it with enforceLimit() and save(). Negative limits count as 0.
    void setLimit(int limit);
    // Trims to the limit; writes nothing. The trimmed entries' picture files are deleted
    // once a list without them is written, so a list on disk never names a missing file.
    void enforceLimit();
    // Starts writing the pictures not yet on disk and saves the list soon (DataFile::
    // saveRecordsSoon). An entry's imageFile is recorded (and the list saved again) when
    // its PNG is on disk; a failed picture write is tried again at the next save.
    void save();
    // Offers the clipboard's current content once, then checks it at each change the
    // clipboard announces and polls every 0.6 s, for as long as the process runs (also
    // while menus are open), and makes the loaded pictures' previews in the background.
    // A second call does nothing.
    void start();
    // Asks for the clipboard's content if its change count moved since last seen; the
    // content is recorded when it arrives. A change announced while the clipboard is being
    // read is read once afterwards.
    void checkPasteboard();
    // Whether a read is under way (tests wait for readFinished while it is).
    bool isReading() const { return m_isReading; }
    // Deletes every entry and starts writing the empty list at once, then deletes the
    // pictures' files, and the unreadable copies of the list kept aside. What is still
    // on the clipboard is not recorded again until it changes.
    void clear();

    // The entry is being pasted (a picture entry with its picture as read from its
    // file): it moves to the top and is written, and the clipboard content the paste
    // puts there is not recorded again as a new copy.
    void notePasted(const QUuid &id, const QImage &picture = {});

    // Set the limit, trim, save: how the settings store applies a new limit.
    void applyHistoryLimit(int limit) override;

    // The entry's full picture, to be pasted: as held until its file is written, else
    // its file decoded on the calling thread; null when neither is there.
    QImage pictureToPaste(const Item &item) const;

    // Writes what is still to be written (a copy being read, the pictures, then the
    // list naming them), all within timeout: run as the program quits, however it was
    // asked to. A 4K screenshot takes about half a second to reach the disk; a few of
    // them waiting may take longer, but a logout does not wait for ever. Only waiting
    // for the copy being read serves the event loop: a process ending without one (its
    // display gone) lets that copy go.
    enum class CopyBeingRead { WaitForIt, LetItGo };
    void flushPendingWrites(CopyBeingRead copyBeingRead = CopyBeingRead::WaitForIt,
                            std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Whether pictures are still being written (tests and benchmarks wait for this).
    bool isWritingImages() const { return !m_imageWriter.isIdle(); }
    const QString &imagesDirectory() const { return m_imagesDirectory; }
    const QString &filePath() const { return m_file.path(); }

signals:
    void itemsChanged();
    // Each write of the data file, as DataFile reports it.
    void fileWriteFinished(const QString &file, bool written, const QString &why);
    // A read, and any read it caused, came back; nothing is being read now.
    void readFinished();

private:
    // One entry as "clipboard.json" stores it.
    struct Stored;

    void load();
    void requestRead();
    void onContentRead(const PasteboardContent &content);
    void record(const PasteboardContent &content);
    static std::optional<Item> itemFor(const PasteboardContent &content);
    static std::optional<Item> textItem(const QString &text);
    static std::optional<Item> pictureItem(const QImage &image);
    void writePicture(const QUuid &id, const QImage &image);
    bool isHoldingTooManyPictures() const;
    void noteBacklog();
    static bool isSameContent(const Item &entry, const Item &candidate);
    void moveToTop(const QUuid &id);
    bool trimToLimit();
    void writeList();
    void onImageWritten(const QUuid &id, bool written, const QImage &preview);
    void onPreviewMade(const QUuid &id, const QImage &preview);
    QList<Item>::iterator findItem(const QUuid &id);
    std::optional<Item> loadedPicture(const Stored &record) const;
    // Lets go of the entry's picture still waiting to be written, and remembers its file
    // to delete once a list without it is on disk.
    void forget(const Item &item);
    void removeImageFiles(const QStringList &fileNames);
    void removeUnlistedImageFiles(const QList<Stored> &records) const;
    QString imagePath(const QString &fileName) const;

    Pasteboard &m_pasteboard;
    QString m_imagesDirectory;
    DataFile m_file;
    QList<Item> m_items;
    int m_limit = defaultLimit;
    qint64 m_lastChangeCount = 0;
    bool m_isReading = false;
    // The entry last pasted, until its content has been read back from the clipboard.
    std::optional<QUuid> m_pastedEntry;
    QTimer m_pollTimer;
    // Picture files of entries that left the list, deleted once the list is written.
    QStringList m_forgottenImageFiles;
    // Whether this burst of pictures has said so in the log.
    bool m_backlogLogged = false;
    ImageFileWriter m_imageWriter;
};

} // namespace lettergate
