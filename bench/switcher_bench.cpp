// The switcher's per-showing and per-key costs over real stores in a private directory
// on the fake platform: building the app list, resetting the view model, one key.
#include "switcher/RunningApps.h"
#include "switcher/SwitcherRig.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace lettergate;

namespace {

// 200 windows of 40 apps, interleaved as a stacking order is, front-most first.
QList<WindowInfo> desktopWindows()
{
    QList<WindowInfo> windows;
    for (quint32 i = 0; i < 200; ++i) {
        const qint32 pid = 2000 + qint32((i * 7) % 40);
        windows.append(WindowInfo{5000 - i * 13, pid, QStringLiteral("org.example.App%1").arg(pid),
                                  QStringLiteral("App %1").arg(pid), QStringLiteral("Window %1").arg(i),
                                  QRectF(0, 0, 800, 600)});
    }
    return windows;
}

const QSet<QString> listKeys{QStringLiteral("v"), QStringLiteral("b"), QStringLiteral("q"), QStringLiteral("m")};

// Everything a panel showing reads, over files in a temporary directory.
struct Desktop : SwitcherRig {
    Desktop()
    {
        QStringList clips;
        QStringList names;
        for (int i = 0; i < 20; ++i)
            clips.append(QStringLiteral("clip %1").arg(i));
        for (int i = 0; i < 10; ++i)
            names.append(QStringLiteral("link %1").arg(i));
        copy(clips);
        setLinks(names);
    }
};

// Apps already known: the steady state of every showing after the first.
void BM_buildApps200Windows40Apps(benchmark::State &state)
{
    Desktop desktop;
    const QList<WindowInfo> windows = desktopWindows();
    buildApps(windows, listKeys, desktop.settings.store); // stores the 40 letters once
    for (auto _ : state) {
        const QList<AppEntry> apps = buildApps(windows, listKeys, desktop.settings.store);
        benchmark::DoNotOptimize(apps.constData());
    }
    state.counters["apps"] = double(buildApps(windows, listKeys, desktop.settings.store).size());
}
BENCHMARK(BM_buildApps200Windows40Apps);

void BM_resetWith40Apps(benchmark::State &state)
{
    Desktop desktop;
    const QList<AppEntry> apps = buildApps(desktopWindows(), listKeys, desktop.settings.store);
    const QList<AppEntry> other = apps.mid(1); // alternate, so every reset publishes a change
    bool flip = false;
    for (auto _ : state) {
        desktop.model.reset((flip = !flip) ? apps : other);
    }
}
BENCHMARK(BM_resetWith40Apps);

// A panel just shown over the 40 apps, each with five windows.
struct ShownPanel : Desktop {
    ShownPanel() { model.reset(buildApps(desktopWindows(), listKeys, settings.store)); }
};

// An app letter: the app's window page opens (then Backspace, to start over).
void BM_handleAppLetter(benchmark::State &state)
{
    ShownPanel panel;
    const QString letter = *panel.model.apps().constFirst().letter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(panel.model.handle(letter));
        panel.model.back();
    }
}
BENCHMARK(BM_handleAppLetter);

// The clipboard key and a pick: two keys, one paste decision.
void BM_handleListKeyAndPick(benchmark::State &state)
{
    ShownPanel panel;
    for (auto _ : state) {
        panel.model.handle(QStringLiteral("v"));
        benchmark::DoNotOptimize(panel.model.handle(QStringLiteral("7")));
    }
}
BENCHMARK(BM_handleListKeyAndPick);

// A key that means nothing on the apps page: every rule is tried before the refusal.
void BM_handleRejectedKey(benchmark::State &state)
{
    ShownPanel panel;
    for (auto _ : state)
        benchmark::DoNotOptimize(panel.model.handle(QStringLiteral("0")));
}
BENCHMARK(BM_handleRejectedKey);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
