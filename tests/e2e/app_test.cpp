#include "reliability/RunningProgram.h"
#include "x11/X11TestSupport.h"

#include <QColor>
#include <QImage>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace Qt::StringLiterals;
using Reliability::lettersByApp;
using Reliability::ReportedWindow;
using Reliability::reportedWindows;

using Reliability::panelHasFocus;
using Reliability::panelIsMapped;
using Reliability::pressKeys;
using X11Test::HelperWindow;

namespace {

QString hex(quint32 window)
{
    return QStringLiteral("0x%1").arg(window, 0, 16);
}

void openPanel()
{
    pressKeys(QStringLiteral("ctrl+alt+w"));
    QTRY_VERIFY_WITH_TIMEOUT(panelHasFocus(), 5000);
}

void activate(quint32 window)
{
    X11Test::run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), hex(window)});
    QTRY_COMPARE(X11Test::activeWindow(), window);
}

bool settingsWindowIsMapped()
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                             QStringLiteral("^Lettergate Settings$")});
    search.waitForFinished(5000);
    return !search.readAllStandardOutput().trimmed().isEmpty();
}

// How many pixels of the window are plain magenta, read from the server: without a
// compositor, what the screen shows of a window on top.
int magentaPixels(quint32 window)
{
    X11Test::OtherClient client;
    xcb_connection_t *c = client.connection();
    const std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr), &std::free);
    if (!geometry)
        return 0;
    const std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, geometry->width,
                                          geometry->height, ~0u),
                            nullptr),
        &std::free);
    if (!image || xcb_get_image_data_length(image.get()) < geometry->width * geometry->height * 4)
        return 0;
    const QImage pixels(xcb_get_image_data(image.get()), geometry->width, geometry->height, QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) {
            const QColor color = pixels.pixelColor(x, y);
            count += color.red() > 200 && color.green() < 60 && color.blue() > 200;
        }
    }
    return count;
}

// Whether a window of the program sits inside a window of the tray: its icon is docked.
bool iconIsDockedInTheTray(xcb_connection_t *c, xcb_window_t window, bool insideTray)
{
    const QByteArray windowOf = X11Test::windowClass(c, window);
    if (insideTray && windowOf == "Lettergate")
        return true;
    insideTray = insideTray || windowOf == "trayer";
    const std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr), &std::free);
    if (!tree)
        return false;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    return std::any_of(children, children + xcb_query_tree_children_length(tree.get()),
                       [&](xcb_window_t child) { return iconIsDockedInTheTray(c, child, insideTray); });
}

bool iconIsDockedInTheTray()
{
    X11Test::OtherClient client;
    return iconIsDockedInTheTray(client.connection(), client.root(), false);
}

// A real XEmbed system tray, started after the program.
class Tray {
public:
    Tray() { m_process.start(QStringLiteral("trayer"), {}); }
    ~Tray() { stop(); }
    bool isRunning() { return m_process.waitForStarted(5000); }
    void stop()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

// An xterm of its own process running `cat > file`, so that what is pasted into it can
// be read back.
class Terminal {
public:
    Terminal(const QString &title, const QString &file)
        : m_file(file)
    {
        m_process.start(QStringLiteral("xterm"), {QStringLiteral("-T"), title, QStringLiteral("-geometry"),
                                                  QStringLiteral("60x10"), QStringLiteral("-e"), QStringLiteral("sh"),
                                                  QStringLiteral("-c"), QStringLiteral("cat > \"$0\""), file});
        m_process.waitForStarted();
        const QString found = X11Test::run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
                                                                      QStringLiteral("--name"), u'^' + title + u'$'});
        m_window = found.section(u'\n', 0, 0).toUInt();
    }
    ~Terminal()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    quint32 window() const { return m_window; }
    QByteArray received() const
    {
        QFile file(m_file);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QProcess m_process;
    QString m_file;
    quint32 m_window = 0;
};

} // namespace

// Lettergate as a user meets it: the real program in a session with two other
// applications, one with a single window that accepts pastes and one with two windows.
class EndToEndAppTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_alpha = std::make_unique<HelperWindow>(QStringList{"--title", "Alpha notes", "--class", "alpha,Alpha",
                                                             "--size", "500x400", "--accept-paste"});
        m_delta = std::make_unique<HelperWindow>(QStringList{"--title", "Delta", "--class", "delta,Delta",
                                                             "--size", "500x400", "--position", "600,100",
                                                             "--windows", "2"});
        QVERIFY(m_alpha->isValid() && m_delta->isValid());
        // Three terminals, each its own process, all of one window class.
        for (int terminal = 1; terminal <= 3; ++terminal) {
            m_terminals.push_back(std::make_unique<Terminal>(QStringLiteral("Terminal %1").arg(terminal),
                                                             m_files.filePath(QStringLiteral("typed-%1").arg(terminal))));
            QVERIFY(m_terminals.back()->window() != 0);
        }
        for (quint32 window : m_alpha->windows() + m_delta->windows())
            QVERIFY(X11Test::waitUntilManaged(window));
        for (const auto &terminal : m_terminals)
            QVERIFY(X11Test::waitUntilManaged(terminal->window()));
        QVERIFY2(m_program.start(), m_program.output().constData());
        QVERIFY(m_program.output().contains("[Lettergate] hotkey registered:⌃⌥W"));
    }

    // What the program printed during the current test.
    void init() { m_outputBefore = m_program.output().size(); }

    void aLetterSwitchesToTheAppsWindow()
    {
        activate(m_delta->window());
        openPanel();
        // Beside the window manager: never framed or listed, so in no taskbar or pager.
        const quint32 panel = X11Test::focusedWindow();
        const QString attributes = X11Test::run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), hex(panel)});
        QVERIFY2(attributes.contains(QStringLiteral("Override Redirect State: yes")), qPrintable(attributes));
        QVERIFY(!X11Test::managedWindows().contains(panel));
        pressKeys(QStringLiteral("a"));
        QTRY_COMPARE(X11Test::activeWindow(), m_alpha->window());
        QVERIFY(!panelIsMapped());
        QTRY_VERIFY(output().contains("switched → Alpha"));
    }

    void anAppWithTwoWindowsShowsThemAndADigitPicksOne()
    {
        activate(m_alpha->window());
        openPanel();
        pressKeys(QStringLiteral("d"));
        QTest::qWait(200);
        QVERIFY(panelHasFocus()); // the window page is open
        pressKeys(QStringLiteral("2"));
        QTRY_COMPARE(X11Test::activeWindow(), m_delta->windows().value(1));
        QVERIFY(!panelIsMapped());
    }

    void aClipboardEntryIsPastedIntoThePreviousApp()
    {
        X11Test::run(QStringLiteral("sh"), {QStringLiteral("-c"),
                                            QStringLiteral("printf 'hello from the clipboard' | xclip -selection clipboard")});
        activate(m_alpha->window());
        openPanel();
        pressKeys(QStringLiteral("v"));
        pressKeys(QStringLiteral("1"));
        QCOMPARE(m_alpha->waitForLine(QStringLiteral("paste: ")), QStringLiteral("paste: hello from the clipboard"));
        QCOMPARE(X11Test::activeWindow(), m_alpha->window());
    }

    void terminalsOfOneClassAreOneAppWhoseLetterNeverMoves()
    {
        const QList<ReportedWindow> before = windows();
        QList<ReportedWindow> terminals;
        for (const ReportedWindow &window : before) {
            if (window.title.startsWith(QStringLiteral("Terminal ")))
                terminals.append(window);
        }
        // One app, one letter, numbered 1 to 3 by window id.
        QCOMPARE(terminals.size(), 3);
        QStringList ids;
        for (int number = 1; number <= 3; ++number) {
            QCOMPARE(terminals.at(number - 1).number, number);
            QCOMPARE(terminals.at(number - 1).letter, terminals.constFirst().letter);
            QCOMPARE(terminals.at(number - 1).app, terminals.constFirst().app);
            ids.append(terminals.at(number - 1).id);
        }
        QCOMPARE(lettersByApp(before).size(), 3); // Alpha, Delta and the terminals

        // Each terminal in front in turn, then the others: every letter stays.
        for (const auto &terminal : m_terminals) {
            activate(terminal->window());
            QCOMPARE(lettersByApp(windows()), lettersByApp(before));
        }
        activate(m_delta->window());
        QCOMPARE(lettersByApp(windows()), lettersByApp(before));

        // The app's letter opens its window page; 2 is its second window.
        openPanel();
        pressKeys(terminals.constFirst().letter);
        QTest::qWait(200);
        QVERIFY(panelHasFocus());
        pressKeys(QStringLiteral("2"));
        QTRY_COMPARE(hex(X11Test::activeWindow()), ids.at(1));
        QTRY_VERIFY(!panelIsMapped());
    }

    void aClipIsPastedIntoATerminalAndStaysOneEntry()
    {
        const QString text = QStringLiteral("pasted into a terminal: $HOME 'quoted' \\ done\n");
        QTemporaryFile copied;
        QVERIFY(copied.open());
        copied.write(text.toUtf8());
        copied.close();
        X11Test::xclipCopy(copied.fileName());
        const Terminal &terminal = *m_terminals.front();
        activate(terminal.window());
        openPanel();
        pressKeys(QStringLiteral("v"));
        pressKeys(QStringLiteral("1"));
        QTRY_COMPARE_WITH_TIMEOUT(terminal.received(), text.toUtf8(), 5000);
        QCOMPARE(X11Test::activeWindow(), terminal.window());

        // The paste put the entry on the clipboard again: still one entry of it.
        QTest::qWait(500);
        const QString history = m_program.dataDirectory() + QStringLiteral("/clipboard.json");
        const std::optional<QJsonArray> entries = Reliability::readJsonArray(history);
        QVERIFY(entries);
        const auto sameText = [&text](const QJsonValue &entry) { return entry.toObject().value(u"text").toString() == text; };
        QCOMPARE(std::count_if(entries->begin(), entries->end(), sameText), 1);
    }

    void aMinimisedAppComesBackByItsLetterAndAnUnknownLetterBeeps()
    {
        const QString alphaLetter = lettersByApp(windows()).value(u"Alpha"_s);
        QVERIFY(!alphaLetter.isEmpty());
        X11Test::run(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), hex(m_alpha->window())});
        QTRY_VERIFY(X11Test::isHidden(m_alpha->window()));
        activate(m_delta->window());
        // Minimised, Alpha has no card; it has no desktop entry either.
        QVERIFY(!lettersByApp(windows()).contains(u"Alpha"_s));
        openPanel();
        pressKeys(alphaLetter);
        QTRY_COMPARE(X11Test::activeWindow(), m_alpha->window());
        QVERIFY(!X11Test::isHidden(m_alpha->window()));
        QTRY_VERIFY(!panelIsMapped());

        X11Test::BellWatch bell;
        QVERIFY(bell.isValid());
        openPanel();
        pressKeys(QStringLiteral("z")); // no app's letter, no list key
        QTRY_COMPARE(bell.rings(), 1);
        QVERIFY(panelIsMapped());
        pressKeys(QStringLiteral("Escape"));
        QTRY_VERIFY(!panelIsMapped());
    }

    void escapeRestoresThePreviousWindowAndTheTriggerToggles()
    {
        const quint32 previous = m_delta->windows().value(0);
        activate(previous);
        openPanel();
        pressKeys(QStringLiteral("Escape"));
        QTRY_COMPARE(X11Test::activeWindow(), previous);
        QVERIFY(!panelIsMapped());

        openPanel();
        pressKeys(QStringLiteral("ctrl+alt+w"));
        QTRY_VERIFY(!panelIsMapped());
        QTRY_COMPARE(X11Test::activeWindow(), previous);
        // Read here, so the line cannot arrive during the next test, which counts toggles.
        QTRY_VERIFY(output().contains("toggle: isVisible=true"));
    }

    void aClickOutsideHidesWithoutRestoring()
    {
        activate(m_alpha->window());
        openPanel();
        // The panel covers the middle 80 % of the screen; the top-left corner is outside.
        X11Test::run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("2"), QStringLiteral("2"),
                                                 QStringLiteral("click"), QStringLiteral("1")});
        QTRY_VERIFY(!panelIsMapped());
        QVERIFY(!output().contains("toggle: isVisible=true"));
    }

    // A window opened since the panel last closed has no picture yet when the panel
    // opens; its card shows one while the panel is still open.
    void aWindowNewToThePanelIsPicturedWhileItIsOpen()
    {
        HelperWindow magenta({"--title", "Kilo", "--class", "kilo,Kilo", "--size", "400x300", "--color", "ff00ff"});
        QVERIFY(X11Test::waitUntilManaged({&magenta}));
        activate(m_alpha->window());
        openPanel();
        const quint32 panel = X11Test::focusedWindow();
        QTRY_VERIFY_WITH_TIMEOUT(magentaPixels(panel) > 1000, 5000);
        QTRY_VERIFY(output().contains("pictures complete after"));
        pressKeys(QStringLiteral("Escape"));
        QTRY_VERIFY(!panelIsMapped());
    }

    void theCommandLineDrivesTheRunningProgram()
    {
        activate(m_alpha->window());
        QVERIFY(verb(QStringLiteral("toggle")));
        QTRY_VERIFY_WITH_TIMEOUT(panelHasFocus(), 5000);
        QVERIFY(verb(QStringLiteral("toggle")));
        QTRY_VERIFY(!panelIsMapped());
        QTRY_COMPARE(X11Test::activeWindow(), m_alpha->window());

        QVERIFY(verb(QStringLiteral("show")));
        QTRY_VERIFY_WITH_TIMEOUT(panelHasFocus(), 5000);
        QVERIFY(verb(QStringLiteral("show"))); // an open panel stays open
        QVERIFY(panelIsMapped());
        pressKeys(QStringLiteral("Escape"));
        QTRY_VERIFY(!panelIsMapped());

        // The windows as the panel lists them: letter, app, number, id, title.
        const std::optional<QString> listing = m_program.ask({QStringLiteral("windows")});
        QVERIFY(listing);
        const QStringList lines = listing->split(u'\n', Qt::SkipEmptyParts);
        const QStringList expected{QStringLiteral("a\tAlpha\t1\t%1\tAlpha notes").arg(hex(m_alpha->window())),
                                   QStringLiteral("d\tDelta\t1\t%1\tDelta").arg(hex(m_delta->windows().value(0))),
                                   QStringLiteral("d\tDelta\t2\t%1\tDelta 2").arg(hex(m_delta->windows().value(1)))};
        for (const QString &line : expected)
            QVERIFY2(lines.contains(line), qPrintable(*listing));
        QVERIFY2(lines.filter(QStringLiteral("Lettergate")).isEmpty(), qPrintable(*listing));

        QVERIFY(verb(QStringLiteral("settings")));
        QTRY_VERIFY_WITH_TIMEOUT(settingsWindowIsMapped(), 5000);
    }

    void theTrayIconAppearsWhenATrayStartsLaterAndAgainWhenItRestarts()
    {
        // The program started before any tray, as it may at login.
        QVERIFY(m_program.output().contains("no system tray yet"));
        QVERIFY(!iconIsDockedInTheTray());
        {
            Tray tray;
            QVERIFY(tray.isRunning());
            QTRY_VERIFY_WITH_TIMEOUT(iconIsDockedInTheTray(), 10000);
            tray.stop();
            QTRY_VERIFY_WITH_TIMEOUT(!iconIsDockedInTheTray(), 5000);
        }
        Tray restarted;
        QVERIFY(restarted.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(iconIsDockedInTheTray(), 10000);
    }

    // Last: the program is gone afterwards.
    void quitEndsTheProgram()
    {
        QVERIFY(verb(QStringLiteral("quit")));
        QVERIFY(m_program.process().waitForFinished(10000));
        QCOMPARE(m_program.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program.process().exitCode(), 0);
    }

private:
    QByteArray output() const { return m_program.output().mid(m_outputBefore); }

    // `lettergate <verb>` as a user runs it beside the running program: true when it
    // exited with status 0.
    bool verb(const QString &name) const { return m_program.ask({name}).has_value(); }

    QList<ReportedWindow> windows() const
    {
        return reportedWindows(m_program.ask({QStringLiteral("windows")}).value_or(QString()));
    }

    std::unique_ptr<HelperWindow> m_alpha;
    std::unique_ptr<HelperWindow> m_delta;
    QTemporaryDir m_files;
    std::vector<std::unique_ptr<Terminal>> m_terminals;
    RunningProgram m_program;
    qsizetype m_outputBefore = 0;
};

QTEST_GUILESS_MAIN(EndToEndAppTest)
#include "app_test.moc"
