// The X11 backend against a real server: listing 50 windows of other processes,
// picturing 20 of them, and the time from a hot-key press to its action. Needs an X
// session with a window manager; scripts/x11-session makes a private one:
//
//   scripts/x11-session with build/bench/x11_bench
//
// The windows come from the test helper program (LETTERGATE_HELPER_WINDOW, else the
// one built beside the tests).
#include "platform/HotKeys.h"
#include "platform/KeyEncoding.h"
#include "platform/ScreenCapture.h"
#include "platform/WindowServer.h"
#include "platform/x11/X11Platform.h"
#include "windows/ThumbnailService.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>
#include <QtConcurrent>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <vector>
#include <xcb/xtest.h>

using namespace lettergate;

namespace {

constexpr int processes = 5;
constexpr int windowsPerProcess = 10;
constexpr int capturedWindows = 20;

X11Platform *platform = nullptr;

QString helperProgram()
{
    const QString configured = qEnvironmentVariable("LETTERGATE_HELPER_WINDOW");
    if (!configured.isEmpty())
        return configured;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../tests/x11/x11_helper_window");
}

// Fifty 640 × 480 windows of five processes, each process in a colour of its own.
std::vector<std::unique_ptr<QProcess>> startWindows()
{
    std::vector<std::unique_ptr<QProcess>> helpers;
    for (int i = 0; i < processes; ++i) {
        auto helper = std::make_unique<QProcess>();
        helper->start(helperProgram(),
                      {"--title", QStringLiteral("Bench %1").arg(i), "--windows", QString::number(windowsPerProcess),
                       "--size", "640x480", "--position", QStringLiteral("%1,%2").arg(20 + 40 * i).arg(20), "--color",
                       QStringLiteral("%1").arg(0x203040 * (i + 1) & 0xffffff, 6, 16, QLatin1Char('0'))});
        helpers.push_back(std::move(helper));
    }
    // Until the window manager lists them all.
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (platform->windowServer().onScreenWindows().value_or(QList<WindowRecord>{}).size()
            >= processes * windowsPerProcess)
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return helpers;
}

void BM_onScreenWindows50(benchmark::State &state)
{
    qsizetype count = 0;
    for (auto _ : state)
        count = platform->windowServer().onScreenWindows()->size();
    state.counters["windows"] = double(count);
}
BENCHMARK(BM_onScreenWindows50)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_listWindows50(benchmark::State &state)
{
    qsizetype count = 0;
    for (auto _ : state)
        count = listWindows(*platform, qint32(QCoreApplication::applicationPid())).size();
    state.counters["windows"] = double(count);
}
BENCHMARK(BM_listWindows50)->Unit(benchmark::kMicrosecond)->UseRealTime();

QList<ShareableWindow> captureTargets()
{
    return platform->screenCapture().shareableContent().windows.mid(0, capturedWindows);
}

void BM_capture20Sequential(benchmark::State &state)
{
    const QList<ShareableWindow> targets = captureTargets();
    for (auto _ : state) {
        for (const ShareableWindow &window : targets) {
            const QImage picture = platform->screenCapture().capture(window, ThumbnailService::thumbnailSize(
                                                                                 window.frame.size()));
            benchmark::DoNotOptimize(picture.constBits());
        }
    }
    state.SetItemsProcessed(state.iterations() * targets.size());
}
BENCHMARK(BM_capture20Sequential)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_capture20Parallel(benchmark::State &state)
{
    const QList<ShareableWindow> targets = captureTargets();
    for (auto _ : state) {
        const QList<QImage> pictures = QtConcurrent::blockingMapped(targets, [](const ShareableWindow &window) {
            return platform->screenCapture().capture(window, ThumbnailService::thumbnailSize(window.frame.size()));
        });
        benchmark::DoNotOptimize(pictures.constData());
    }
    state.SetItemsProcessed(state.iterations() * targets.size());
}
BENCHMARK(BM_capture20Parallel)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the panel's prefetch does after every hide: list, then picture every window.
void BM_thumbnailPrefetch20(benchmark::State &state)
{
    const QList<WindowInfo> windows =
        listWindows(*platform, qint32(QCoreApplication::applicationPid())).mid(0, capturedWindows);
    ThumbnailService thumbnails(platform->screenCapture());
    for (auto _ : state) {
        QFuture<void> done = thumbnails.prefetch(windows);
        while (!done.isFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    state.SetItemsProcessed(state.iterations() * windows.size());
}
BENCHMARK(BM_thumbnailPrefetch20)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the key press leaving another client to the pressed signal on the GUI thread.
void BM_hotKeyPressToAction(benchmark::State &state)
{
    constexpr xcb_keycode_t control = 37, alt = 64, w = 25;
    xcb_connection_t *keyboard = xcb_connect(nullptr, nullptr);
    HotKeys &keys = platform->hotKeys();
    const HotKeyId id{0x4C474154, 1};
    if (!keys.registerHotKey(id, 13, CarbonModifiers::control | CarbonModifiers::option)) {
        state.SkipWithError("the combination is taken");
        return;
    }
    bool fired = false;
    const QMetaObject::Connection connection = QObject::connect(&keys, &HotKeys::pressed, [&] { fired = true; });
    auto type = [keyboard](uint8_t event, xcb_keycode_t key) {
        xcb_test_fake_input(keyboard, event, key, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    };
    for (auto _ : state) {
        fired = false;
        type(XCB_KEY_PRESS, control);
        type(XCB_KEY_PRESS, alt);
        type(XCB_KEY_PRESS, w);
        xcb_flush(keyboard);
        while (!fired)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.PauseTiming();
        type(XCB_KEY_RELEASE, w);
        type(XCB_KEY_RELEASE, alt);
        type(XCB_KEY_RELEASE, control);
        std::free(xcb_get_input_focus_reply(keyboard, xcb_get_input_focus(keyboard), nullptr));
        QCoreApplication::processEvents();
        // A press in the same millisecond as the release would pass for the key
        // repeating, which no hand can do.
        QThread::msleep(2);
        state.ResumeTiming();
    }
    QObject::disconnect(connection);
    keys.unregisterHotKey(id);
    xcb_disconnect(keyboard);
}
BENCHMARK(BM_hotKeyPressToAction)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    auto x11 = X11Platform::connect();
    if (!x11 || !x11->hasWindowManager()) {
        std::fprintf(stderr,
                     "x11_bench needs an X session with a window manager: "
                     "scripts/x11-session with %s\n",
                     argv[0]);
        return 1;
    }
    if (!QFileInfo::exists(helperProgram())) {
        std::fprintf(stderr, "x11_bench: no helper window program at %s\n", qPrintable(helperProgram()));
        return 1;
    }
    platform = x11.get();
    const auto helpers = startWindows();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    for (const auto &helper : helpers) {
        helper->kill();
        helper->waitForFinished();
    }
    return 0;
}
