#include "PanelRig.h"
#include "panel/PanelRendering.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace PanelRig;

// Renders the panel's pages as the screenshot script does. With LETTERGATE_PANEL_PNG_DIR
// set, the pictures are also written there for review.
class PanelRenderingTest : public QObject {
    Q_OBJECT

    static void keep(const QImage &image, const QString &name)
    {
        const QString directory = qEnvironmentVariable("LETTERGATE_PANEL_PNG_DIR");
        if (!directory.isEmpty() && QDir().mkpath(directory))
            QVERIFY(image.save(directory + u'/' + name + QStringLiteral(".png")));
    }

    // The rounded panel: transparent outside its corners, a dark opaque face inside.
    static void verifyPanel(const QImage &image, QSize size)
    {
        QCOMPARE(image.size(), size);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size.width() - 1, size.height() - 1)), 0);
        const QRgb inside = image.pixel(size.width() / 2, 4);
        QVERIFY(qAlpha(inside) > 200);
        QVERIFY(qRed(inside) < 80 && qGreen(inside) < 80 && qBlue(inside) < 80);
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
        captureThumbnails(rig, apps.mid(0, 4));
        const QList<QColor> colours{QColor(0x3d, 0x8b, 0xfd), QColor(0x2e, 0xc2, 0x7e), QColor(0xf6, 0x8b, 0x2c),
                                    QColor(0xa3, 0x6a, 0xf0), QColor(0xe0, 0x4f, 0x5f), QColor(0x1f, 0xb5, 0xc9)};
        for (int i = 0; i < apps.size(); ++i)
            giveIcon(rig, apps[i].pid, colours[i]);

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
    void rendersEveryPageOnARoundedPanel()
    {
        SwitcherRig rig;
        QTemporaryDir files;
        furnishFully(rig, files);
        const QSize size(1200, 760);

        QImage apps = renderSwitcherView(rig.platform.appList, rig.model, rig.snippets, size);
        verifyPanel(apps, size);
        keep(apps, QStringLiteral("apps"));

        QCOMPARE(describe(rig.model.handle(QStringLiteral("v"))), QStringLiteral("awaiting"));
        const QImage armed = renderSwitcherView(rig.platform.appList, rig.model, rig.snippets, size);
        verifyPanel(armed, size);
        QVERIFY(armed != apps);
        keep(armed, QStringLiteral("apps-armed"));
        rig.model.back();

        const QList<std::pair<std::function<void()>, QString>> pages{
            {[&] { rig.model.showWindows(12); }, QStringLiteral("windows")},
            {[&] { rig.model.enter(Prefix::clipboard); }, QStringLiteral("clipboard")},
            {[&] { rig.model.enter(Prefix::snippet); }, QStringLiteral("snippets")},
            {[&] { rig.model.enter(Prefix::link); }, QStringLiteral("links")},
            {[&] { rig.model.enter(Prefix::command); }, QStringLiteral("commands")}};
        for (const auto &[go, name] : pages) {
            go();
            const QImage page = renderSwitcherView(rig.platform.appList, rig.model, rig.snippets, size);
            verifyPanel(page, size);
            keep(page, name);
            rig.model.back();
        }
    }

    void rendersEmptyStatesAndTheBannerAtEitherPixelDensity()
    {
        SwitcherRig rig;
        rig.platform.capture.granted = false;
        rig.model.reset({app(11, QStringLiteral("Files"), QStringLiteral("f"), {1100})});
        const QSize size(1000, 640);
        keep(renderSwitcherView(rig.platform.appList, rig.model, rig.snippets, size), QStringLiteral("apps-empty-lists"));
        const QImage doubled = renderSwitcherView(rig.platform.appList, rig.model, rig.snippets, QSize(500, 400), 2);
        QCOMPARE(doubled.devicePixelRatio(), 2.0);
        verifyPanel(doubled, QSize(1000, 800));
        for (Prefix list : {Prefix::clipboard, Prefix::snippet, Prefix::link, Prefix::command}) {
            rig.model.enter(list);
            const QImage page = renderSwitcherView(rig.platform.appList, rig.model, rig.snippets, size);
            verifyPanel(page, size);
            keep(page, QStringLiteral("empty-") + describe(list));
            rig.model.back();
        }
    }

    void rendersASmallPanelWithoutSpillingOverTheHeader()
    {
        SwitcherRig rig;
        QTemporaryDir files;
        furnishFully(rig, files);
        const QSize size(640, 360);
        const QImage small = renderSwitcherView(rig.platform.appList, rig.model, rig.snippets, size);
        verifyPanel(small, size);
        keep(small, QStringLiteral("apps-small"));
        // The page is taller than its area and is cut at the area's edge: the header's
        // row under the title stays the panel's own colour.
        const QImage headerOnly = [&] {
            QList<AppEntry> none;
            rig.model.reset(none);
            return renderSwitcherView(rig.platform.appList, rig.model, rig.snippets, size);
        }();
        for (int x = 300; x < 600; x += 7)
            QCOMPARE(small.pixel(x, 40), headerOnly.pixel(x, 40));
    }
};

QTEST_MAIN(PanelRenderingTest)
#include "panel_rendering_test.moc"
