#include "panel/SnippetPicture.h"
#include "stores/SnippetStore.h"
#include "support/HostileFiles.h"
#include "support/TestEnvironment.h"

#include <QImage>
#include <QTest>
#include <sys/stat.h>

// The panel draws a picture snippet from its file each time a page is built, on the
// GUI thread: a file that is not the PNG the store wrote is given up at once.
class HostileSnippetPictureTest : public QObject {
    Q_OBJECT

private slots:
    void aFileThatIsNoStoredPngIsNotRead()
    {
        TestEnvironment environment;
        SnippetStore store(environment.dataHome());
        // Guessing its format from its content, Qt's XPM reader scans the whole gibibyte.
        HostileFiles::writeSparse(store.imagesDirectory() + QStringLiteral("/huge.png"),
                                  "/* XPM */\nstatic char *x[] = {\n", qint64(1) << 30);
        QCOMPARE(::mkfifo(QFile::encodeName(store.imagesDirectory() + QStringLiteral("/pipe.png")).constData(), 0600), 0);
        const qint64 readBefore = HostileFiles::bytesRead();
        QVERIFY(!loadSnippetPicture(store, HostileFiles::pictureSnippet(QStringLiteral("huge.png"))));
        QVERIFY(!loadSnippetPicture(store, HostileFiles::pictureSnippet(QStringLiteral("pipe.png"))));
        const qint64 read = HostileFiles::bytesRead() - readBefore;
        QVERIFY2(read < (64 << 20), qPrintable(QStringLiteral("read %1 bytes").arg(read)));

        // The PNG the store wrote is drawn.
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(Qt::darkYellow);
        QVERIFY(picture.save(store.imagesDirectory() + QStringLiteral("/real.png")));
        const std::optional<QImage> drawn = loadSnippetPicture(store, HostileFiles::pictureSnippet(QStringLiteral("real.png")));
        QVERIFY(drawn);
        QCOMPARE(drawn->size(), picture.size());
    }
};

QTEST_MAIN(HostileSnippetPictureTest)
#include "hostile_snippet_picture_test.moc"
