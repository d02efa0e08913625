// One search keystroke over 1,000 and 5,000 applications (goal: at most 2 ms
// at 5,000, and linear in the number of applications).
//   BM_SearchKeystroke             the keys made once, as the launcher keeps
//                                  them; one ranked call per keystroke
//   BM_SearchKeystrokeUnprepared   Search::ranked making every key on each
//                                  keystroke, for comparison
// Both cycle through every prefix of a few typed queries, with one rename in
// force.

#include "model/search.h"
#include "model/search_index.h"

#include <QStringList>

#include <benchmark/benchmark.h>

#include <iterator>

namespace {

const char *const kWords[] = {"Photo", "Studio", "Code", "Music", "Mail", "Notes", "Pixel", "Cloud", "Note",
                              "Word", "Sheet", "Slide", "Video", "Player", "Editor", "Viewer", "Book", "Chat",
                              "Map", "Time", "Machine", "Terminal", "Disk", "Utility", "Game", "Paint", "Draw",
                              "Sketch", "Safe", "Vault", "Pro", "X", "Lite", "Mini", "Hub", "Desk"};
const char *const kForeign[] = {"微信", "网易 云音乐", "Café Noir", "Résumé Builder", "Привет", "日本語 ノート"};

// Deterministic pseudo-random numbers, so every run searches the same set.
struct Lcg
{
    quint32 state = 12345;
    quint32 next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

QList<AppItem> generatedApps(int count)
{
    Lcg random;
    QList<AppItem> apps;
    apps.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name;
        if (i % 17 == 0) {
            name = QString::fromUtf8(kForeign[random.next() % std::size(kForeign)]) + QString::number(i);
        } else {
            const int words = 1 + int(random.next() % 3);
            QStringList parts;
            for (int w = 0; w < words; ++w)
                parts.append(QString::fromLatin1(kWords[random.next() % std::size(kWords)]));
            name = parts.join(QLatin1Char(' ')) + QLatin1Char(' ') + QString::number(i);
        }
        const QString bundleID = QStringLiteral("com.vendor%1.app%2").arg(i % 50).arg(i);
        apps.append(AppItem(bundleID, name, QStringLiteral("/Applications/") + name + QStringLiteral(".app")));
    }
    return apps;
}

QStringList keystrokes()
{
    QStringList result;
    for (const char *typed : {"visual studio", "photo", "terminal", "cafe", "com.vendor1", "xyz", "微信", "mn"}) {
        const QString text = QString::fromUtf8(typed);
        for (qsizetype n = 1; n <= text.size(); ++n)
            result.append(text.left(n));
    }
    return result;
}

void BM_SearchKeystroke(benchmark::State &state)
{
    const QList<AppItem> apps = generatedApps(int(state.range(0)));
    const QHash<QString, QString> overrides = {{apps.at(7).stableID(), QStringLiteral("Renamed Seven")}};
    const SearchIndex index(apps, overrides);
    const QStringList typed = keystrokes();
    qsizetype k = 0;
    for (auto _ : state) {
        const QList<AppItem> result = index.ranked(typed.at(k));
        benchmark::DoNotOptimize(result.constData());
        k = (k + 1) % typed.size();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SearchKeystroke)->Arg(1000)->Arg(5000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

void BM_SearchKeystrokeUnprepared(benchmark::State &state)
{
    const QList<AppItem> apps = generatedApps(int(state.range(0)));
    const QHash<QString, QString> overrides = {{apps.at(7).stableID(), QStringLiteral("Renamed Seven")}};
    const QStringList typed = keystrokes();
    qsizetype k = 0;
    for (auto _ : state) {
        const QList<AppItem> result = Search::ranked(apps, typed.at(k), overrides);
        benchmark::DoNotOptimize(result.constData());
        k = (k + 1) % typed.size();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SearchKeystrokeUnprepared)
    ->Arg(1000)
    ->Arg(5000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
