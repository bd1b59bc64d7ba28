#include "PanelRig.h"
#include "panel/AppIconCache.h"
#include "panel/Card.h"
#include "panel/Clickable.h"
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

// The panel's parts: cells, text blocks, cards and their icons. How they look is covered
// by the golden pictures; these check what those cannot.
class PartsTest : public QObject {
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

    void appIconsAreLookedUpOnlyWhenPreparedAndKeptWhileTheirProcessIsListed()
    {
        FakePlatform platform;
        QHash<qint32, int> &lookups = platform.appList.iconLookups;
        const auto windowsOf = [](const QList<AppEntry> &apps) {
            QList<WindowInfo> windows;
            for (const AppEntry &app : apps)
                windows.append(app.windows);
            return windows;
        };
        const AppEntry editor = app(7, QStringLiteral("Editor"), QStringLiteral("e"), {70});
        const AppEntry viewer = app(8, QStringLiteral("Viewer"), QStringLiteral("v"), {80});
        const AppEntry other = app(9, QStringLiteral("Other"), std::nullopt, {90});
        for (qint32 pid : {9, 10, 11, 12, 13})
            giveIcon(platform.appList.icons, pid, Qt::green);
        QPixmap large(256, 256);
        large.fill(Qt::green);
        platform.appList.icons.insert(7, QIcon(large));
        AppIconCache icons(platform.appList);
        icons.prepare(windowsOf({editor, viewer}), 2);
        QVERIFY(!icons.icon(7).isNull() && icons.icon(8).isNull());
        // Rendered for the title row and the largest picture area, at the density asked.
        QCOMPARE(icons.icon(7).availableSizes(),
                 (QList<QSize>{QSize(2 * Card::leadingLogoSide, 2 * Card::leadingLogoSide),
                               QSize(2 * Card::largestBodyLogoSide, 2 * Card::largestBodyLogoSide)}));
        // A showing asks nothing; the next preparation asks only for what is new, an
        // absent icon included, while the process stays listed.
        icons.keepListed({editor, viewer, other});
        QVERIFY(icons.icon(9).isNull());
        giveIcon(platform.appList.icons, 8, Qt::red);
        icons.prepare(windowsOf({viewer, other, editor}), 2);
        QVERIFY(!icons.icon(9).isNull() && icons.icon(8).isNull());
        QCOMPARE(lookups, (QHash<qint32, int>{{7, 1}, {8, 1}, {9, 1}}));
        // A process that left the list, or whose id now names another app, is asked afresh.
        icons.keepListed({viewer});
        icons.prepare(windowsOf({editor, viewer}), 2);
        icons.keepListed({editor, app(8, QStringLiteral("Mail"), QStringLiteral("m"), {81})});
        QVERIFY(icons.icon(8).isNull());
        icons.prepare(windowsOf({editor, app(8, QStringLiteral("Mail"), QStringLiteral("m"), {81})}), 2);
        QVERIFY(!icons.icon(8).isNull());
        QCOMPARE(lookups, (QHash<qint32, int>{{7, 2}, {8, 2}, {9, 1}}));
        // One prepared before it was listed (it came to the front) is kept by that listing;
        // one that had no icon then is asked again.
        icons.prepare(10, 2);
        icons.keepListed({editor, app(10, QStringLiteral("New"), QStringLiteral("n"), {100})});
        QVERIFY(!icons.icon(10).isNull());
        platform.appList.icons.remove(11);
        icons.prepare(11, 2);
        giveIcon(platform.appList.icons, 11, Qt::green);
        icons.prepare(windowsOf({editor, app(11, QStringLiteral("Late"), QStringLiteral("l"), {110})}), 2);
        QVERIFY(!icons.icon(11).isNull());
        // An app of two processes keeps both icons, which its window page draws.
        AppEntry terminals = app(12, QStringLiteral("XTerm"), QStringLiteral("x"), {120});
        terminals.windows.append(WindowInfo{121, 13, terminals.bundleID, terminals.appName, {}, {}});
        icons.prepare(windowsOf({terminals}), 2);
        icons.keepListed({terminals});
        QVERIFY(!icons.icon(12).isNull() && !icons.icon(13).isNull());
        // Drawn at another density, every icon is rendered anew.
        icons.prepare(windowsOf({editor}), 1);
        QCOMPARE(lookups.value(7), 3);
    }

    void onlyALeftClickInsideTheFaceCounts()
    {
        int clicks = 0;
        Card::Data data;
        data.metrics = GridMetrics{1, 160, 100};
        Card card(data, [&clicks] { ++clicks; });
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        const QPoint inside = card.faceRect().center().toPoint();
        const QPoint margin = (card.faceRect().bottomRight() + QPointF(4, 4)).toPoint();
        QTest::mouseMove(&card, inside);
        QTRY_COMPARE(card.clickable().currentOutlineWidth(), Clickable::outlineWidth);
        QCOMPARE(card.cursor().shape(), Qt::PointingHandCursor);
        // The margin around the face (shadow, back cards) does not count.
        QTest::mouseMove(&card, margin);
        QTRY_COMPARE(card.clickable().currentOutlineWidth(), 0.0);
        QCOMPARE(card.cursor().shape(), Qt::ArrowCursor);
        // Not in the margin, not on the rounded corner, not the right button, not a press
        // released beside the card.
        QTest::mouseClick(&card, Qt::LeftButton, {}, margin);
        QTest::mouseClick(&card, Qt::LeftButton, {}, (card.faceRect().topLeft() + QPointF(1, 1)).toPoint());
        QTest::mouseClick(&card, Qt::RightButton, {}, inside);
        QTest::mousePress(&card, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(&card, Qt::LeftButton, {}, margin);
        QCOMPARE(clicks, 0);
        QTest::mouseClick(&card, Qt::LeftButton, {}, inside);
        QCOMPARE(clicks, 1);
    }
};

QTEST_MAIN(PartsTest)
#include "parts_test.moc"
