// The content stores' costs on the GUI thread: saving and loading the clipboard
// history, one poll tick, opening a link, and running a command to its completion; and
// what a full history of pictures holds in memory.
#include "platform/Paths.h"
#include "stores/ClipboardHistory.h"
#include "stores/CommandRunner.h"
#include "stores/LinkTarget.h"
#include "stores/RunningCommands.h"
#include "support/ClipboardReads.h"
#include "support/FakePlatform.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QThread>
#include <benchmark/benchmark.h>
#include <malloc.h>

using namespace lettergate;

namespace {

// A screenshot-sized picture with enough detail that PNG has something to compress.
QImage screenshot(int seed)
{
    QImage image(1280, 800, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x + seed * 13) & 0xff, (y * 3) & 0xff, ((x ^ y) + seed) & 0xff);
    }
    return image;
}

void waitUntil(const std::function<bool()> &done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

// Copies 50 entries into the history, 20 of them screenshots, and waits until their PNG
// files are written.
void fillHistory(FakePasteboard &board, ClipboardHistory &history, qsizetype textLength = 200)
{
    history.setLimit(50);
    for (int i = 0; i < 50; ++i) {
        if (i % 5 < 2)
            board.copyImage(screenshot(i));
        else
            board.copyText(QStringLiteral("entry %1 ").arg(i) + QString(textLength, u'x'));
        readClipboard(history);
    }
    waitUntil([&history] { return !history.isWritingImages(); });
}

// Starts the history and waits until every picture has its preview.
void startAndWaitForPreviews(ClipboardHistory &history)
{
    history.start();
    waitUntil([&history] {
        return std::all_of(history.items().cbegin(), history.items().cend(), [](const ClipboardHistory::Item &item) {
            return !item.isImage() || !item.picture.preview().isNull();
        });
    });
}

// A full history of 50 entries, 20 of them pictures whose PNG files are written.
struct FullHistory {
    TestEnvironment environment;
    FakePlatform platform;
    ClipboardHistory history{platform.board, Paths::dataDirectory()};

    explicit FullHistory(qsizetype textLength = 200) { fillHistory(platform.board, history, textLength); }
};

void BM_saveHistory50Entries20ImagesWritten(benchmark::State &state)
{
    FullHistory full;
    for (auto _ : state)
        full.history.save();
    state.counters["entries"] = double(full.history.items().size());
}
BENCHMARK(BM_saveHistory50Entries20ImagesWritten)->Unit(benchmark::kMillisecond);

// The worst case the text limit allows: 50 entries, 30 of them 1 Mi characters long.
void BM_saveHistory30LongestTexts(benchmark::State &state)
{
    FullHistory full(ClipboardHistory::maximumTextLength - 16);
    for (auto _ : state)
        full.history.save();
    state.counters["MB"] = double(QFileInfo(full.history.filePath()).size()) / 1e6;
}
BENCHMARK(BM_saveHistory30LongestTexts)->Unit(benchmark::kMillisecond);

void BM_loadHistory50Entries20Images(benchmark::State &state)
{
    FullHistory full;
    for (auto _ : state) {
        ClipboardHistory loaded(full.platform.board, Paths::dataDirectory());
        benchmark::DoNotOptimize(loaded.items().size());
    }
}
BENCHMARK(BM_loadHistory50Entries20Images)->Unit(benchmark::kMillisecond);

// The previews of that history, made in the background once it starts: the time until
// the last one is there.
void BM_previewsOfLoadedHistory(benchmark::State &state)
{
    FullHistory full;
    for (auto _ : state) {
        ClipboardHistory loaded(full.platform.board, Paths::dataDirectory());
        startAndWaitForPreviews(loaded);
    }
}
BENCHMARK(BM_previewsOfLoadedHistory)->Unit(benchmark::kMillisecond)->UseRealTime();

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// What the history of 50 entries with 20 screenshots holds once loaded and its previews
// made, as the program has it after a start: the process's resident size, and its growth
// over the process before the history was loaded. Run it alone
// (--benchmark_filter=BM_residentMemory), as earlier benchmarks leave memory behind.
void BM_residentMemoryOfLoadedHistory(benchmark::State &state)
{
    TestEnvironment environment;
    {
        // The files, written by a history that is gone before the measurement.
        FakePlatform platform;
        ClipboardHistory writer(platform.board, Paths::dataDirectory());
        fillHistory(platform.board, writer);
    }
    malloc_trim(0);
    FakePlatform platform;
    const qint64 before = residentKiB();
    for (auto _ : state) {
        ClipboardHistory loaded(platform.board, Paths::dataDirectory());
        startAndWaitForPreviews(loaded);
        QCoreApplication::processEvents();
        const qint64 after = residentKiB();
        state.counters["RSS_MiB"] = double(after) / 1024;
        state.counters["growth_MiB"] = double(after - before) / 1024;
        state.counters["pictures"] = double(
            std::count_if(loaded.items().cbegin(), loaded.items().cend(),
                          [](const ClipboardHistory::Item &item) { return item.isImage(); }));
    }
}
BENCHMARK(BM_residentMemoryOfLoadedHistory)->Iterations(1)->Unit(benchmark::kMillisecond);

// What a copy costs the GUI thread before its picture goes to the background writer,
// and how long the writer then takes for one screenshot.
void BM_recordScreenshotAndWriteItsPng(benchmark::State &state)
{
    TestEnvironment environment;
    FakePlatform platform;
    ClipboardHistory history(platform.board, Paths::dataDirectory());
    history.setLimit(1);
    const QImage picture = screenshot(1);
    for (auto _ : state) {
        platform.board.copyImage(picture);
        readClipboard(history);
        waitUntil([&history] { return !history.isWritingImages(); });
    }
}
BENCHMARK(BM_recordScreenshotAndWriteItsPng)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_pollTickWithoutChange(benchmark::State &state)
{
    FullHistory full;
    for (auto _ : state)
        full.history.checkPasteboard();
}
BENCHMARK(BM_pollTickWithoutChange);

// Trim, parse, scheme check, and the percent-encoding fallback: what a link is read as
// before the desktop's opener is started.
void BM_linkOpenNormalisation(benchmark::State &state)
{
    const QString typed[] = {QStringLiteral("  example.com/docs?q=1 "), QStringLiteral("slack://open?team=T1"),
                             QStringLiteral("https://example.com/a path with spaces")};
    const QString &url = typed[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(linkTarget(url, QStringLiteral("/home/user")));
}
BENCHMARK(BM_linkOpenNormalisation)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"bareHost|scheme|encoded"});

void BM_runTrueToCompletion(benchmark::State &state)
{
    RunningCommands running;
    for (auto _ : state) {
        bool done = false;
        CommandRunner::runCommand(running, QStringLiteral("true"), QStringLiteral("true"),
                                  [&done](const CommandRunner::Result &) { done = true; });
        waitUntil([&done] { return done; });
    }
}
BENCHMARK(BM_runTrueToCompletion)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
