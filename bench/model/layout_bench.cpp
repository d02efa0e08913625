#include "model/launcher_layout.h"

#include <benchmark/benchmark.h>

#include <QString>

namespace {

// 1,000 installed applications and a 1,000-entry layout built from them: 800
// loose entries and 40 folders of 5 members each; 50 of the layout's
// applications are no longer installed and 50 installed ones are new, so a
// reconcile has entries to drop, folders to repair and applications to add.
struct Fixture
{
    QList<AppItem> apps;
    LauncherLayout layout;

    Fixture()
    {
        const int installed = 1000;
        for (int i = 0; i < installed; ++i) {
            const QString name = QStringLiteral("%1 App %2").arg(QChar(u'A' + (i * 7) % 26)).arg(i);
            apps.append(AppItem(QStringLiteral("com.example.app%1").arg(i), name,
                                QStringLiteral("/Applications/%1.app").arg(name)));
        }
        // Identifiers 50..1049: the first 50 installed are missing from the
        // layout, the last 50 of the layout are not installed.
        QList<QString> ids;
        for (int i = 50; i < 1050; ++i)
            ids.append(QStringLiteral("com.example.app%1").arg(i));
        layout.pages.clear();
        qsizetype next = 0;
        for (int f = 0; f < 40; ++f) {
            layout.append(LayoutEntry::makeFolder(LayoutFolder(QStringLiteral("F%1").arg(f), QStringLiteral("Folder %1").arg(f),
                                                               ids.mid(next, 5))),
                          35);
            next += 5;
        }
        while (next < ids.size())
            layout.append(LayoutEntry::app(ids[next++]), 35);
        layout.hiddenIDs = {QStringLiteral("com.example.app60"), QStringLiteral("com.example.app400")};
    }
};

void BM_ReconcileAndNormalize(benchmark::State &state)
{
    const Fixture fixture;
    for (auto _ : state) {
        LauncherLayout layout = fixture.layout;
        layout.reconcile(fixture.apps, 35);
        layout.normalizePages(35);
        benchmark::DoNotOptimize(layout.pages.size());
    }
}
BENCHMARK(BM_ReconcileAndNormalize)->Unit(benchmark::kMicrosecond);

void BM_NormalizeOverfullPage(benchmark::State &state)
{
    // The whole layout on one page: the worst case for carrying entries on.
    Fixture fixture;
    LauncherLayout flat = fixture.layout;
    flat.pages = {flat.allEntries()};
    for (auto _ : state) {
        LauncherLayout layout = flat;
        layout.normalizePages(35);
        benchmark::DoNotOptimize(layout.pages.size());
    }
}
BENCHMARK(BM_NormalizeOverfullPage)->Unit(benchmark::kMicrosecond);

void BM_SortByName(benchmark::State &state)
{
    // The name order every reconcile, reorganize and import uses.
    const Fixture fixture;
    for (auto _ : state)
        benchmark::DoNotOptimize(LauncherLayout::sortedByName(fixture.apps).size());
}
BENCHMARK(BM_SortByName)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
