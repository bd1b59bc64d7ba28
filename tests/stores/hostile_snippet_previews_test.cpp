#include "stores/SnippetStore.h"
#include "support/HostileFiles.h"
#include "support/TestEnvironment.h"

#include <QImage>
#include <QTest>
#include <sys/stat.h>

// A picture snippet's preview is decoded from its file when the list names it: a file
// that is not the PNG the store wrote is given up at once, without holding up the
// decoding of the others.
class HostileSnippetPreviewsTest : public QObject {
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
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(Qt::darkYellow);
        QVERIFY(picture.save(store.imagesDirectory() + QStringLiteral("/real.png")));
        const QList<Snippet> snippets{HostileFiles::pictureSnippet(QStringLiteral("huge.png")),
                                      HostileFiles::pictureSnippet(QStringLiteral("pipe.png")),
                                      HostileFiles::pictureSnippet(QStringLiteral("real.png"))};
        const qint64 readBefore = HostileFiles::bytesRead();
        QVERIFY(store.replaceAll(snippets));
        QTRY_VERIFY(store.previews().isIdle());
        QVERIFY(!store.previews().preview(snippets.at(0)));
        QVERIFY(!store.previews().preview(snippets.at(1)));
        const qint64 read = HostileFiles::bytesRead() - readBefore;
        QVERIFY2(read < (64 << 20), qPrintable(QStringLiteral("read %1 bytes").arg(read)));

        // The PNG the store wrote is drawn.
        const std::optional<QImage> drawn = store.previews().preview(snippets.at(2));
        QVERIFY(drawn);
        QCOMPARE(drawn->size(), picture.size());
    }
};

QTEST_MAIN(HostileSnippetPreviewsTest)
#include "hostile_snippet_previews_test.moc"
