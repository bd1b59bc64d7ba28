#include "stores/PrivateFiles.h"

#include "platform/Paths.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>

namespace lettergate {

namespace {

// Qt reports a write the disk took only part of (a full disk, a file size limit) as no
// error at all, and some failed commits as an unknown one; the system's own reason is
// in errno, cleared just before the call.
QString failureReason(const QFileDevice &file, int error)
{
    return error != 0 ? qt_error_string(error) : file.errorString();
}

} // namespace

QString PrivateFiles::fileInPrivateDirectory(const QString &directory, const QString &fileName)
{
    Paths::ensurePrivateDirectory(directory);
    return directory + u'/' + fileName;
}

bool PrivateFiles::writeAtomically(const QString &path, const QByteArray &bytes, QString *errorText)
{
    const auto fail = [errorText](const QString &why) {
        if (errorText)
            *errorText = why;
        return false;
    };

    // Only a missing directory is created here: an existing one keeps the permissions
    // it has, so a directory the user made read-only stays read-only. One that others
    // control (planted before the first start, say) never receives a byte.
    const QString directory = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(directory) && !Paths::ensurePrivateDirectory(directory))
        return fail(QStringLiteral("cannot create %1").arg(directory));
    if (!Paths::isTrustedFolder(directory))
        return fail(QStringLiteral("%1 is not the user's alone").arg(directory));
    // QSaveFile would write to where a link points.
    if (QFileInfo(path).isSymLink())
        return fail(QStringLiteral("it is a symbolic link, which Lettergate does not write through"));

    // Unbuffered, so that errno still holds the reason when a write comes up short.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    // Restrict the temporary file before the first byte goes in; the rename keeps it.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return fail(file.errorString());
    }
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const QString why = failureReason(file, errno);
        file.cancelWriting();
        return fail(why);
    }
    errno = 0;
    if (!file.commit())
        return fail(failureReason(file, errno));
    return true;
}

int PrivateFiles::removeInterruptedWrites(const QString &path)
{
    const QFileInfo file(path);
    // The temporary name is the file's name, a dot and six letters or digits.
    static const QRegularExpression temporarySuffix(QStringLiteral("^[A-Za-z0-9]{6}$"));
    int removed = 0;
    const QFileInfoList candidates = QDir(file.absolutePath())
                                         .entryInfoList({file.fileName() + QStringLiteral(".??????")},
                                                        QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &candidate : candidates) {
        const QString suffix = candidate.fileName().mid(file.fileName().size() + 1);
        if (temporarySuffix.match(suffix).hasMatch() && QFile::remove(candidate.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

std::optional<QByteArray> PrivateFiles::pngData(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return std::nullopt;
    return bytes;
}

bool PrivateFiles::writePng(const QImage &image, const QString &path)
{
    const std::optional<QByteArray> png = pngData(image);
    return png && writeAtomically(path, *png);
}

bool PrivateFiles::isBareFileName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}

} // namespace lettergate
