#include "model/layout_store.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

// 1,000 applications: every tenth slot a folder of five members, 35 slots a page.
LauncherLayout largeLayout()
{
    LauncherLayout layout;
    layout.pages.clear();
    LauncherLayout::Page page;
    int app = 0;
    while (app < 1000) {
        if (page.size() % 10 == 9) {
            QStringList members;
            for (int i = 0; i < 5 && app < 1000; ++i)
                members << QStringLiteral("com.example.app%1").arg(app++);
            page.append(LayoutEntry::makeFolder(
                LayoutFolder(LayoutFolder::newIdentifier(), QStringLiteral("Folder %1").arg(app), members)));
        } else {
            page.append(LayoutEntry::app(QStringLiteral("/Applications/Example %1.app").arg(app++)));
        }
        if (page.size() == 35) {
            layout.pages.append(page);
            page.clear();
        }
    }
    if (!page.isEmpty())
        layout.pages.append(page);
    for (int i = 0; i < 50; ++i) {
        layout.hiddenIDs.insert(QStringLiteral("com.example.hidden%1").arg(i));
        layout.nameOverrides.insert(QStringLiteral("/Applications/Example %1.app").arg(i), QStringLiteral("Name %1").arg(i));
    }
    layout.customSources = {QStringLiteral("/opt/apps"), QStringLiteral("/srv/apps")};
    return layout;
}

void BM_LayoutSaveAndLoad(benchmark::State &state)
{
    QTemporaryDir dir;
    const LayoutStore store(dir.path());
    const LauncherLayout layout = largeLayout();
    for (auto _ : state) {
        if (!store.save(layout))
            state.SkipWithError("save failed");
        LauncherLayout loaded = store.load();
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(BM_LayoutSaveAndLoad)->Unit(benchmark::kMillisecond);

void BM_LayoutEncodeDecode(benchmark::State &state)
{
    const LauncherLayout layout = largeLayout();
    for (auto _ : state) {
        const QByteArray bytes = LayoutStore::encodeLayout(layout);
        std::optional<LauncherLayout> decoded = LayoutStore::decodeLayout(bytes);
        benchmark::DoNotOptimize(decoded);
    }
}
BENCHMARK(BM_LayoutEncodeDecode)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
