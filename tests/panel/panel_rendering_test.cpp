#include "PanelRig.h"
#include "rendering/PanelRendering.h"
#include "support/GoldenImage.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace lettergate;

using namespace PanelRig;

// Renders the panel's pages as the screenshot script does and compares a few with their
// golden pictures. With LETTERGATE_PANEL_PNG_DIR set, every page is also written there
// for review.
class PanelRenderingTest : public QObject {
    Q_OBJECT

    // Kept for review when asked, then compared with the golden picture.
    static void check(const QImage &image, const QString &name)
    {
        const QString directory = qEnvironmentVariable("LETTERGATE_PANEL_PNG_DIR");
        if (!directory.isEmpty() && QDir().mkpath(directory))
            QVERIFY(image.save(directory + u'/' + name + QStringLiteral(".png")));
        GoldenImage::verify(image, QStringLiteral("panel"), name);
    }

    static QImage render(SwitcherRig &rig, QSize size, qreal ratio = 1)
    {
        return renderSwitcherView(rig.model, rig.snippets, rig.platform.appList, size, ratio);
    }

    static QList<AppEntry> sixApps()
    {
        QList<AppEntry> apps{app(11, QStringLiteral("Files"), QStringLiteral("f"), {1100}),
                             app(12, QStringLiteral("Terminal"), QStringLiteral("t"), {1201, 1202, 1203}),
                             app(13, QStringLiteral("Web Browser"), QStringLiteral("w"), {1301, 1302}),
                             app(14, QStringLiteral("Text Editor"), QStringLiteral("e"), {1400}),
                             app(15, QStringLiteral("Calculator"), QStringLiteral("c"), {1500}),
                             app(16, QStringLiteral("Mail"), std::nullopt, {1600})};
        apps[1].windows[1].title.clear();
        return apps;
    }

    static void furnishFully(SwitcherRig &rig, const QTemporaryDir &files)
    {
        const QList<AppEntry> apps = sixApps();
        rig.capture(apps.mid(0, 4));
        const QList<QColor> colours{QColor(0x3d, 0x8b, 0xfd), QColor(0x2e, 0xc2, 0x7e), QColor(0xf6, 0x8b, 0x2c),
                                    QColor(0xa3, 0x6a, 0xf0), QColor(0xe0, 0x4f, 0x5f), QColor(0x1f, 0xb5, 0xc9)};
        for (int i = 0; i < apps.size() - 1; ++i) // the last one has no icon: a placeholder
            giveIcon(rig.platform.appList.icons, apps[i].pid, colours[i]);

        rig.copy({QStringLiteral("ssh deploy@example.org 'systemctl restart lettergate'"),
                  QStringLiteral("The quick brown fox jumps over the lazy dog, and then it keeps on running"),
                  QStringLiteral("42"), QStringLiteral("first line\nsecond line\nthird line"),
                  QStringLiteral("https://example.org/releases"), QStringLiteral("   "), QStringLiteral("Meeting at 3"),
                  QStringLiteral("git commit -m 'Fix the panel'"), QStringLiteral("Dear team,\nthanks!")});
        rig.platform.board.copyImage(picture(QSize(320, 200), QColor(0x3d, 0x8b, 0xfd)));
        QVERIFY(readClipboard(rig.clipboard));
        QTRY_VERIFY(!rig.clipboard.isWritingImages()); // the preview comes with the written PNG

        const QString png = files.filePath(QStringLiteral("Logo.png"));
        QVERIFY(picture(QSize(200, 120), QColor(0x2e, 0xc2, 0x7e)).save(png));
        const std::optional<Snippet> logo = rig.snippets.importImage(QUrl::fromLocalFile(png));
        QVERIFY(logo);
        QList<Snippet> snippets{*logo};
        for (const QString &name : {QStringLiteral("Signature"), QString(), QStringLiteral("Address")}) {
            snippets.append(Snippet());
            snippets.last().name = name;
            snippets.last().text = QStringLiteral("Kind regards,\nAlex Example\nExample Ltd.");
        }
        QVERIFY(rig.snippets.replaceAll(snippets));
        QTRY_VERIFY(rig.snippets.previews().isIdle());
        rig.setLinks({QStringLiteral("Docs"), QStringLiteral("Tracker"), QStringLiteral("Calendar"),
                      QStringLiteral("Mail"), QStringLiteral("Wiki"), QStringLiteral("Status"), QStringLiteral("CI"),
                      QStringLiteral("Chat")});
        QList<QuickLink> links = rig.links.links();
        links[2].name.clear();
        QVERIFY(rig.links.replaceAll(links));
        rig.setCommands({QStringLiteral("Lock screen"), QStringLiteral("Update"), QStringLiteral("Backup")});
        rig.model.reset(apps);
    }

private slots:
    void pagesMatchTheirGoldenPictures()
    {
        SwitcherRig rig;
        QTemporaryDir files;
        furnishFully(rig, files);
        const QSize size(1000, 640);
        check(render(rig, size), QStringLiteral("apps"));
        QCOMPARE(describe(rig.model.handle(QStringLiteral("v"))), QStringLiteral("awaiting"));
        check(render(rig, size), QStringLiteral("apps-armed"));
        rig.model.back();
        rig.model.showWindows(12);
        check(render(rig, size), QStringLiteral("windows"));
        rig.model.back();
        for (Prefix list : {Prefix::clipboard, Prefix::snippet, Prefix::link, Prefix::command}) {
            rig.model.enter(list);
            check(render(rig, size), describe(list));
            rig.model.back();
        }
        // A panel smaller than its page cuts the page at the area's edge, under the header.
        check(render(rig, QSize(640, 360)), QStringLiteral("apps-small"));
    }

    void emptyListsAndTheBannerMatchTheirGoldenPictures()
    {
        SwitcherRig rig;
        rig.platform.capture.granted = false;
        rig.model.reset({app(11, QStringLiteral("Files"), QStringLiteral("f"), {1100})});
        const QSize size(1000, 640);
        const QImage emptyLists = render(rig, size);
        check(emptyLists, QStringLiteral("apps-empty-lists"));
        // At twice the density: twice the pixels, the rounded corners still clear.
        const QImage doubled = render(rig, size, 2);
        QCOMPARE(doubled.size(), size * 2);
        QCOMPARE(qAlpha(doubled.pixel(0, 0)), 0);
        QCOMPARE(doubled.pixel(size.width(), 8), emptyLists.pixel(size.width() / 2, 4));
        rig.model.enter(Prefix::clipboard);
        check(render(rig, size), QStringLiteral("empty-clipboard"));
    }
};

QTEST_MAIN(PanelRenderingTest)
#include "panel_rendering_test.moc"
