// The uninstall leftover scan over a generated ~/Library of 100,000 entries,
// with a warm cache (the tree is built once and read again and again).
//   BM_ResidueScan   one AppResidueScanner::scan for one application among
//                    200 installed ones. Goal: well inside the confirmation's
//                    8 s wait; 100,000 entries in under 3.5 s.
// The tree: 30,000 leftovers of the application (cache files and folders),
// 40,000 preferences and caches of other applications, 20,000 vendor folders
// under Application Support with one entry each, and the rest in logs and
// containers.

#include "model/app_item.h"
#include "uninstall/app_residue_scanner.h"
#include "uninstall/local_file_system_access.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kInstalled = 200;

void touch(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

void folder(const QString &path)
{
    ::mkdir(QFile::encodeName(path).constData(), 0700);
}

AppItem bundle(const QString &home, const QString &name, const QString &bundleID)
{
    const QString path = home + QStringLiteral("/Applications/") + name + QStringLiteral(".app");
    QDir().mkpath(path + QStringLiteral("/Contents"));
    QFile info(path + QStringLiteral("/Contents/Info.plist"));
    if (info.open(QIODevice::WriteOnly)) {
        info.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                   "<key>CFBundleIdentifier</key><string>"
                   + bundleID.toUtf8() + "</string><key>CFBundleName</key><string>" + name.toUtf8()
                   + "</string></dict></plist>\n");
    }
    return AppItem(bundleID, name, path, false);
}

struct Tree
{
    QTemporaryDir dir;
    AppItem target;
    QList<AppItem> installed;
    int entries = 0;

    Tree()
    {
        const QString home = dir.path();
        const QString library = home + QStringLiteral("/Library");
        for (const char *sub : {"", "/Preferences", "/Caches", "/Application Support", "/Logs", "/Containers",
                                "/Saved Application State", "/Group Containers"})
            QDir().mkpath(library + QLatin1String(sub));
        target = bundle(home, QStringLiteral("Bench Target"), QStringLiteral("com.bench.target"));
        installed.append(target);
        for (int i = 0; i < kInstalled; ++i)
            installed.append(bundle(home, QStringLiteral("Other App %1").arg(i), QStringLiteral("org.other.app%1").arg(i)));

        auto add = [&](const QString &path, bool isFolder) {
            isFolder ? folder(path) : touch(path);
            ++entries;
        };
        for (int i = 0; i < 15000; ++i)
            add(library + QStringLiteral("/Caches/com.bench.target.cache%1").arg(i), i % 3 == 0);
        for (int i = 0; i < 15000; ++i)
            add(library + QStringLiteral("/Preferences/com.bench.target.helper%1.plist").arg(i), false);
        for (int i = 0; i < 20000; ++i)
            add(library + QStringLiteral("/Preferences/org.unrelated.tool%1.plist").arg(i), false);
        for (int i = 0; i < 20000; ++i)
            add(library + QStringLiteral("/Caches/net.someone.thing%1").arg(i), i % 2 == 0);
        for (int i = 0; i < 10000; ++i) {
            const QString vendor = library + QStringLiteral("/Application Support/Vendor %1").arg(i);
            add(vendor, true);
            add(vendor + QStringLiteral("/state.db"), false);
        }
        for (int i = 0; i < 5000; ++i)
            add(library + QStringLiteral("/Logs/Tool %1.log").arg(i), false);
        for (int i = 0; i < 5000; ++i)
            add(library + QStringLiteral("/Containers/org.elsewhere.box%1").arg(i), true);
    }
};

Tree &tree()
{
    static Tree built;
    return built;
}

void BM_ResidueScan(benchmark::State &state)
{
    Tree &t = tree();
    const LocalFileSystemAccess fs;
    const AppResidueScanner scanner(t.dir.path(), fs);
    qsizetype found = 0;
    for (auto _ : state) {
        const QList<UninstallResidue> residues = scanner.scan({t.target}, t.installed);
        found = residues.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["entries"] = t.entries;
    state.counters["found"] = double(found);
}
BENCHMARK(BM_ResidueScan)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
