// What drawing the switcher panel costs on the GUI thread, offscreen on the fake
// platform: rebuilding a page from the view model (every change does), painting it,
// and one frame of a page transition.
#include "panel/AppIconCache.h"
#include "panel/PageArea.h"
#include "panel/PageTransition.h"
#include "panel/SwitcherView.h"
#include "switcher/SwitcherRig.h"

#include <QApplication>
#include <QPainter>
#include <QThread>
#include <benchmark/benchmark.h>

using namespace lettergate;

namespace {

// A panel of 1200 × 760 over `windowCount` windows of ten apps, every window captured,
// with full clipboard, snippet, link and command lists.
struct Panel : SwitcherRig {
    AppIconCache icons{platform.appList};
    SwitcherView view{model, snippets, icons, SwitcherActions{}, 4, 6, {}};

    explicit Panel(int windowCount)
    {
        QStringList clips;
        for (int i = 0; i < 50; ++i)
            clips.append(QStringLiteral("clipboard entry %1 with a line of text").arg(i));
        copy(clips);
        QStringList names;
        for (int i = 0; i < 10; ++i)
            names.append(QStringLiteral("entry %1").arg(i));
        setSnippets(names);
        setLinks(names);
        setCommands(names);

        QList<AppEntry> apps;
        QList<WindowInfo> windows;
        for (int i = 0; i < windowCount; ++i) {
            const qint32 pid = 100 + i % 10;
            const WindowInfo window{quint32(1000 + i),
                                    pid,
                                    std::nullopt,
                                    QStringLiteral("App %1").arg(pid),
                                    QStringLiteral("Window %1").arg(i),
                                    QRectF(0, 0, 1280, 800)};
            windows.append(window);
            platform.capture.windows.append(ShareableWindow{window.id, window.bounds});
            if (i < 10)
                apps.append(AppEntry{pid, std::nullopt, window.appName, QString(QChar(u'a' + i)), {}});
            apps[i % 10].windows.append(window);
        }
        platform.capture.granted = true;
        const QFuture<void> capturing = thumbnails.prefetch(windows);
        while (!capturing.isFinished()) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        model.reset(apps);
        view.resize(1200, 760);
        view.rebuild();
    }
};

QImage paint(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Builds the apps page anew, as every change of the view model does (the hover-free
// steady state: icons, thumbnails, four cells, six chips).
void BM_rebuildAppsPage(benchmark::State &state)
{
    Panel panel(int(state.range(0)));
    for (auto _ : state) {
        panel.view.rebuild();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(BM_rebuildAppsPage)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

void BM_rebuildClipboardPageOf50(benchmark::State &state)
{
    Panel panel(10);
    panel.model.enter(Prefix::clipboard);
    panel.view.rebuild();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (auto _ : state) {
        panel.view.rebuild();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(BM_rebuildClipboardPageOf50)->Unit(benchmark::kMicrosecond);

// One full paint of the panel: what the first frame after a showing costs.
void BM_paintAppsPage(benchmark::State &state)
{
    Panel panel(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(paint(panel.view).constBits());
}
BENCHMARK(BM_paintAppsPage)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

// What a showing draws: the page rebuilt from the view model (the showing resets it),
// then painted whole, as the first frame after the panel is mapped. Kept out of line
// so that callgrind can count it alone (--toggle-collect='*firstFrameOfShowing*').
[[gnu::noinline]] void firstFrameOfShowing(Panel &panel)
{
    panel.view.rebuild();
    benchmark::DoNotOptimize(paint(panel.view).constBits());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Showings after the first: the panel has been painted before with the same content.
void BM_rebuildAndPaintAppsPage(benchmark::State &state)
{
    Panel panel(int(state.range(0)));
    paint(panel.view);
    for (auto _ : state)
        firstFrameOfShowing(panel);
}
BENCHMARK(BM_rebuildAndPaintAppsPage)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

// One frame of the page change: both page pictures scaled and blended over the page area.
void BM_transitionFrame(benchmark::State &state)
{
    Panel panel(10);
    panel.view.show();
    panel.model.enter(Prefix::clipboard);
    QCoreApplication::processEvents(); // the rebuild the change scheduled starts the transition
    PageTransition *transition = panel.view.pageArea()->transition();
    // Half-way, where both pages are drawn scaled; the clock stands still from here on,
    // as nothing turns the event loop while the frames are timed.
    while (transition->progress() < 0.5)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    state.counters["progress"] = transition->progress();
    for (auto _ : state)
        benchmark::DoNotOptimize(paint(*transition).constBits());
}
BENCHMARK(BM_transitionFrame)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
