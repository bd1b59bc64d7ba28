// The window layer's per-showing costs on the fake platform: filtering the window
// server's list, and the thumbnail size rule.
#include "support/FakePlatform.h"
#include "windows/ThumbnailService.h"
#include "windows/WindowList.h"

#include <benchmark/benchmark.h>

using namespace lettergate;

namespace {

// 500 records as a busy desktop reports them: 100 processes, mostly ordinary windows,
// with the menus, tooltips, docks and tiny windows that the filter drops mixed in.
void fillDesktop(FakeWindowServer &server, FakeApps &apps)
{
    for (quint32 i = 0; i < 500; ++i) {
        const qint32 pid = 1000 + qint32(i % 100);
        apps.bundleIDs[pid] = QStringLiteral("org.example.App%1").arg(pid);
        WindowRecord &record = server.addWindow(i + 1, pid, QStringLiteral("App %1").arg(pid),
                                                QStringLiteral("Document %1").arg(i), QRectF(i, i, 800, 600));
        if (i % 5 == 1)
            record.layer = 25; // a panel or menu
        else if (i % 5 == 2)
            record.bounds = QRectF(0, 0, 40, 400); // too narrow
    }
}

void BM_listWindows500Records(benchmark::State &state)
{
    FakePlatform platform;
    fillDesktop(platform.windows, platform.appList);
    qsizetype kept = 0;
    for (auto _ : state) {
        const QList<WindowInfo> windows = listWindows(platform, 1000);
        kept = windows.size();
        benchmark::DoNotOptimize(windows.constData());
    }
    state.counters["kept"] = double(kept);
    state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(BM_listWindows500Records);

void BM_thumbnailSize(benchmark::State &state)
{
    double width = 1440;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ThumbnailService::thumbnailSize(QSizeF(width, 900)));
        width = width > 3000 ? 0.5 : width + 1;
    }
}
BENCHMARK(BM_thumbnailSize);

} // namespace

BENCHMARK_MAIN();
