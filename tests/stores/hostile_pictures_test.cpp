#include "stores/PictureFiles.h"
#include "stores/SnippetStore.h"
#include "support/HostileFiles.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <sys/stat.h>

using namespace lettergate;

using HostileFiles::bytesRead;
using HostileFiles::writeSparse;

namespace {

constexpr qint64 gibibyte = qint64(1) << 30;
// Reading one of these files whole would read, and perhaps hold, a gibibyte; giving up
// after a picture's first bytes reads next to nothing.
constexpr qint64 readBound = 64 << 20;

} // namespace

// Picture files that are not what they claim: a gibibyte of (sparse) nothing behind a
// picture's first bytes, a pipe, or no picture at all. Reading a stored picture and
// importing one both give up without reading the gibibyte, and an import makes no snippet.
class HostilePicturesTest : public QObject {
    Q_OBJECT

private slots:
    void hugeOrBogusPictureFilesAreRefusedWithoutBeingRead()
    {
        const QList<std::pair<QByteArray, qint64>> files{
            {QByteArray(), gibibyte},
            {QByteArray("\x89PNG\r\n\x1a\n", 8), gibibyte},
            {QByteArray("/* XPM */\nstatic char *x[] = {\n"), PictureFiles::maximumFileBytes + 1},
            {QByteArray("not a picture\n"), 14},
        };
        for (const auto &[head, size] : files) {
            TestEnvironment environment;
            SnippetStore store(environment.dataHome());
            const QString path = store.imagesDirectory() + QStringLiteral("/hostile.png");
            writeSparse(path, head, size);
            const qint64 readBefore = bytesRead();
            QVERIFY2(PictureFiles::readStoredPng(path).isNull(), head.constData());
            QVERIFY(PictureFiles::readAnyPicture(path).isNull());
            QVERIFY(!store.importImage(QUrl::fromLocalFile(path)));
            const qint64 read = bytesRead() - readBefore;
            QVERIFY2(read < readBound, qPrintable(QStringLiteral("read %1 bytes").arg(read)));
            QCOMPARE(QDir(store.imagesDirectory()).entryList(QDir::Files), QStringList{QStringLiteral("hostile.png")});
        }
    }

    void aPipeNoFileOrAnotherFormatIsNoStoredPicture()
    {
        // Opening a pipe nobody writes to would wait forever.
        TestEnvironment environment;
        SnippetStore store(environment.dataHome());
        const QString pipe = store.imagesDirectory() + QStringLiteral("/pipe.png");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        for (const QString &path : {pipe, environment.root() + QStringLiteral("/missing.png")}) {
            QVERIFY(PictureFiles::readStoredPng(path).isNull());
            QVERIFY(PictureFiles::readAnyPicture(path).isNull());
            QVERIFY(!store.importImage(QUrl::fromLocalFile(path)));
        }
        QVERIFY(!SnippetStore::pngData(QImage()));
        // A stored picture is the PNG the program wrote: anything else is not read.
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        const QString jpeg = environment.root() + QStringLiteral("/picture.jpg");
        QVERIFY(picture.save(jpeg));
        QCOMPARE(PictureFiles::readAnyPicture(jpeg).size(), picture.size());
        QVERIFY(PictureFiles::readStoredPng(jpeg).isNull());
    }
};

QTEST_MAIN(HostilePicturesTest)
#include "hostile_pictures_test.moc"
