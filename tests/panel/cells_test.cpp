#include "PanelRig.h"
#include "panel/PanelStyle.h"
#include "panel/PasteCell.h"
#include "panel/PickLabel.h"
#include "panel/PreviewText.h"
#include "panel/TextBlock.h"
#include "support/HostileFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace lettergate;

using namespace PanelRig;

class CellsTest : public QObject {
    Q_OBJECT
private slots:
    void previewTextKeepsOneLineOfAtMost37Characters()
    {
        const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
        const QString exactly37 = alphabet + QStringLiteral("ABCDEFGHIJK");
        QCOMPARE(previewText(exactly37), exactly37);
        QCOMPARE(previewText(alphabet + QStringLiteral("ABCDEFGHIJKL")),
                 QStringLiteral("abcdefghijklmnopqrstuvwx…ABCDEFGHIJKL"));
        QCOMPARE(previewText(QStringLiteral("\n\n  first\nsecond \n\n")), QStringLiteral("first second"));
        QCOMPARE(previewText(QStringLiteral(" \n \t\n")), QString());

        // User-perceived characters: a flag, an accented letter made of two code points
        // and a family emoji each count as one.
        const QString flag = QStringLiteral("🇩🇪");
        const QString accented = QStringLiteral("e\u0301");
        const QString family = QStringLiteral("👩\u200D👩\u200D👧");
        QCOMPARE(previewText(flag.repeated(37)), flag.repeated(37));
        const QString longer = accented.repeated(30) + family.repeated(10);
        QCOMPARE(previewText(longer),
                 accented.repeated(24) + QChar(0x2026) + family.repeated(10).prepend(accented.repeated(2)));

        // A huge text is looked at by its ends only, its line feeds blanked there too.
        const QString huge = QStringLiteral("  \nhead\n") + QString(4 << 20, u'x') + QStringLiteral("\ntail\n\n");
        QCOMPARE(previewText(huge), QStringLiteral("head xxxxxxxxxxxxxxxxxxx…xxxxxxx tail"));
    }

    void pickLabelsAreTheKeysThatPickUpperCased()
    {
        QString labels;
        for (int i = 0; i < 35; ++i)
            labels += pickLabel(i);
        QCOMPARE(labels, SwitcherViewModel::pickKeys().join(QString()).toUpper());
        for (int beyond : {35, 1000, -1})
            QCOMPARE(pickLabel(beyond), QStringLiteral("?"));
    }

    void clipCellsPreviewTextsAndShowPictures()
    {
        ClipboardHistory::Item text;
        text.text = QStringLiteral("one\ntwo");
        const PasteCell textCell = PasteCell::forClip(3, text);
        QCOMPARE(textCell.badge + u'|' + textCell.text, QStringLiteral("4|one two"));
        QVERIFY(!textCell.isImage && !textCell.image);
        // A fresh identity at every build: cells never keep a hover across redraws.
        QVERIFY(PasteCell::forClip(3, text).id != textCell.id);
        // A picture shows its preview; until that is made, what the entry is.
        ClipboardHistory::Item image;
        image.kind = ClipboardHistory::Item::Kind::image;
        image.picture = ClipPicture::ofCopy(picture(QSize(800, 600), Qt::red));
        QCOMPARE(PasteCell::forClip(9, image).text, QStringLiteral("Image"));
        QVERIFY(PasteCell::forClip(9, image).isImage && !PasteCell::forClip(9, image).image);
        image.picture.setPreview(picture(QSize(8, 6), Qt::red));
        const PasteCell imageCell = PasteCell::forClip(9, image);
        QCOMPARE(imageCell.text, QString());
        QCOMPARE(imageCell.image->size(), QSize(8, 6));
    }

    void snippetCellsNameTheSnippetAndShowItsPreview()
    {
        SwitcherRig rig;
        Snippet snippet;
        snippet.text = QStringLiteral("  Kind\nregards  ");
        QCOMPARE(PasteCell::forSnippet(0, snippet, rig.snippets).text, QStringLiteral("Kind regards"));
        snippet.name = QStringLiteral("Signature");
        QCOMPARE(PasteCell::forSnippet(0, snippet, rig.snippets).text, QStringLiteral("Signature"));

        QTemporaryDir files;
        const QString png = files.filePath(QStringLiteral("Logo.png"));
        QVERIFY(picture(QSize(20, 10), Qt::green).save(png));
        const Snippet logo = *rig.snippets.importImage(QUrl::fromLocalFile(png));
        // The preview is made in the background; until it is in, the cell shows the name.
        QCOMPARE(PasteCell::forSnippet(1, logo, rig.snippets).text, QStringLiteral("Logo"));
        QVERIFY(!PasteCell::forSnippet(1, logo, rig.snippets).image);
        QTRY_VERIFY(PasteCell::forSnippet(1, logo, rig.snippets).image);
        // Drawn from memory: building the cell opens no file, nor checks that it is there.
        QVERIFY(QFile::remove(rig.snippets.imageURL(logo)->toLocalFile()));
        QCOMPARE(PasteCell::forSnippet(1, logo, rig.snippets).image->size(), QSize(20, 10));

        // A listed picture snippet whose file is gone, or that never had one, shows its
        // name, or "Image" without a name, unshortened.
        Snippet lost = HostileFiles::pictureSnippet(QStringLiteral("gone.png"));
        lost.name = QString(50, u'n');
        QVERIFY(rig.snippets.replaceAll({lost}));
        QTRY_VERIFY(rig.snippets.previews().isIdle());
        const PasteCell lostCell = PasteCell::forSnippet(1, lost, rig.snippets);
        QVERIFY(lostCell.isImage && !lostCell.image && lostCell.text == QString(50, u'n'));
        Snippet fileless;
        fileless.kind = Snippet::Kind::image;
        QCOMPARE(PasteCell::forSnippet(0, fileless, rig.snippets).text, QStringLiteral("Image"));
        // The list no longer names the logo: its preview is forgotten.
        QVERIFY(!PasteCell::forSnippet(1, logo, rig.snippets).image);
    }

    void textBlocksWrapAndEndInAnEllipsis()
    {
        const QFont font = PanelStyle::font(12);
        QCOMPARE(TextBlock(QStringLiteral("one\ntwo\nthree\nfour"), font, Qt::white, 3).lines(400).join(u'|'),
                 QStringLiteral("one|two|three…"));
        QCOMPARE(TextBlock(QStringLiteral("one\ntwo"), font, Qt::white, 3).lines(400).join(u'|'),
                 QStringLiteral("one|two"));
        // Wrapped at the width; a huge text is laid out only as far as it is shown.
        const TextBlock huge(QString(1 << 22, u'w'), font, Qt::white, 8);
        const QStringList hugeLines = huge.lines(120);
        QCOMPARE(hugeLines.size(), 8);
        QVERIFY(hugeLines.last().endsWith(QChar(0x2026)));
        for (const QString &line : hugeLines)
            QVERIFY(QFontMetricsF(font).horizontalAdvance(line) <= 120.5);
        QVERIFY(huge.lines(0).isEmpty());
    }
};

QTEST_MAIN(CellsTest)
#include "cells_test.moc"
