#include "app/OpeningCaptures.h"
#include "app/OverlayController.h"
#include "app/OverlayPanel.h"
#include "app/PanelPlacement.h"
#include "panel/Card.h"
#include "panel/GridMetrics.h"
#include "panel/PageArea.h"
#include "panel/PanelHeader.h"
#include "panel/SwitcherView.h"
#include "stores/FailureNotice.h"
#include "support/HostileFiles.h"
#include "support/LogCapture.h"
#include "support/StubOpener.h"
#include "switcher/RunningApps.h"
#include "switcher/SwitcherRig.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr qint32 editorPid = 4100;
constexpr qint32 browserPid = 4200;

// How much had been asked of the capture (lists of windows and pictures) when the
// widget was first painted.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget &widget, FakeScreenCapture &capture) : m_capture(capture) { widget.installEventFilter(this); }

    int askedNow()
    {
        QMutexLocker lock(&m_capture.mutex);
        return m_capture.contentRequests + m_capture.captureCount;
    }

    std::optional<int> askedAtPaint;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !askedAtPaint)
            askedAtPaint = askedNow();
        return false;
    }

private:
    FakeScreenCapture &m_capture;
};

// The test runs on two screens side by side, the second smaller, with its own size.
const QRect firstScreen(0, 0, 1280, 800);
const QRect secondScreen(1280, 0, 1024, 768);

// Every paint of the panel's view: what the page it paints was built for.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(OverlayPanel &panel)
        : m_panel(panel)
    {
        panel.content()->installEventFilter(this);
    }
    // The size each paint's page was built for, and the size it should have been.
    QList<std::pair<QSize, QSize>> paints;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            paints.append({m_panel.content()->pageArea()->page()->size(), SwitcherView::pageSizeWithin(m_panel.size())});
        return false;
    }

private:
    OverlayPanel &m_panel;
};

// A pipe at path whose reader, should one open it, is set free after two seconds by a
// writer that opens and closes it: a read that would hang ends, and is known.
class PipeWatchdog {
public:
    explicit PipeWatchdog(const QString &path)
        : m_path(QFile::encodeName(path))
    {
        QCOMPARE(::mkfifo(m_path.constData(), 0600), 0);
        m_thread = std::thread([this] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (!m_stop && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            // Opening for writing without blocking succeeds only while a reader has it open.
            if (const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK); fd >= 0) {
                m_opened = true;
                ::close(fd);
            }
        });
    }
    ~PipeWatchdog()
    {
        m_stop = true;
        m_thread.join();
    }
    bool wasOpened() const { return m_opened; }

private:
    QByteArray m_path;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_opened{false};
    std::thread m_thread;
};

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
            // The editor on the first screen, the browser's windows on the second.
            platform.windows.addWindow(11, editorPid, QStringLiteral("Editor"), QStringLiteral("notes.txt"),
                                       QRectF(100, 100, 800, 600));
            platform.windows.addWindow(21, browserPid, QStringLiteral("Browser"), QStringLiteral("News"),
                                       QRectF(1400, 100, 800, 600));
            platform.windows.addWindow(22, browserPid, QStringLiteral("Browser"), QStringLiteral("Mail"),
                                       QRectF(1500, 200, 600, 400));
            platform.appList.bundleIDs = {{editorPid, QStringLiteral("org.example.Editor")},
                                          {browserPid, QStringLiteral("org.example.Browser")}};
            platform.appList.frontmost = editorPid;
            platform.ax.elements = {{editorPid, {11}}, {browserPid, {21, 22}}};
        }
        bool press(Qt::Key key, const QString &text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
        {
            const QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
            return controller.handleKey(event);
        }
        // Each letter or digit as its key, upper case with Shift.
        void type(const QString &keys)
        {
            for (const QChar key : keys)
                press(Qt::Key(key.toUpper().unicode()), QString(key), key.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
        }
        QString letterOf(const QString &appName)
        {
            for (const AppEntry &app : controller.viewModel().apps())
                if (app.appName == appName)
                    return app.letter.value_or(QString());
            return {};
        }
    };

private slots:
    // The app in front when the panel opened comes back when the panel is toggled or
    // escaped, not when it merely lost the focus, and not when it has gone meanwhile.
    void hidingRestoresTheAppThePanelOpenedOver()
    {
        Rig rig;
        LogCapture log;
        rig.controller.toggle();
        QVERIFY(rig.controller.isPanelVisible());
        QCOMPARE(rig.controller.viewModel().apps().size(), 2);
        QVERIFY(log.contains(QStringLiteral("[Lettergate] toggle: isVisible=false")));
        // Opening again from the menu while open keeps the app it was opened over.
        rig.platform.appList.frontmost = browserPid;
        rig.controller.show();
        rig.controller.toggle();
        QVERIFY(!rig.controller.isPanelVisible());
        QVERIFY(log.contains(QStringLiteral("[Lettergate] toggle: isVisible=true")));
        QCOMPARE(rig.platform.appList.activations, QList<qint32>{editorPid});

        rig.platform.appList.frontmost = browserPid;
        rig.controller.show();
        rig.press(Qt::Key_Escape);
        QVERIFY(!rig.controller.isPanelVisible());
        QCOMPARE(rig.platform.appList.activations, QList<qint32>({editorPid, browserPid}));

        rig.controller.show();
        emit rig.controller.panel()->focusLost();
        QVERIFY(!rig.controller.isPanelVisible());
        rig.controller.show();
        rig.platform.appList.terminated.insert(browserPid);
        rig.press(Qt::Key_Escape);
        QCOMPARE(rig.platform.appList.activations, QList<qint32>({editorPid, browserPid}));
    }

    void thePanelIsShapedOnlyWithoutACompositor()
    {
        Rig opaque;
        opaque.controller.show();
        OverlayPanel *panel = opaque.controller.panel();
        QVERIFY(!panel->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(!panel->mask().isEmpty());

        Rig blended;
        blended.platform.own.compositor = true;
        blended.controller.show();
        QVERIFY(blended.controller.panel()->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(blended.controller.panel()->mask().isEmpty());
    }

    void preparingBuildsThePanelHiddenAndTheFirstShowingReusesIt()
    {
        Rig rig;
        rig.controller.prepare();
        OverlayPanel *prepared = rig.controller.panel();
        QVERIFY(prepared && !rig.controller.isPanelVisible());
        rig.controller.prepare(); // a second preparation builds nothing new
        QCOMPARE(rig.controller.panel(), prepared);

        rig.controller.show();
        QVERIFY(rig.controller.isPanelVisible());
        QCOMPARE(rig.controller.panel(), prepared);
    }

    // The panel opens over the active window's screen, sized for it, and each opening
    // paints it once, its page built for the panel's size at that screen: the first
    // opening after start-up, one on the other screen, one with a change in between.
    void eachOpeningPaintsThePanelOnceOnTheActiveWindowsScreen()
    {
        const QList<QScreen *> screens = QApplication::screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(screens[1]->geometry(), secondScreen);
        Rig rig;
        rig.platform.appList.reportActive(21);
        rig.controller.prepare();
        OverlayPanel &panel = *rig.controller.panel();
        QVERIFY(panel.testAttribute(Qt::WA_WState_Created) && !panel.isVisible());
        PaintWatch watch(panel);

        const struct {
            quint32 activeWindow;
            QRect screen;
        } openings[] = {{21, secondScreen}, {11, firstScreen}, {11, firstScreen}, {22, secondScreen}};
        for (const auto &[activeWindow, screen] : openings) {
            rig.platform.appList.reportActive(activeWindow);
            watch.paints.clear();
            rig.controller.show();
            QTest::qWait(50);
            QCOMPARE(panel.geometry(), PanelPlacement::panelRectWithin(screen));
            QCOMPARE(watch.paints.size(), 1);
            QCOMPARE(watch.paints[0].first, watch.paints[0].second);
            rig.press(Qt::Key_Escape);
            // A window opened meanwhile: the next opening lists it.
            rig.platform.windows.addWindow(30 + activeWindow, editorPid, QStringLiteral("Editor"), QStringLiteral("more"));
        }
    }

    void everyKeyIsSwallowedAndOnlyLettersDigitsArrowsTabAndEnterDecide()
    {
        Rig rig;
        rig.controller.show();
        const PanelHeader *header = rig.controller.panel()->content()->header();
        // Shortcuts and space: swallowed, ignored, silent.
        const QList<std::tuple<Qt::Key, QString, Qt::KeyboardModifiers>> ignored{
            {Qt::Key_Q, QStringLiteral("q"), Qt::ControlModifier}, {Qt::Key_Q, QStringLiteral("q"), Qt::MetaModifier},
            {Qt::Key_W, QStringLiteral("w"), Qt::AltModifier},     {Qt::Key_Tab, QStringLiteral("\t"), Qt::ControlModifier},
            {Qt::Key_Space, QStringLiteral(" "), {}}};
        for (const auto &[key, text, modifiers] : ignored)
            QVERIFY(rig.press(key, text, modifiers));
        QCOMPARE(rig.platform.bell.beeps, 0);
        QVERIFY(rig.controller.isPanelVisible());
        QCOMPARE(rig.controller.viewModel().highlight(), std::nullopt);

        // A key that means nothing beeps, shakes the header and keeps the panel open;
        // Enter with nothing highlighted is such a key.
        for (const auto &[key, text] : {std::pair(Qt::Key_9, QStringLiteral("9")), std::pair(Qt::Key_Return, QStringLiteral("\r"))}) {
            QTRY_VERIFY(!header->isShaking());
            QVERIFY(rig.press(key, text));
            QVERIFY(header->isShaking());
        }
        QCOMPARE(rig.platform.bell.beeps, 2);
        QVERIFY(rig.controller.isPanelVisible());

        // Tab shows the highlight, the arrows move it, Enter picks as the letter would:
        // the browser's page, whose first window is highlighted; then its second window,
        // by the keypad's Enter. Accepted keys give no cue.
        QTRY_VERIFY(!header->isShaking());
        const QList<AppEntry> &apps = rig.controller.viewModel().apps();
        const auto browser = std::find_if(apps.cbegin(), apps.cend(), [](const AppEntry &app) { return app.pid == browserPid; });
        QVERIFY(rig.press(Qt::Key_Tab, QStringLiteral("\t")));
        for (auto app = apps.cbegin(); app != browser; ++app)
            rig.press(Qt::Key_Right);
        rig.press(Qt::Key_Return, QStringLiteral("\r"));
        QCOMPARE(rig.controller.viewModel().stage(), Stage::windows(browserPid));
        rig.press(Qt::Key_Right);
        rig.press(Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier);
        QVERIFY(rig.platform.ax.acts.contains(QStringLiteral("raise 22")));
        QVERIFY(!header->isShaking());
        QCOMPARE(rig.platform.bell.beeps, 2);
    }

    void lettersSwitchWindowsAndDrillIntoApps()
    {
        Rig rig;
        rig.controller.show();
        const QString browser = rig.letterOf(QStringLiteral("Browser"));
        QVERIFY(!browser.isEmpty());
        // Upper case acts as lower case: the browser has two windows, so its page opens.
        rig.type(browser.toUpper());
        QCOMPARE(rig.controller.viewModel().stage(), Stage::windows(browserPid));
        QVERIFY(rig.controller.isPanelVisible());

        // Backspace goes back a page; "2" on the window page activates the second window.
        rig.press(Qt::Key_Backspace);
        QCOMPARE(rig.controller.viewModel().stage(), Stage::apps());
        rig.type(browser + u'2');
        QVERIFY(rig.platform.ax.acts.contains(QStringLiteral("raise 22")));
        QCOMPARE(rig.platform.appList.activations, QList<qint32>{browserPid});
        // The panel covers the screen until the window manager reports the switch done;
        // keys typed meanwhile are not the panel's.
        QVERIFY(rig.controller.isPanelVisible());
        QTest::keyClick(rig.controller.panel(), Qt::Key_1);
        QVERIFY(!rig.platform.ax.acts.contains(QStringLiteral("raise 21")));
        rig.platform.appList.reportActive(22);
        QVERIFY(!rig.controller.isPanelVisible());

        // A window manager that says nothing: the panel goes a moment later all the same.
        rig.controller.show();
        rig.type(rig.letterOf(QStringLiteral("Editor")));
        QVERIFY(rig.platform.ax.acts.contains(QStringLiteral("raise 11")));
        QVERIFY(rig.controller.isPanelVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.controller.isPanelVisible(), OverlayController::switchReportWaitMs * 10);

        // The window already active: nothing to wait for. The trigger during a wait
        // opens the panel afresh instead of closing it and restoring the app before.
        rig.platform.appList.reportActive(11);
        rig.controller.show();
        rig.type(rig.letterOf(QStringLiteral("Editor")));
        QVERIFY(!rig.controller.isPanelVisible());
        rig.controller.show();
        rig.type(browser + u'1');
        QVERIFY(rig.controller.isPanelVisible());
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
        rig.controller.show();
        rig.type(QStringLiteral("v2"));
        QVERIFY(!rig.controller.isPanelVisible());
        QCOMPARE(rig.platform.board.string(), std::optional<QString>(QStringLiteral("older")));
        QCOMPARE(rig.platform.board.primarySelection, std::optional<QString>(QStringLiteral("older")));
        QCOMPARE(rig.platform.appList.activations, QList<qint32>{editorPid});
        QVERIFY(rig.platform.strokes.pastes.isEmpty()); // the keystroke waits for the app to come forward
        QTRY_COMPARE(rig.platform.strokes.pastes, QList<PasteKeystroke>{PasteKeystroke::controlV});
        // The pasted entry went to the top; the clipboard's copy of it is no new entry.
        QVERIFY(readClipboard(rig.clipboard));
        QCOMPARE(rig.clipboard.items().size(), 2);
        QCOMPARE(rig.clipboard.items().first().text, QStringLiteral("older"));

        // A terminal pastes on Shift+Insert, unless the user chose otherwise for it.
        const QString editor = QStringLiteral("org.example.Editor");
        rig.platform.appList.categoriesOf.insert(editor, {QStringLiteral("System"), QStringLiteral("TerminalEmulator")});
        rig.controller.show();
        rig.type(QStringLiteral("v2"));
        QTRY_COMPARE(rig.platform.strokes.pastes.size(), 2);
        QCOMPARE(rig.platform.strokes.pastes.last(), PasteKeystroke::shiftInsert);
        QCOMPARE(rig.settings.store.applyAppShortcuts({{editor, rig.letterOf(QStringLiteral("Editor"))}},
                                                      {{editor, PasteKeystroke::controlShiftV}}),
                 KeyValidation::ok());
        rig.controller.show();
        rig.type(QStringLiteral("v1"));
        QTRY_COMPARE(rig.platform.strokes.pastes.size(), 3);
        QCOMPARE(rig.platform.strokes.pastes.last(), PasteKeystroke::controlShiftV);

        // A picture goes on the clipboard alone, and the primary selection is emptied: a
        // terminal's Shift+Insert must not type the text an earlier paste left there.
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        rig.platform.board.copyImage(picture);
        QVERIFY(readClipboard(rig.clipboard));
        QTRY_VERIFY(!rig.clipboard.isWritingImages());
        rig.controller.show();
        rig.type(QStringLiteral("v1"));
        QCOMPARE(rig.platform.board.primarySelection, std::optional<QString>(QString()));
        QTRY_COMPARE(rig.platform.strokes.pastes.size(), 4);
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
        Snippet missingPicture;
        missingPicture.name = QStringLiteral("Logo");
        missingPicture.kind = Snippet::Kind::image;
        missingPicture.imageFileName = QStringLiteral("gone.png");
        Snippet emptyText;
        emptyText.name = QStringLiteral("Blank");
        // A pipe in a picture's place would hold the GUI thread until something wrote to it.
        Snippet pipePicture = HostileFiles::pictureSnippet(QStringLiteral("x.png"));
        pipePicture.name = QStringLiteral("Pipe");
        QVERIFY(rig.snippets.replaceAll({missingPicture, emptyText, pipePicture}));
        const PipeWatchdog pipe(rig.snippets.imagesDirectory() + QStringLiteral("/x.png"));

        for (const QString &keys : {QStringLiteral("b1"), QStringLiteral("b2"), QStringLiteral("b3"), QStringLiteral("v2")}) {
            rig.controller.show();
            rig.type(keys);
        }
        QVERIFY2(!pipe.wasOpened(), "the paste opened the pipe");
        QCOMPARE(rig.platform.bell.beeps, 4);
        // Each said once, with what could not be pasted.
        QStringList summaries;
        for (const FakeNotifications::Shown &note : std::as_const(rig.platform.notes.shown))
            summaries << note.summary;
        QCOMPARE(summaries, QStringList({QStringLiteral("Could not paste “Logo”"), QStringLiteral("Could not paste “Blank”"),
                                         QStringLiteral("Could not paste “Pipe”"), QStringLiteral("Could not paste the picture")}));
        QCOMPARE(rig.platform.board.acts, QStringList());
        QCOMPARE(rig.platform.board.string(), std::optional<QString>(QStringLiteral("the user's clipboard")));
        QTest::qWait(2 * Paster::keystrokeDelayMs);
        QVERIFY(rig.platform.strokes.pastes.isEmpty());
    }

    void commandsRunAfterThePreviousAppIsBack()
    {
        Rig rig;
        // A script that says a lot before it fails, run with an argument.
        const QString script = rig.environment.root() + QStringLiteral("/backup.sh");
        StoreTesting::writeFile(script, "#!/bin/sh\nfor i in $(seq 1 8); do echo line $i; done\n"
                                        "printf '%0300d\\n\\n' 0 >&2\nexit 2\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
        const QString failing = script + QStringLiteral(" --all");
        QVERIFY(rig.commands.replaceAll({Command{QUuid::createUuid(), QStringLiteral("Blank"), QStringLiteral("  \n ")},
                                         Command{QUuid::createUuid(), QString(), failing},
                                         Command{QUuid::createUuid(), QStringLiteral("Fine"), QStringLiteral("echo ok")}}));
        rig.controller.show();
        rig.type(QStringLiteral("m1"));
        QCOMPARE(rig.platform.appList.activations, QList<qint32>{editorPid});
        QTRY_COMPARE(rig.platform.bell.beeps, 1);
        QCOMPARE(rig.platform.notes.shown.last().summary, QStringLiteral("Blank has no command line"));
        rig.controller.show();
        rig.type(QStringLiteral("m2"));
        QTRY_COMPARE(rig.platform.bell.beeps, 2);
        // One notification: the command named, and the last lines of its output, cut short.
        QCOMPARE(rig.platform.notes.shown.size(), 2);
        QCOMPARE(rig.platform.notes.shown.last().summary, QStringLiteral("backup.sh failed (exit status 2)"));
        const QString cutLine = QString(FailureNotice::shownLineLength - 1, u'0') + u'…';
        QCOMPARE(rig.platform.notes.shown.last().body,
                 QStringList({"line 5", "line 6", "line 7", "line 8", cutLine}).join(u'\n'));
        rig.controller.show();
        rig.type(QStringLiteral("m3"));
        QTest::qWait(500);
        QCOMPARE(rig.platform.bell.beeps, 2);
        QCOMPARE(rig.platform.notes.shown.size(), 2); // a success shows nothing
    }

    void linksOpenAndStoredLettersLaunchApps()
    {
        Rig rig;
        rig.setLinks({QStringLiteral("docs")});
        StubOpener opener;
        rig.controller.show();
        rig.type(QStringLiteral("q1"));
        QVERIFY(!rig.controller.isPanelVisible());
        QTRY_COMPARE(opener.opened(), QStringList{QStringLiteral("https://example.org/docs")});

        // An app with a stored letter but no window on the panel: brought forward or
        // launched when it can be, a beep otherwise.
        QCOMPARE(rig.settings.store.applyLetters({{QStringLiteral("org.example.Mail"), QStringLiteral("x")},
                                                  {QStringLiteral("org.example.Gone"), QStringLiteral("y")}}),
                 KeyValidation::ok());
        rig.platform.appList.installed.insert(QStringLiteral("org.example.Mail"));
        for (const QString &letter : {QStringLiteral("x"), QStringLiteral("y")}) {
            rig.controller.show();
            rig.type(letter);
        }
        QCOMPARE(rig.platform.appList.launches,
                 (QList<QString>{QStringLiteral("org.example.Mail"), QStringLiteral("org.example.Gone")}));
        QCOMPARE(rig.platform.bell.beeps, 1);
        QCOMPARE(rig.platform.notes.shown.size(), 1);
        QVERIFY(rig.platform.notes.shown.first().summary.startsWith(QStringLiteral("Could not open ")));
    }

    // A window listed for the first time has its picture while the panel is still open,
    // and its card shows it. Nothing is asked of the capture before the panel's first
    // frame is drawn, and what the opening captured is not captured again after it.
    void anOpeningCapturesItsWindowsOnceItsFirstFrameIsDrawn()
    {
        Rig rig;
        rig.platform.capture.windows = {{11, QRectF(0, 0, 800, 600)}, {21, QRectF(0, 0, 800, 600)},
                                        {22, QRectF(0, 0, 800, 600)}, {31, QRectF(0, 0, 400, 300)}};
        rig.controller.prepare();
        QTRY_COMPARE(rig.thumbnails.thumbnails({11, 21, 22}).size(), 3);
        constexpr qint32 viewerPid = 4300;
        rig.platform.windows.addWindow(31, viewerPid, QStringLiteral("Viewer"), QStringLiteral("photo.png"));
        FirstPaint firstPaint(*rig.controller.panel(), rig.platform.capture);
        const int asked = firstPaint.askedNow();
        LogCapture log;

        rig.controller.show();
        QVERIFY(!rig.controller.viewModel().thumbnails().contains(31));
        QTRY_VERIFY(rig.controller.viewModel().thumbnails().contains(31));
        QCOMPARE(firstPaint.askedAtPaint, std::optional(asked));
        const auto viewerCard = [&rig]() -> const Card * {
            for (const Card *card : rig.controller.panel()->findChildren<Card *>())
                if (card->data().title == QStringLiteral("Viewer"))
                    return card;
            return nullptr;
        }();
        QVERIFY(viewerCard && viewerCard->data().thumbnail);
        QCOMPARE(viewerCard->data().thumbnail->cacheKey(), rig.controller.viewModel().thumbnails().value(31).cacheKey());

        // Every listed window is captured anew; after the hide none is captured again.
        QTRY_VERIFY(!log.lines.filter(QStringLiteral("] pictures complete after ")).isEmpty());
        QCOMPARE(firstPaint.askedNow(), asked + 1 + 4);
        rig.press(Qt::Key_Escape);
        QTest::qWait(OverlayController::prefetchDelayAfterHideMs * 3);
        QCOMPARE(firstPaint.askedNow(), asked + 1 + 4);
    }

    // Picking a window while the opening's captures are under way does not wait for
    // them: those not begun are dropped, and those in flight reach the picture cache but
    // not the closed panel.
    void aSwitchEndsTheOpeningsCaptures()
    {
        Rig rig;
        // More windows than the threads that capture them.
        const int capturing = QThread::idealThreadCount();
        QList<quint32> ids{11};
        rig.platform.capture.windows = {{11, QRectF(0, 0, 800, 600)}};
        for (quint32 id = 100; id < quint32(100 + capturing + 3); ++id) {
            rig.platform.windows.addWindow(id, browserPid, QStringLiteral("Browser"), QStringLiteral("tab"));
            rig.platform.capture.windows.append({id, QRectF(0, 0, 800, 600)});
            ids.append(id);
        }
        rig.platform.capture.holding = true;
        rig.controller.show();
        QTRY_COMPARE(rig.platform.capture.captureCount, capturing);

        rig.type(rig.letterOf(QStringLiteral("Editor")));
        QVERIFY(rig.platform.ax.acts.contains(QStringLiteral("raise 11")));
        rig.platform.capture.granted = false; // nothing is prepared after the hide
        QSignalSpy pictures(&rig.controller.viewModel(), &SwitcherViewModel::thumbnailsChanged);
        rig.platform.capture.holding = false;
        rig.platform.capture.gate.release(capturing);
        QTRY_COMPARE(rig.thumbnails.thumbnails(ids).size(), capturing);
        QTest::qWait(100);
        QCOMPARE(rig.platform.capture.captureCount, capturing);
        QCOMPARE(pictures.count(), 0);
    }

    // Where the desktop holds a switch back while the panel has the keyboard, and window
    // pictures are cut from the screen: the panel goes before the window is asked for,
    // an opening captures nothing, and every window is captured once it has closed. A
    // desktop that cannot make the panel an overlay gets an ordinary window.
    void whereTheOverlayHoldsSwitchesBackAndPicturesShowItThePanelGoesFirst()
    {
        Rig rig;
        rig.platform.own.overlayHoldsActivation = true;
        rig.platform.capture.fromScreen = true;
        rig.platform.capture.windows = {{11, QRectF(0, 0, 800, 600)}, {21, QRectF(0, 0, 800, 600)},
                                        {22, QRectF(0, 0, 800, 600)}};
        OverlayController controller(
            SwitcherSources{rig.settings.store, rig.thumbnails, rig.clipboard, rig.snippets, rig.links, rig.commands},
            rig.platform, rig.running);
        controller.show();
        QTest::qWait(OpeningCaptures::focusWaitMs * 3);
        QCOMPARE(rig.platform.capture.captureCount, 0);

        // The acts asked of the desktop by the time the panel hides.
        struct HideWatch : QObject {
            const QStringList &acts;
            std::optional<QStringList> atHide;
            explicit HideWatch(const QStringList &acts) : acts(acts) {}
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Hide)
                    atHide = acts;
                return false;
            }
        } watch(rig.platform.ax.acts);
        controller.panel()->installEventFilter(&watch);
        const auto editor = std::ranges::find(controller.viewModel().apps(), QStringLiteral("Editor"), &AppEntry::appName);
        QVERIFY(editor != controller.viewModel().apps().end() && editor->letter);
        const QKeyEvent key(QEvent::KeyPress, Qt::Key(editor->letter->toUpper().front().unicode()), Qt::NoModifier,
                            *editor->letter);
        controller.handleKey(key);
        QVERIFY(!controller.isPanelVisible());
        QCOMPARE(watch.atHide, std::optional(QStringList{}));
        QVERIFY(rig.platform.ax.acts.contains(QStringLiteral("raise 11")));
        QTRY_COMPARE(rig.platform.capture.captureCount, 3);

        // Where the desktop cannot make it an overlay, the panel is an ordinary window.
        QVERIFY(controller.panel()->windowFlags() & Qt::BypassWindowManagerHint);
        rig.platform.own.overlays = false;
        OverlayController ordinary(
            SwitcherSources{rig.settings.store, rig.thumbnails, rig.clipboard, rig.snippets, rig.links, rig.commands},
            rig.platform, rig.running);
        ordinary.prepare();
        QVERIFY(!(ordinary.panel()->windowFlags() & Qt::BypassWindowManagerHint));
    }

    void capturesBeginWithWindowsWithoutAPictureThenTheAppsPages()
    {
        // Front-most first: 1 and 2 of one app, 3 of another, 4 and 5 of a third. The
        // apps page shows 1, 3 and 4.
        const QList<WindowInfo> windows{windowOf(1, 10, QStringLiteral("A")), windowOf(2, 10, QStringLiteral("A")),
                                        windowOf(3, 20, QStringLiteral("B")), windowOf(4, 30, QStringLiteral("C")),
                                        windowOf(5, 30, QStringLiteral("C"))};
        const QList<AppEntry> apps = groupByApplication(windows);
        const QList<std::pair<QSet<quint32>, QList<quint32>>> cases{
            {{}, {1, 3, 4, 2, 5}},
            {{1, 2, 3, 4, 5}, {1, 3, 4, 2, 5}},
            {{1, 4}, {3, 2, 5, 1, 4}},
            {{2, 3, 5}, {1, 4, 3, 2, 5}},
        };
        for (const auto &[pictured, expected] : cases) {
            QList<quint32> order;
            for (const WindowInfo &window : OpeningCaptures::captureOrder(windows, apps, pictured))
                order.append(window.id);
            QCOMPARE(order, expected);
        }
    }

    void everyHidePreparesThePicturesAndIconsOfTheNextOpening()
    {
        Rig rig;
        rig.platform.capture.windows = {{11, QRectF(0, 0, 800, 600)}, {21, QRectF(0, 0, 800, 600)}};
        QPixmap square(64, 64);
        square.fill(Qt::green);
        rig.platform.appList.icons = {{editorPid, QIcon(square)}, {browserPid, QIcon(square)}};
        const auto cardIcons = [&rig] {
            QList<bool> drawn;
            for (const Card *card : rig.controller.panel()->findChildren<Card *>())
                drawn.append(!card->data().icon.isNull());
            return drawn;
        };
        rig.controller.show();
        QVERIFY(rig.controller.viewModel().thumbnails().isEmpty());
        // Nothing is looked up while the panel opens: unprepared apps show the placeholder.
        QVERIFY(rig.platform.appList.iconLookups.isEmpty());
        QCOMPARE(cardIcons(), (QList<bool>{false, false}));
        rig.press(Qt::Key_Escape);
        QTRY_COMPARE(rig.thumbnails.thumbnails({11, 21}).size(), 2);
        // Captured to fit the card that draws it, not at the 720-pixel rule: the
        // editor's one window only on its app's card (selecting it switches at once).
        const auto editorCard = [&rig] {
            for (const Card *card : rig.controller.panel()->findChildren<Card *>())
                if (card->data().title == QStringLiteral("Editor"))
                    return card->data().metrics;
            return GridMetrics{};
        }();
        QVERIFY(editorCard.thumbW > 0);
        QCOMPARE(rig.platform.capture.requestedSizes.value(11),
                 ThumbnailService::thumbnailSize(QSizeF(800, 600), QSize(int(std::ceil(editorCard.thumbW)),
                                                                         int(std::ceil(editorCard.thumbH)))));
        // The closed panel holds the fresh pictures at once, not the ones they replaced.
        QTRY_COMPARE(rig.controller.viewModel().thumbnails().value(11).cacheKey(),
                     rig.thumbnails.thumbnails({11}).value(11).cacheKey());
        QCOMPARE(rig.platform.appList.iconLookups, (QHash<qint32, int>{{editorPid, 1}, {browserPid, 1}}));
        rig.controller.show();
        QCOMPARE(rig.controller.viewModel().thumbnails().size(), 2);
        QTRY_COMPARE(cardIcons(), (QList<bool>{true, true}));
        QTRY_COMPARE(rig.platform.capture.captureCount, 4); // the opening's own, after the preparation's

        // Opened again before the preparation, the panel skips it: the opening captures
        // its two windows itself, once. A process that comes to the front meanwhile is
        // looked up only once the panel is closed.
        int captures = rig.platform.capture.captureCount;
        rig.press(Qt::Key_Escape);
        rig.controller.show();
        constexpr qint32 newcomerPid = 4300;
        rig.platform.appList.bringToFront(newcomerPid);
        QTest::qWait(OverlayController::prefetchDelayAfterHideMs * 3);
        QCOMPARE(rig.platform.capture.captureCount, captures + 2);
        QCOMPARE(rig.platform.appList.iconLookups.value(newcomerPid), 0);
        rig.press(Qt::Key_Escape);
        rig.platform.appList.bringToFront(newcomerPid);
        QCOMPARE(rig.platform.appList.iconLookups.value(newcomerPid), 1);
        // Preparing gives no letters: an app gets its letter from the showing that lists it.
        constexpr qint32 playerPid = newcomerPid + 2;
        rig.platform.windows.addWindow(41, playerPid, QStringLiteral("Player"), QStringLiteral("song.ogg"));
        rig.platform.appList.bundleIDs.insert(playerPid, QStringLiteral("org.example.Player"));
        rig.platform.capture.windows.append({41, QRectF(0, 0, 400, 300)});
        QTRY_VERIFY(rig.platform.capture.requestedSizes.contains(41));
        QVERIFY(!rig.settings.store.letters().contains(QStringLiteral("org.example.Player")));
        captures = rig.platform.capture.captureCount;

        // Without the permission nothing is captured, and the icons are still prepared.
        rig.platform.capture.granted = false;
        rig.platform.windows.addWindow(31, newcomerPid + 1, QStringLiteral("Viewer"), QStringLiteral("photo.png"));
        rig.controller.show();
        rig.press(Qt::Key_Escape);
        QTest::qWait(OverlayController::prefetchDelayAfterHideMs * 3);
        QCOMPARE(rig.platform.capture.captureCount, captures);
        QCOMPARE(rig.platform.appList.iconLookups.value(newcomerPid + 1), 1);
        QCOMPARE(rig.platform.appList.iconLookups.value(editorPid), 1);
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir configDirectory;
    const QString config = configDirectory.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    const auto screen = [](const char *name, const QRect &rect) {
        return QStringLiteral(R"({"name": "%1", "x": %2, "y": %3, "width": %4, "height": %5, "logicalDpi": 96})")
            .arg(QLatin1String(name))
            .arg(rect.x())
            .arg(rect.y())
            .arg(rect.width())
            .arg(rect.height());
    };
    file.write(QStringLiteral(R"({"screens": [%1, %2]})")
                   .arg(screen("first", firstScreen), screen("second", secondScreen))
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication application(argc, argv);
    OverlayControllerTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "overlay_controller_test.moc"
