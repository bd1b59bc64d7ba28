// clipboard.json: arbitrary bytes as the history file of a real ClipboardHistory over a
// scratch data directory. What it loads is saved by it and loaded by a second history,
// which must hold the same entries and write the same file. One small picture waits in
// the images directory so that picture entries naming it load too (see the corpus).
#include "FuzzChecks.h"
#include "platform/Log.h"
#include "stores/ClipboardHistory.h"
#include "stores/PrivateFiles.h"
#include "support/FakePasteboard.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QList>

using namespace lettergate;

namespace {

const QString pictureName = QStringLiteral("00000000-0000-0000-0000-000000000001.png");

QString dataDirectory()
{
    return FuzzChecks::scratchDirectory() + QStringLiteral("/data");
}

QString historyFile()
{
    return dataDirectory() + QStringLiteral("/clipboard.json");
}

// The directory as a fresh run expects it: the one picture, no history file, and none
// of the copies an undecodable file is kept as.
void resetDataDirectory(const QByteArray &historyBytes)
{
    QDir directory(dataDirectory());
    for (const QString &name : directory.entryList({QStringLiteral("clipboard.json*")}, QDir::Files))
        directory.remove(name);
    const QString picture = dataDirectory() + QStringLiteral("/clipboard_images/") + pictureName;
    if (!QFile::exists(picture)) {
        QImage image(2, 2, QImage::Format_ARGB32);
        image.fill(Qt::red);
        FuzzChecks::require(PrivateFiles::writePng(image, picture), "the waiting picture is written");
    }
    FuzzChecks::require(PrivateFiles::writeAtomically(historyFile(), historyBytes), "the history file is written");
}

bool sameEntries(const QList<ClipboardHistory::Item> &a, const QList<ClipboardHistory::Item> &b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const auto &x, const auto &y) {
        return x.id == y.id && x.kind == y.kind && x.text == y.text && x.imageFile == y.imageFile;
    });
}

QByteArray fileBytes()
{
    QFile file(historyFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// An undecodable file is logged as it is kept aside: silenced, so the fuzzer's own
// output stays readable.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Log::setSink([](const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    resetDataDirectory(FuzzChecks::bytesOf(data, size));
    FakePasteboard pasteboard;

    ClipboardHistory loaded(pasteboard, dataDirectory());
    if (loaded.items().isEmpty())
        return 0;
    loaded.save();
    loaded.flushPendingWrites();
    const QByteArray saved = fileBytes();

    ClipboardHistory reloaded(pasteboard, dataDirectory());
    FuzzChecks::require(sameEntries(reloaded.items(), loaded.items()), "the saved entries load back equal");
    reloaded.save();
    reloaded.flushPendingWrites();
    FuzzChecks::require(fileBytes() == saved, "saving them again writes the same file");
    return 0;
}
