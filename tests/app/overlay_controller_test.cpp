#include "app/OpeningCaptures.h"
#include "app/OverlayController.h"
#include "app/OverlayPanel.h"
#include "panel/PanelHeader.h"
#include "panel/SwitcherView.h"
#include "stores/FailureNotice.h"
#include "support/HostileFiles.h"
#include "switcher/RunningApps.h"
#include "switcher/SwitcherRig.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

using namespace lettergate;

namespace {

constexpr qint32 editorPid = 4100;
constexpr qint32 browserPid = 4200;

} // namespace

// The controller over real stores and the fake desktop: an editor with one window and a
// browser with two, the editor in front.
class OverlayControllerTest : public QObject {
    Q_OBJECT

    struct Rig : SwitcherRig {
        OverlayController controller{SwitcherSources{settings.store, thumbnails, clipboard, snippets, links, commands},
                                     platform, running};
        Rig()
        {
            platform.windows.addWindow(11, editorPid, QStringLiteral("Editor"), QStringLiteral("notes.txt"));
            platform.windows.addWindow(21, browserPid, QStringLiteral("Browser"), QStringLiteral("News"));
            platform.windows.addWindow(22, browserPid, QStringLiteral("Browser"), QStringLiteral("Mail"));
            platform.appList.bundleIDs = {{editorPid, QStringLiteral("org.example.Editor")},
                                          {browserPid, QStringLiteral("org.example.Browser")}};
            platform.appList.frontmost = editorPid;
            platform.ax.elements = {{editorPid, {11}}, {browserPid, {21, 22}}};
            for (const quint32 id : {11, 21, 22})
                platform.capture.windows.append({id, QRectF(0, 0, 800, 600)});
        }
        bool press(Qt::Key key, const QString &text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
        {
            return controller.handleKey(QKeyEvent(QEvent::KeyPress, key, modifiers, text));
        }
        // Each letter or digit as its key, upper case with Shift.
        void type(const QString &keys)
        {
            for (const QChar key : keys)
                press(Qt::Key(key.toUpper().unicode()), QString(key),
                      key.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
        }
        void open(const QString &keys)
        {
            controller.show();
            type(keys);
        }
        QString letterOf(const QString &appName)
        {
            const auto app = std::ranges::find(controller.viewModel().apps(), appName, &AppEntry::appName);
            return app != controller.viewModel().apps().end() ? app->letter.value_or(QString()) : QString();
        }
        int captured()
        {
            QMutexLocker lock(&platform.capture.mutex);
            return platform.capture.captureCount;
        }
    };

private slots:
    // The app in front when the panel opened comes back when the panel is toggled or
    // escaped, not when it merely lost the focus, and not when it has gone meanwhile.
    // The panel is built once, hidden, and reused.
    void hidingRestoresTheAppThePanelOpenedOver()
    {
        Rig rig;
        rig.controller.prepare();
        OverlayPanel *prepared = rig.controller.panel();
        QVERIFY(prepared && !rig.controller.isPanelVisible());
        rig.controller.toggle();
        QCOMPARE(rig.controller.panel(), prepared);
        // Opening again while open keeps the app it was opened over.
        rig.platform.appList.frontmost = browserPid;
        rig.controller.show();
        rig.controller.toggle();
        rig.controller.show();
        emit rig.controller.panel()->focusLost();
        rig.platform.appList.frontmost = browserPid;
        rig.platform.appList.terminated.insert(browserPid);
        rig.controller.show();
        rig.press(Qt::Key_Escape);
        QCOMPARE(rig.platform.appList.activations, QList<qint32>{editorPid});
    }

    // Every key is the panel's; one that means nothing beeps. An app with a stored letter
    // but no window on the panel is launched, with a beep if it cannot be.
    void everyKeyIsSwallowedAndAKeyThatMeansNothingBeepsAndStoredLettersLaunchApps()
    {
        Rig rig;
        QCOMPARE(rig.settings.store.applyLetters({{QStringLiteral("org.example.Mail"), QStringLiteral("x")},
                                                  {QStringLiteral("org.example.Gone"), QStringLiteral("y")}}),
                 KeyValidation::ok());
        rig.platform.appList.installed.insert(QStringLiteral("org.example.Mail"));
        rig.controller.show();
        const PanelHeader *header = rig.controller.panel()->content()->header();
        const QList<std::tuple<Qt::Key, QString, Qt::KeyboardModifiers>> ignored{
            {Qt::Key_Q, QStringLiteral("q"), Qt::ControlModifier}, {Qt::Key_Space, QStringLiteral(" "), {}}};
        for (const auto &[key, text, modifiers] : ignored)
            QVERIFY(rig.press(key, text, modifiers));
        QVERIFY(!header->isShaking());
        // Enter with nothing highlighted means nothing: a beep and a shake, the panel stays.
        QVERIFY(rig.press(Qt::Key_Return, QStringLiteral("\r")));
        QVERIFY(header->isShaking());
        QCOMPARE(rig.platform.bell.beeps, 1);
        QVERIFY(rig.controller.isPanelVisible());

        rig.type(QStringLiteral("x"));
        rig.open(QStringLiteral("y"));
        QCOMPARE(rig.platform.appList.launches,
                 (QList<QString>{QStringLiteral("org.example.Mail"), QStringLiteral("org.example.Gone")}));
        QCOMPARE(rig.platform.bell.beeps, 2);
    }

    // The panel covers the screen until the window manager reports the switch done.
    void aSwitchWaitsForTheWindowManagersWord()
    {
        Rig rig;
        rig.controller.show();
        const QString browser = rig.letterOf(QStringLiteral("Browser"));
        rig.type(browser.toUpper() + u'2'); // upper case acts as lower case
        QVERIFY(rig.platform.ax.acts.contains(QStringLiteral("raise 22")));
        QCOMPARE(rig.platform.appList.activations, QList<qint32>{browserPid});
        QVERIFY(rig.controller.isPanelVisible());
        // Keys typed meanwhile are not the panel's.
        QTest::keyClick(rig.controller.panel(), Qt::Key_1);
        QVERIFY(!rig.platform.ax.acts.contains(QStringLiteral("raise 21")));
        rig.platform.appList.reportActive(22);
        QVERIFY(!rig.controller.isPanelVisible());

        // A window manager that says nothing: the panel goes a moment later all the same.
        rig.open(rig.letterOf(QStringLiteral("Editor")));
        QVERIFY(rig.controller.isPanelVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.controller.isPanelVisible(), OverlayController::switchReportWaitMs * 10);

        // The window already active: nothing to wait for. The trigger during a wait
        // opens the panel afresh instead of closing it and restoring the app before.
        rig.platform.appList.reportActive(11);
        rig.open(rig.letterOf(QStringLiteral("Editor")));
        QVERIFY(!rig.controller.isPanelVisible());
        rig.open(browser + u'1');
        const qsizetype activations = rig.platform.appList.activations.size();
        rig.controller.toggle();
        QVERIFY(rig.controller.isPanelVisible());
        QCOMPARE(rig.controller.viewModel().stage(), Stage::apps());
        QCOMPARE(rig.platform.appList.activations.size(), activations);
        rig.platform.appList.reportActive(21);
        QVERIFY(rig.controller.isPanelVisible());
    }

    void pastingPutsTheClipInBothSelectionsThenTypesTheKeystrokeThePreviousAppPastesOn()
    {
        Rig rig;
        rig.copy({QStringLiteral("older"), QStringLiteral("newest")});
        rig.open(QStringLiteral("v2"));
        QCOMPARE(rig.platform.board.string(), std::optional<QString>(QStringLiteral("older")));
        QCOMPARE(rig.platform.board.primarySelection, std::optional<QString>(QStringLiteral("older")));
        QCOMPARE(rig.platform.appList.activations, QList<qint32>{editorPid});
        QVERIFY(rig.platform.strokes.pastes.isEmpty()); // the keystroke waits for the app to come forward
        QTRY_COMPARE(rig.platform.strokes.pastes, QList<PasteKeystroke>{PasteKeystroke::controlV});
        // The pasted entry went to the top; the clipboard's copy of it is no new entry.
        QVERIFY(readClipboard(rig.clipboard));
        QCOMPARE(rig.clipboard.items().size(), 2);
        QCOMPARE(rig.clipboard.items().first().text, QStringLiteral("older"));

        // The user's choice for the app is the keystroke.
        const QString editor = QStringLiteral("org.example.Editor");
        QCOMPARE(rig.settings.store.applyAppShortcuts({{editor, rig.letterOf(QStringLiteral("Editor"))}},
                                                      {{editor, PasteKeystroke::controlShiftV}}),
                 KeyValidation::ok());
        rig.open(QStringLiteral("v1"));
        QTRY_COMPARE(rig.platform.strokes.pastes, QList({PasteKeystroke::controlV, PasteKeystroke::controlShiftV}));

        // A picture goes on the clipboard alone, and the primary selection is emptied: a
        // terminal's Shift+Insert must not type the text an earlier paste left there.
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        rig.platform.board.copyImage(picture);
        QVERIFY(readClipboard(rig.clipboard));
        QTRY_VERIFY(!rig.clipboard.isWritingImages());
        rig.open(QStringLiteral("v1"));
        QCOMPARE(rig.platform.board.primarySelection, std::optional<QString>(QString()));
        QTRY_COMPARE(rig.platform.strokes.pastes.size(), 3);
    }

    void nothingToPasteBeepsAndKeepsTheClipboard()
    {
        Rig rig;
        // A clipboard picture whose file has gone since it was written.
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        rig.platform.board.copyImage(picture);
        QVERIFY(readClipboard(rig.clipboard));
        QTRY_VERIFY(!rig.clipboard.isWritingImages());
        QVERIFY(QFile::remove(rig.clipboard.items().first().picture.file()));
        rig.platform.board.copyText(QStringLiteral("the user's clipboard"));
        QVERIFY(readClipboard(rig.clipboard));
        Snippet missingPicture = HostileFiles::pictureSnippet(QStringLiteral("gone.png"));
        missingPicture.name = QStringLiteral("Logo");
        Snippet emptyText;
        emptyText.name = QStringLiteral("Blank");
        QVERIFY(rig.snippets.replaceAll({missingPicture, emptyText}));
        for (const QString &keys : {QStringLiteral("b1"), QStringLiteral("b2"), QStringLiteral("v2")})
            rig.open(keys);
        QCOMPARE(rig.platform.bell.beeps, 3);
        QCOMPARE(rig.platform.notes.shown.size(), 3);
        QCOMPARE(rig.platform.board.acts, QStringList());
        QCOMPARE(rig.platform.board.string(), std::optional<QString>(QStringLiteral("the user's clipboard")));
        QTest::qWait(2 * Paster::keystrokeDelayMs);
        QVERIFY(rig.platform.strokes.pastes.isEmpty());
    }

    void commandsRunAfterThePreviousAppIsBackAndFailuresAreShownOnce()
    {
        Rig rig;
        // A script that says a lot before it fails, run with an argument.
        const QString script = rig.environment.root() + QStringLiteral("/backup.sh");
        StoreTesting::writeFile(script, "#!/bin/sh\nfor i in $(seq 1 8); do echo line $i; done\n"
                                        "printf '%0300d\\n\\n' 0 >&2\nexit 2\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(rig.commands.replaceAll({Command{QUuid::createUuid(), QStringLiteral("Blank"), QStringLiteral("  \n ")},
                                         Command{QUuid::createUuid(), QString(), script + QStringLiteral(" --all")}}));
        rig.open(QStringLiteral("m1"));
        QCOMPARE(rig.platform.appList.activations, QList<qint32>{editorPid});
        QTRY_COMPARE(rig.platform.bell.beeps, 1);
        rig.open(QStringLiteral("m2"));
        QTRY_COMPARE(rig.platform.bell.beeps, 2);
        // One notification: the command named, and the last lines of its output, cut short.
        QCOMPARE(rig.platform.notes.shown.size(), 2);
        QCOMPARE(rig.platform.notes.shown.last().summary, QStringLiteral("backup.sh failed (exit status 2)"));
        const QString cutLine = QString(FailureNotice::shownLineLength - 1, u'0') + u'…';
        QCOMPARE(rig.platform.notes.shown.last().body,
                 QStringList({"line 5", "line 6", "line 7", "line 8", cutLine}).join(u'\n'));
    }

    // Picking a window while the opening's captures are under way does not wait for
    // them: those not begun are dropped, and those in flight reach the picture cache but
    // not the closed panel.
    void aSwitchEndsTheOpeningsCaptures()
    {
        Rig rig;
        const int capturing = QThread::idealThreadCount();
        QList<quint32> ids;
        for (quint32 id = 100; id < quint32(100 + capturing + 3); ++id) {
            rig.platform.windows.addWindow(id, browserPid, QStringLiteral("Browser"), QStringLiteral("tab"));
            rig.platform.capture.windows.append({id, QRectF(0, 0, 800, 600)});
            ids.append(id);
        }
        rig.platform.capture.holding = true;
        rig.controller.show();
        QTRY_COMPARE(rig.captured(), capturing);

        rig.type(rig.letterOf(QStringLiteral("Editor")));
        QVERIFY(rig.platform.ax.acts.contains(QStringLiteral("raise 11")));
        rig.platform.capture.granted = false; // nothing is prepared after the hide
        QSignalSpy pictures(&rig.controller.viewModel(), &SwitcherViewModel::thumbnailsChanged);
        rig.platform.capture.holding = false;
        rig.platform.capture.gate.release(capturing);
        QTRY_COMPARE(rig.thumbnails.thumbnails(ids + QList<quint32>{11, 21, 22}).size(), capturing);
        QTest::qWait(100);
        QCOMPARE(rig.captured(), capturing);
        QCOMPARE(pictures.count(), 0);
    }

    void capturesBeginWithWindowsWithoutAPictureThenTheAppsPages()
    {
        // Front-most first: 1 and 2 of one app, 3 of another, 4 and 5 of a third. The
        // apps page shows 1, 3 and 4.
        const QList<WindowInfo> windows{windowOf(1, 10, QStringLiteral("A")), windowOf(2, 10, QStringLiteral("A")),
                                        windowOf(3, 20, QStringLiteral("B")), windowOf(4, 30, QStringLiteral("C")),
                                        windowOf(5, 30, QStringLiteral("C"))};
        const QList<std::pair<QSet<quint32>, QList<quint32>>> cases{
            {{}, {1, 3, 4, 2, 5}},
            {{1, 4}, {3, 2, 5, 1, 4}},
            {{2, 3, 5}, {1, 4, 3, 2, 5}},
        };
        for (const auto &[pictured, expected] : cases) {
            QList<quint32> order;
            for (const WindowInfo &window :
                 OpeningCaptures::captureOrder(windows, groupByApplication(windows), pictured))
                order.append(window.id);
            QCOMPARE(order, expected);
        }
    }

    void everyHidePreparesThePicturesAndIconsOfTheNextOpening()
    {
        Rig rig;
        QPixmap square(64, 64);
        square.fill(Qt::green);
        rig.platform.appList.icons = {{editorPid, QIcon(square)}, {browserPid, QIcon(square)}};
        rig.controller.show();
        QVERIFY(rig.controller.viewModel().thumbnails().isEmpty());
        // Nothing is looked up while the panel opens.
        QVERIFY(rig.platform.appList.iconLookups.isEmpty());
        rig.press(Qt::Key_Escape);
        QTRY_COMPARE(rig.thumbnails.thumbnails({11, 21, 22}).size(), 3);
        // The closed panel holds the fresh pictures at once, not the ones they replaced.
        QTRY_COMPARE(rig.controller.viewModel().thumbnails().value(11).cacheKey(),
                     rig.thumbnails.thumbnails({11}).value(11).cacheKey());
        QCOMPARE(rig.platform.appList.iconLookups, (QHash<qint32, int>{{editorPid, 1}, {browserPid, 1}}));

        // Opened again before the preparation, the panel skips it: the opening captures
        // its windows itself, once.
        rig.controller.show();
        QTRY_COMPARE(rig.captured(), 6);
        rig.press(Qt::Key_Escape);
        rig.controller.show();
        QTest::qWait(OverlayController::prefetchDelayAfterHideMs * 3);
        QCOMPARE(rig.captured(), 9);
        rig.press(Qt::Key_Escape);
        // Without the permission nothing is captured, and the icons are still prepared.
        const int captures = rig.captured();
        rig.platform.capture.granted = false;
        rig.platform.windows.addWindow(31, 4301, QStringLiteral("Viewer"), QStringLiteral("photo.png"));
        rig.controller.show();
        rig.press(Qt::Key_Escape);
        QTest::qWait(OverlayController::prefetchDelayAfterHideMs * 3);
        QCOMPARE(rig.captured(), captures);
        QCOMPARE(rig.platform.appList.iconLookups.value(4301), 1);
        QCOMPARE(rig.platform.appList.iconLookups.value(editorPid), 1);
    }
};

QTEST_MAIN(OverlayControllerTest)
#include "overlay_controller_test.moc"
