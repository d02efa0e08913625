#include "tiles/icon_provider.h"

#include "icons_test_support.h"
#include "support/temp_env.h"

#include <QMutex>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

using namespace icons_test;

namespace {

// Stands in for the disk: every path has a colour (or none: no icon), every
// read is recorded with the thread it ran on.
class FakeLoader
{
public:
    struct Call
    {
        QString path;
        QThread *thread;
    };

    QHash<QString, QColor> colors;
    // When set, each read waits for one release: the test decides when it ends.
    QSemaphore *gate = nullptr;
    QSemaphore started;

    IconProvider::Loader loader()
    {
        return [this](const QString &path) {
            QSemaphore *wait = gate; // read before announcing the start
            const int now = ++m_running;
            int seen = m_maxRunning.load();
            while (now > seen && !m_maxRunning.compare_exchange_weak(seen, now)) {
            }
            {
                QMutexLocker locker(&m_mutex);
                m_calls.append({path, QThread::currentThread()});
            }
            started.release();
            if (wait)
                wait->acquire();
            QImage image;
            if (colors.contains(path))
                image = solid(16, 16, colors.value(path));
            --m_running;
            return image;
        };
    }

    QList<Call> calls() const
    {
        QMutexLocker locker(&m_mutex);
        return m_calls;
    }
    QStringList paths() const
    {
        QStringList result;
        for (const Call &call : calls())
            result << call.path;
        return result;
    }
    int maxRunning() const { return m_maxRunning.load(); }

private:
    mutable QMutex m_mutex;
    QList<Call> m_calls;
    std::atomic<int> m_running{0};
    std::atomic<int> m_maxRunning{0};
};

AppItem app(const QString &id, const QString &path)
{
    return AppItem(id, id, path);
}

QColor pixelColor(const QImage &image, double x, double y)
{
    return image.pixelColor(int(x), int(y));
}

TEST(IconProviderTest, LoadsOneAtATimeInRequestOrderAndDeliversOnTheMainThread)
{
    FakeLoader disk;
    QList<AppItem> apps;
    for (int i = 0; i < 12; ++i) {
        apps << app(QStringLiteral("id.%1").arg(i), QStringLiteral("/Apps/A%1.app").arg(i));
        disk.colors.insert(apps.last().path, QColor(10 * i, 0, 0));
    }
    IconProvider provider(disk.loader());
    QStringList delivered;
    QList<int> pendingAtDelivery;
    bool allOnMain = true;
    QObject::connect(&provider, &IconProvider::loaded, [&](const QString &id) {
        delivered << id;
        pendingAtDelivery << provider.pendingCount();
        allOnMain = allOnMain && QThread::currentThread() == qApp->thread();
    });

    for (int i = 0; i < apps.size(); ++i) {
        EXPECT_FALSE(provider.icon(apps[i]).has_value());
        EXPECT_EQ(provider.pendingCount(), i + 1);
    }
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));

    QStringList expectedPaths, expectedIds;
    for (const AppItem &a : apps) {
        expectedPaths << a.path;
        expectedIds << a.stableID();
    }
    EXPECT_EQ(disk.paths(), expectedPaths);
    EXPECT_EQ(delivered, expectedIds);
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(disk.maxRunning(), 1);
    // Falls by one per arrival.
    EXPECT_EQ(pendingAtDelivery, (QList<int>{11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    QThread *worker = disk.calls().first().thread;
    for (const FakeLoader::Call &call : disk.calls()) {
        EXPECT_NE(call.thread, qApp->thread());
        EXPECT_EQ(call.thread, worker);
    }
    const std::optional<QImage> third = provider.cachedIcon(apps[3]);
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(third->pixelColor(0, 0), QColor(30, 0, 0));
}

TEST(IconProviderTest, RepeatedRequestsShareOneLoadAndCacheHitsLoadNothing)
{
    FakeLoader disk;
    const AppItem mail = app("com.example.mail", "/Apps/Mail.app");
    disk.colors.insert(mail.path, Qt::blue);
    IconProvider provider(disk.loader());
    QStringList delivered;
    QObject::connect(&provider, &IconProvider::loaded, [&](const QString &id) { delivered << id; });

    EXPECT_FALSE(provider.icon(mail).has_value());
    EXPECT_FALSE(provider.icon(mail).has_value());
    EXPECT_EQ(provider.pendingCount(), 1);
    EXPECT_FALSE(provider.cachedIcon(mail).has_value());
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));
    EXPECT_EQ(delivered, QStringList{"com.example.mail"});

    for (int i = 0; i < 3; ++i) {
        const std::optional<QImage> hit = provider.icon(mail);
        ASSERT_TRUE(hit.has_value());
        EXPECT_EQ(hit->pixelColor(0, 0), QColor(Qt::blue));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(disk.paths(), QStringList{mail.path});
    EXPECT_EQ(provider.pendingCount(), 0);
    EXPECT_EQ(delivered.size(), 1);
}

// Two records for one bundle (e.g. a scanned copy and an imported one with
// another identifier): one load, one cache entry, and each is told.
TEST(IconProviderTest, EveryApplicationWaitingOnOneBundleIsTold)
{
    FakeLoader disk;
    const AppItem first = app("com.example.tool", "/Apps/Tool.app");
    const AppItem second = app("", "/Apps/Tool.app"); // stableID is the path
    disk.colors.insert(first.path, Qt::green);
    IconProvider provider(disk.loader());
    QStringList delivered;
    QObject::connect(&provider, &IconProvider::loaded, [&](const QString &id) { delivered << id; });

    EXPECT_FALSE(provider.icon(first).has_value());
    EXPECT_FALSE(provider.icon(second).has_value());
    EXPECT_FALSE(provider.icon(second).has_value());
    EXPECT_EQ(provider.pendingCount(), 1);
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));

    EXPECT_EQ(delivered, (QStringList{"com.example.tool", "/Apps/Tool.app"}));
    EXPECT_EQ(disk.paths().size(), 1);
    ASSERT_TRUE(provider.cachedIcon(second).has_value());
    EXPECT_EQ(provider.cachedIcon(second)->pixelColor(0, 0), QColor(Qt::green));
}

TEST(IconProviderTest, BundleWithoutIconGetsTheGenericIcon)
{
    FakeLoader disk; // knows no colours: every read finds nothing
    const AppItem bare = app("com.example.bare", "/Apps/Bare.app");
    IconProvider provider(disk.loader());
    provider.icon(bare);
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));
    const std::optional<QImage> icon = provider.cachedIcon(bare);
    ASSERT_TRUE(icon.has_value());
    EXPECT_FALSE(icon->isNull());
    EXPECT_EQ(*icon, IconProvider::genericAppIcon());
    // Drawn: opaque in the middle, transparent in the corner.
    const QImage generic = IconProvider::genericAppIcon();
    EXPECT_EQ(generic.size(), QSize(IconProvider::iconPixelSide, IconProvider::iconPixelSide));
    EXPECT_EQ(generic.pixelColor(generic.width() / 2, generic.height() / 8).alpha(), 255);
    EXPECT_EQ(generic.pixelColor(1, 1).alpha(), 0);
}

// Icons are cached at the side drawn, never enlarged: a smaller side shrinks
// what is cached without reading again; a larger one reads the bundles again.
TEST(IconProviderTest, CachesIconsNoLargerThanThePixelSideDrawn)
{
    std::atomic<int> reads{0};
    IconProvider provider([&reads](const QString &) {
        ++reads;
        return solid(200, 100, Qt::red);
    });
    const AppItem wide = app("com.example.wide", "/Apps/Wide.app");
    const auto loadedSize = [&]() -> QSize {
        provider.icon(wide);
        if (!pumpUntil([&] { return provider.pendingCount() == 0; }))
            return QSize();
        const std::optional<QImage> icon = provider.cachedIcon(wide);
        return icon ? icon->size() : QSize();
    };

    provider.setPixelSide(50);
    EXPECT_EQ(loadedSize(), QSize(50, 25));
    EXPECT_EQ(reads.load(), 1);

    provider.setPixelSide(20);
    ASSERT_TRUE(provider.cachedIcon(wide).has_value());
    EXPECT_EQ(provider.cachedIcon(wide)->size(), QSize(20, 10));
    EXPECT_EQ(provider.cachedIcon(wide)->pixelColor(10, 5), QColor(Qt::red));
    EXPECT_EQ(reads.load(), 1);

    provider.setPixelSide(80);
    EXPECT_FALSE(provider.cachedIcon(wide).has_value());
    EXPECT_EQ(loadedSize(), QSize(80, 40));
    EXPECT_EQ(reads.load(), 2);

    provider.setPixelSide(100000);
    EXPECT_EQ(provider.pixelSide(), IconProvider::iconPixelSide);
    EXPECT_EQ(loadedSize(), QSize(200, 100));
}

// The cache is bounded: past maximumCachedIcons the least recently used icon
// makes room, and its next request reads it again.
TEST(IconProviderTest, LeastRecentlyUsedIconMakesRoomAndLoadsAgainWhenAskedFor)
{
    FakeLoader disk;
    QList<AppItem> apps;
    for (int i = 0; i <= IconProvider::maximumCachedIcons; ++i) {
        apps << app(QStringLiteral("id.%1").arg(i), QStringLiteral("/Apps/A%1.app").arg(i));
        disk.colors.insert(apps.last().path, QColor(i % 256, 0, 0));
    }
    IconProvider provider(disk.loader());
    for (int i = 0; i < IconProvider::maximumCachedIcons; ++i)
        provider.icon(apps[i]);
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));
    ASSERT_TRUE(provider.icon(apps[0]).has_value()); // used again: now the newest

    provider.icon(apps.last());
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));
    EXPECT_TRUE(provider.cachedIcon(apps.last()).has_value());
    EXPECT_TRUE(provider.cachedIcon(apps[0]).has_value());
    EXPECT_FALSE(provider.cachedIcon(apps[1]).has_value());
    EXPECT_TRUE(provider.cachedIcon(apps[2]).has_value());

    const qsizetype reads = disk.paths().size();
    EXPECT_FALSE(provider.icon(apps[1]).has_value());
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));
    EXPECT_EQ(disk.paths().size(), reads + 1);
    ASSERT_TRUE(provider.cachedIcon(apps[1]).has_value());
    EXPECT_EQ(provider.cachedIcon(apps[1])->pixelColor(0, 0), QColor(1, 0, 0));
}

TEST(IconProviderTest, CachedIconStartsNoLoad)
{
    FakeLoader disk;
    IconProvider provider(disk.loader());
    EXPECT_FALSE(provider.cachedIcon(app("a", "/Apps/A.app")).has_value());
    EXPECT_EQ(provider.pendingCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(disk.paths().isEmpty());
}

TEST(IconProviderTest, ReleasedProviderDeliversNothing)
{
    FakeLoader disk;
    QSemaphore gate;
    disk.gate = &gate;
    const AppItem slow = app("com.example.slow", "/Apps/Slow.app");
    auto calls = std::make_shared<int>(0);
    {
        IconProvider provider(disk.loader());
        QObject::connect(&provider, &IconProvider::loaded, [calls](const QString &) { ++*calls; });
        provider.icon(slow);
        disk.started.acquire(); // the read is running
        gate.release();
        // The destructor waits for the running read; its delivery is dropped.
    }
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(*calls, 0);
}

class FolderPreviewTest : public ::testing::Test
{
protected:
    FolderPreviewTest()
        : provider(disk.loader())
    {
        for (int i = 0; i < 12; ++i) {
            const QString id = QStringLiteral("app.%1").arg(i);
            apps.insert(id, app(id, QStringLiteral("/Apps/P%1.app").arg(i)));
            disk.colors.insert(QStringLiteral("/Apps/P%1.app").arg(i), colorOf(i));
        }
        provider.onDemandApp = [this](const QString &id) -> std::optional<AppItem> {
            if (apps.contains(id))
                return apps.value(id);
            return std::nullopt;
        };
    }
    static QColor colorOf(int i) { return QColor(20 * i + 10, 255 - 20 * i, 100); }
    static QStringList ids(const QList<int> &indexes)
    {
        QStringList result;
        for (int i : indexes)
            result << (i < 0 ? QStringLiteral("unknown") : QStringLiteral("app.%1").arg(i));
        return result;
    }

    FakeLoader disk;
    QHash<QString, AppItem> apps;
    IconProvider provider;
};

TEST_F(FolderPreviewTest, FillsAThreeByThreeMosaicRowByRow)
{
    // side 300: pad 15, gap 12, cell 82; cell i at (15 + col * 94, 15 + row * 94).
    const QImage mosaic = provider.folderPreview(ids({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), 300);
    ASSERT_EQ(mosaic.size(), QSize(300, 300));
    for (int i = 0; i < 9; ++i) {
        const double x = 15 + (i % 3) * 94;
        const double y = 15 + (i / 3) * 94;
        SCOPED_TRACE(i);
        EXPECT_EQ(pixelColor(mosaic, x + 41, y + 41), colorOf(i));
        EXPECT_EQ(pixelColor(mosaic, x + 1, y + 1), colorOf(i));
        EXPECT_EQ(pixelColor(mosaic, x + 81, y + 81), colorOf(i));
        // The gap and the padding stay clear.
        EXPECT_EQ(pixelColor(mosaic, x - 2, y + 41).alpha(), 0);
    }
    EXPECT_EQ(pixelColor(mosaic, 299, 299).alpha(), 0);
    // The tenth and later applications are not even looked at.
    EXPECT_FALSE(disk.paths().contains("/Apps/P9.app"));
}

TEST_F(FolderPreviewTest, UnknownIdentifierLeavesItsCellEmpty)
{
    const QImage mosaic = provider.folderPreview(ids({0, -1, 2}), 300);
    EXPECT_EQ(pixelColor(mosaic, 15 + 41, 15 + 41), colorOf(0));
    EXPECT_EQ(pixelColor(mosaic, 109 + 41, 15 + 41).alpha(), 0);
    EXPECT_EQ(pixelColor(mosaic, 203 + 41, 15 + 41), colorOf(2));
}

TEST_F(FolderPreviewTest, EmptyFolderGivesATransparentSquareAtTheScale)
{
    const QImage mosaic = provider.folderPreview({}, 40, 2);
    ASSERT_EQ(mosaic.size(), QSize(80, 80));
    EXPECT_DOUBLE_EQ(mosaic.devicePixelRatio(), 2.0);
    for (int y = 0; y < 80; y += 7)
        for (int x = 0; x < 80; x += 7)
            EXPECT_EQ(mosaic.pixelColor(x, y).alpha(), 0);
    EXPECT_TRUE(provider.folderPreview({}, 0).isNull());
}

// Folder tiles are redrawn on every icon arrival at start-up; each redraw
// used to read the same missing icons from disk again on the main thread.
TEST_F(FolderPreviewTest, IconsReadForAPreviewAreReadOnce)
{
    const QStringList members = ids({0, 1, 2, 3});
    const QImage first = provider.folderPreview(members, 60);
    EXPECT_EQ(disk.paths().size(), 4);
    const QImage again = provider.folderPreview(members, 60);
    EXPECT_EQ(again, first);
    EXPECT_EQ(disk.paths().size(), 4);

    // The tile asks next: a cache hit, no second read, no load queued.
    const std::optional<QImage> tileIcon = provider.icon(apps.value("app.2"));
    ASSERT_TRUE(tileIcon.has_value());
    EXPECT_EQ(tileIcon->pixelColor(0, 0), colorOf(2));
    EXPECT_EQ(provider.pendingCount(), 0);
}

TEST_F(FolderPreviewTest, PreviewDuringAPendingLoadKeepsOneEntryAndStillTellsTheTile)
{
    QSemaphore gate;
    disk.gate = &gate;
    QStringList delivered;
    QObject::connect(&provider, &IconProvider::loaded, [&](const QString &id) { delivered << id; });
    provider.icon(apps.value("app.5"));
    disk.started.acquire();
    disk.gate = nullptr; // the preview's own read goes through
    const QImage mosaic = provider.folderPreview(ids({5}), 30);
    EXPECT_EQ(provider.pendingCount(), 1);
    gate.release();
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));
    EXPECT_EQ(delivered, QStringList{"app.5"});
    ASSERT_TRUE(provider.cachedIcon(apps.value("app.5")).has_value());
}

// Real bundles: Info.plist names the icon, Resources holds it.
class BundleIconTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
};

TEST_F(BundleIconTest, ReadsTheIcnsEntryClosestAboveTheIconSide)
{
    const QByteArray file = icns({{"ic07", encoded(solid(128, 128, Qt::red))},
                                  {"ic09", encoded(solid(512, 512, Qt::green))},
                                  {"ic08", encoded(solid(256, 256, Qt::blue))}});
    const QString bundle = makeBundle(dir.path(), "Icns", QString("AppIcon"), {{"AppIcon.icns", file}});
    const QImage icon = IconProvider::loadBundleIcon(bundle);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(256, 256));
    EXPECT_EQ(icon.pixelColor(128, 128), QColor(Qt::blue));
}

TEST_F(BundleIconTest, ReadsAPngAndScalesItDown)
{
    const QString bundle =
        makeBundle(dir.path(), "Png", QString("Icon.png"), {{"Icon.png", encoded(solid(1024, 1024, Qt::magenta))}});
    const QImage icon = IconProvider::loadBundleIcon(bundle);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(IconProvider::iconPixelSide, IconProvider::iconPixelSide));
    EXPECT_EQ(icon.pixelColor(100, 100), QColor(Qt::magenta));
}

TEST_F(BundleIconTest, NameWithoutExtensionFindsAPngWhenThereIsNoIcns)
{
    const QString bundle =
        makeBundle(dir.path(), "Bare", QString("Logo"), {{"Logo.png", encoded(solid(64, 64, Qt::cyan))}});
    const QImage icon = IconProvider::loadBundleIcon(bundle);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(64, 64));
}

TEST_F(BundleIconTest, ProviderDeliversTheBundlesOwnIcon)
{
    const QString bundle = makeBundle(dir.path(), "Real", QString("AppIcon"),
                                      {{"AppIcon.icns", icns({{"ic08", encoded(solid(256, 256, Qt::yellow))}})}});
    IconProvider provider;
    const AppItem real("test.Real", "Real", bundle);
    QStringList delivered;
    QObject::connect(&provider, &IconProvider::loaded, [&](const QString &id) { delivered << id; });
    EXPECT_FALSE(provider.icon(real).has_value());
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));
    EXPECT_EQ(delivered, QStringList{"test.Real"});
    ASSERT_TRUE(provider.cachedIcon(real).has_value());
    EXPECT_EQ(provider.cachedIcon(real)->pixelColor(128, 128), QColor(Qt::yellow));
}

struct MissingIconCase
{
    const char *name;
    std::optional<QString> iconFile;
    QList<std::pair<QString, QByteArray>> resources;
    bool writePlist;
    const char *logged; // expected log fragment, or empty
};

class MissingBundleIconTest : public ::testing::TestWithParam<MissingIconCase>
{
};

TEST_P(MissingBundleIconTest, GivesNoImage)
{
    const MissingIconCase &c = GetParam();
    QTemporaryDir dir;
    const QString bundle = makeBundle(dir.path(), "Case", c.iconFile, c.resources);
    if (!c.writePlist)
        QFile::remove(bundle + "/Contents/Info.plist");
    LogCapture log;
    EXPECT_TRUE(IconProvider::loadBundleIcon(bundle).isNull());
    if (*c.logged) {
        EXPECT_TRUE(log.contains(c.logged)) << log.lines().join('\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingBundleIconTest,
    ::testing::Values(
        MissingIconCase{"NoInfoPlist", QString("AppIcon"), {{"AppIcon.icns", QByteArray("x")}}, false, ""},
        MissingIconCase{"NoIconKey", std::nullopt, {{"AppIcon.icns", QByteArray("x")}}, true, ""},
        MissingIconCase{"MissingFile", QString("AppIcon"), {}, true, ""},
        MissingIconCase{"CorruptIcns", QString("AppIcon"), {{"AppIcon.icns", QByteArray("icns\0\0\0\x20garbage", 15)}},
                        true, "[icons] unreadable icon"},
        MissingIconCase{"CorruptPng", QString("Icon.png"), {{"Icon.png", QByteArray("\x89PNG broken")}}, true,
                        "[icons] unreadable icon"},
        MissingIconCase{"NameLeavesTheBundle", QString("../../../Other.app/Contents/Resources/AppIcon.icns"), {}, true,
                        "[icons] bad icon name"}),
    [](const ::testing::TestParamInfo<MissingIconCase> &info) { return std::string(info.param.name); });

} // namespace
