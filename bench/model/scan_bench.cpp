// Application scan and search speed over 1,000 generated bundles.
//   BM_Scan              the full scan of the generated folder
//   BM_ReadParsePlists   only reading and parsing the same 1,000 Info.plist
//                        files (goal: the scan within twice this)
//   BM_RankedKeystroke   one Search::ranked call over 1,000 applications for
//                        one keystroke of a typed query (goal: under 1 ms);
//                        argument 0 uses the C locale, 1 German collation.

#include "foundation/property_list.h"
#include "model/app_scanner.h"
#include "model/search.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QVariantMap>

#include <benchmark/benchmark.h>

#include <iterator>

namespace {

constexpr int kBundleCount = 1000;

const char *const kWords[] = {"Photo", "Studio", "Code", "Music", "Mail", "Notes", "Pixel", "Cloud", "Note",
                              "Word", "Sheet", "Slide", "Video", "Player", "Editor", "Viewer", "Book", "Chat",
                              "Map", "Time", "Machine", "Terminal", "Disk", "Utility", "Game", "Paint", "Draw",
                              "Sketch", "Safe", "Vault", "Pro", "X", "Lite", "Mini", "Hub", "Desk"};
const char *const kForeign[] = {"微信", "网易 云音乐", "Café Noir", "Résumé Builder", "Привет", "日本語 ノート"};

// Deterministic pseudo-random numbers, so every run builds the same set.
struct Lcg
{
    quint32 state = 12345;
    quint32 next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

QString appName(Lcg &random, int i)
{
    if (i % 17 == 0)
        return QString::fromUtf8(kForeign[random.next() % std::size(kForeign)]) + QString::number(i);
    const int words = 1 + int(random.next() % 3);
    QStringList parts;
    for (int w = 0; w < words; ++w)
        parts.append(QString::fromLatin1(kWords[random.next() % std::size(kWords)]));
    return parts.join(QLatin1Char(' ')) + QLatin1Char(' ') + QString::number(i);
}

// An Info.plist the size and shape of a real application's.
QVariantMap infoPlist(const QString &name, const QString &bundleID)
{
    QVariantList documentTypes;
    for (int d = 0; d < 3; ++d) {
        documentTypes.append(QVariantMap{
            {"CFBundleTypeName", name + " Document " + QString::number(d)},
            {"CFBundleTypeRole", "Editor"},
            {"LSItemContentTypes", QVariantList{bundleID + ".doc" + QString::number(d), "public.data"}},
            {"CFBundleTypeExtensions", QVariantList{"ext" + QString::number(d)}},
        });
    }
    return QVariantMap{
        {"CFBundleIdentifier", bundleID},
        {"CFBundleName", name},
        {"CFBundleDisplayName", name},
        {"CFBundleExecutable", name},
        {"CFBundlePackageType", "APPL"},
        {"CFBundleShortVersionString", "4.2.1"},
        {"CFBundleVersion", "4210"},
        {"CFBundleIconFile", "AppIcon"},
        {"CFBundleInfoDictionaryVersion", "6.0"},
        {"CFBundleDevelopmentRegion", "en"},
        {"LSMinimumSystemVersion", "14.0"},
        {"LSApplicationCategoryType", "public.app-category.productivity"},
        {"NSHighResolutionCapable", true},
        {"NSPrincipalClass", "NSApplication"},
        {"NSHumanReadableCopyright", "Copyright 2024 Example Inc. All rights reserved."},
        {"CFBundleDocumentTypes", documentTypes},
        {"CFBundleURLTypes", QVariantList{QVariantMap{{"CFBundleURLSchemes", QVariantList{"example"}}}}},
    };
}

struct Fixture
{
    QTemporaryDir dir;
    QStringList plistPaths;
    QList<AppItem> apps;

    Fixture()
    {
        Lcg random;
        for (int i = 0; i < kBundleCount; ++i) {
            const QString name = appName(random, i);
            const QString bundleID = QStringLiteral("com.vendor%1.app%2").arg(i % 50).arg(i);
            // Most bundles sit in the root, some one or two folders down.
            QString folder = dir.path();
            if (i % 5 == 1)
                folder += QStringLiteral("/Utilities");
            else if (i % 10 == 3)
                folder += QStringLiteral("/Suite/Tools");
            const QString bundle = folder + QLatin1Char('/') + name + QStringLiteral(".app");
            QDir().mkpath(bundle + QStringLiteral("/Contents/MacOS"));
            QDir().mkpath(bundle + QStringLiteral("/Contents/Resources"));
            const QVariantMap info = infoPlist(name, bundleID);
            const QString plist = bundle + QStringLiteral("/Contents/Info.plist");
            QFile file(plist);
            if (!file.open(QIODevice::WriteOnly))
                std::abort();
            file.write(i % 2 ? PropertyList::toBinary(info) : PropertyList::toXml(info));
            plistPaths.append(plist);
            apps.append(AppItem(bundleID, name, bundle));
        }
    }
};

Fixture &fixture()
{
    static Fixture instance;
    return instance;
}

void BM_Scan(benchmark::State &state)
{
    Fixture &f = fixture();
    const AppScanner scanner(QStringList{f.dir.path()});
    qsizetype found = 0;
    for (auto _ : state) {
        const QList<AppItem> apps = scanner.scan();
        found = apps.size();
        benchmark::DoNotOptimize(apps.constData());
    }
    if (found != kBundleCount)
        state.SkipWithError("scan did not find every bundle");
    state.counters["bundles"] = double(found);
}
BENCHMARK(BM_Scan)->Unit(benchmark::kMillisecond);

void BM_ReadParsePlists(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        int parsed = 0;
        for (const QString &path : std::as_const(f.plistPaths))
            parsed += PropertyList::parseFile(path).has_value() ? 1 : 0;
        benchmark::DoNotOptimize(parsed);
    }
}
BENCHMARK(BM_ReadParsePlists)->Unit(benchmark::kMillisecond);

void BM_RankedKeystroke(benchmark::State &state)
{
    Fixture &f = fixture();
    const QLocale previous;
    if (state.range(0) == 1)
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // Every prefix of a few typed queries: one ranked() call per keystroke.
    QStringList keystrokes;
    for (const char *typed : {"visual studio", "photo", "terminal", "cafe", "com.vendor1", "xyz", "微信", "mn"}) {
        const QString text = QString::fromUtf8(typed);
        for (qsizetype n = 1; n <= text.size(); ++n)
            keystrokes.append(text.left(n));
    }
    const QHash<QString, QString> overrides = {{f.apps.at(7).stableID(), QStringLiteral("Renamed Seven")}};
    qsizetype k = 0;
    for (auto _ : state) {
        const QList<AppItem> result = Search::ranked(f.apps, keystrokes.at(k), overrides);
        benchmark::DoNotOptimize(result.constData());
        k = (k + 1) % keystrokes.size();
    }
    QLocale::setDefault(previous);
    state.counters["keystrokes"] = double(keystrokes.size());
}
BENCHMARK(BM_RankedKeystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The empty query: every application sorted by name.
void BM_RankedEmptyQuery(benchmark::State &state)
{
    Fixture &f = fixture();
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (auto _ : state) {
        const QList<AppItem> result = Search::ranked(f.apps, QString());
        benchmark::DoNotOptimize(result.constData());
    }
    QLocale::setDefault(previous);
}
BENCHMARK(BM_RankedEmptyQuery)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
