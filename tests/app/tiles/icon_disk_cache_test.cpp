#include "tiles/icon_disk_cache.h"
#include "tiles/icon_provider.h"

#include "icons_test_support.h"
#include "support/temp_env.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

using namespace icons_test;

namespace {

// A real bundle with a 512 px PNG icon, a disk cache in its own directory,
// and providers that count the reads that reach the bundle.
class IconDiskCacheTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        bundle = makeBundle(dir.path(), "Paint", QString("AppIcon.png"),
                            {{"AppIcon.png", encoded(solid(512, 512, Qt::red))}});
        cache = std::make_shared<IconDiskCache>(dir.filePath("cache/Tessellon/icons"));
    }

    std::unique_ptr<IconProvider> provider(std::shared_ptr<IconDiskCache> disk = {})
    {
        IconProvider::Loader counting = [this](const QString &path) {
            ++bundleReads;
            return IconProvider::loadBundleIcon(path);
        };
        auto result = std::make_unique<IconProvider>(counting, disk ? disk : cache);
        result->setPixelSide(64);
        return result;
    }

    // One provider's load of the bundle's icon, waited for.
    std::optional<QImage> load(IconProvider &icons)
    {
        const AppItem paint("test.Paint", "Paint", bundle);
        icons.icon(paint);
        if (!pumpUntil([&] { return icons.pendingCount() == 0; }))
            return std::nullopt;
        return icons.cachedIcon(paint);
    }

    QString iconFile() const { return bundle + "/Contents/Resources/AppIcon.png"; }

    void rewrite(const QString &path, const QByteArray &bytes, qint64 secondsLater)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(secondsLater),
                                     QFileDevice::FileModificationTime));
    }

    QTemporaryDir dir;
    QString bundle;
    std::shared_ptr<IconDiskCache> cache;
    std::atomic<int> bundleReads{0};
};

TEST_F(IconDiskCacheTest, SecondStartReadsTheIconAtItsDrawnSizeFromTheCache)
{
    const std::optional<QImage> first = load(*provider());
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(bundleReads.load(), 1);
    // One small file, named by the bundle path and the side.
    const QString entry = cache->fileFor(bundle, 64);
    EXPECT_TRUE(entry.startsWith(dir.filePath("cache/Tessellon/icons/")));
    ASSERT_TRUE(QFile::exists(entry));
    EXPECT_LT(QFileInfo(entry).size(), 8 * 1024);
    EXPECT_NE(cache->fileFor(bundle, 128), entry);
    EXPECT_NE(cache->fileFor(bundle + "x", 64), entry);

    const std::optional<QImage> second = load(*provider());
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(bundleReads.load(), 1);
    EXPECT_EQ(second->size(), QSize(64, 64));
    EXPECT_EQ(second->format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(*second, *first);
}

TEST_F(IconDiskCacheTest, AnotherSideIsAnotherEntry)
{
    ASSERT_TRUE(load(*provider()).has_value());
    auto larger = provider();
    larger->setPixelSide(96);
    const std::optional<QImage> icon = load(*larger);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->size(), QSize(96, 96));
    EXPECT_EQ(bundleReads.load(), 2);
}

struct ChangeCase
{
    const char *name;
    // Changes the bundle after its icon was cached.
    std::function<void(IconDiskCacheTest &)> change;
    QColor expected;
};

class IconDiskCacheChangeTest : public IconDiskCacheTest, public ::testing::WithParamInterface<ChangeCase>
{
};

// A changed bundle is read again, and its new icon replaces the entry.
TEST_P(IconDiskCacheChangeTest, ReadsTheBundleAgain)
{
    ASSERT_TRUE(load(*provider()).has_value());
    GetParam().change(*this);
    const std::optional<QImage> icon = load(*provider());
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(bundleReads.load(), 2);
    EXPECT_EQ(icon->pixelColor(32, 32), GetParam().expected);
    // The new entry serves the next start.
    ASSERT_TRUE(load(*provider()).has_value());
    EXPECT_EQ(bundleReads.load(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, IconDiskCacheChangeTest,
    ::testing::Values(
        // Same size, another time.
        ChangeCase{"IconModified",
                   [](IconDiskCacheTest &t) {
                       t.rewrite(t.iconFile(), encoded(solid(512, 512, Qt::blue)), 60);
                   },
                   QColor(Qt::blue)},
        // Another size, the same time as before (a copy keeping times).
        ChangeCase{"IconResized",
                   [](IconDiskCacheTest &t) {
                       const QDateTime before = QFileInfo(t.iconFile()).lastModified();
                       t.rewrite(t.iconFile(), encoded(solid(300, 300, Qt::green)), 0);
                       QFile file(t.iconFile());
                       ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                       ASSERT_TRUE(file.setFileTime(before, QFileDevice::FileModificationTime));
                   },
                   QColor(Qt::green)},
        // Info.plist names another icon file.
        ChangeCase{"OtherIconNamed",
                   [](IconDiskCacheTest &t) {
                       const QString dir = QFileInfo(t.bundle).path();
                       QFile::remove(t.bundle + "/Contents/Info.plist");
                       makeBundle(dir, "Paint", QString("Other.png"),
                                  {{"Other.png", encoded(solid(512, 512, Qt::yellow))}});
                       QFile plist(t.bundle + "/Contents/Info.plist");
                       ASSERT_TRUE(plist.open(QIODevice::ReadWrite));
                       ASSERT_TRUE(plist.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                                     QFileDevice::FileModificationTime));
                   },
                   QColor(Qt::yellow)}),
    [](const ::testing::TestParamInfo<ChangeCase> &info) { return std::string(info.param.name); });

TEST_F(IconDiskCacheTest, CorruptEntryIsNamedOnceAndReplaced)
{
    ASSERT_TRUE(load(*provider()).has_value());
    const QString entry = cache->fileFor(bundle, 64);
    for (const QByteArray &garbage : {QByteArray("not an icon at all"), QByteArray()}) {
        {
            QFile file(entry);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(garbage);
        }
        LogCapture log;
        const int readsBefore = bundleReads.load();
        const std::optional<QImage> icon = load(*provider());
        ASSERT_TRUE(icon.has_value());
        EXPECT_EQ(icon->pixelColor(32, 32), QColor(Qt::red));
        EXPECT_EQ(bundleReads.load(), readsBefore + 1);
        EXPECT_EQ(log.lines().size(), 1) << log.lines().join('\n').toStdString();
        EXPECT_TRUE(log.contains("[icons] unreadable icon cache file=" + entry)) << log.lines().join('\n').toStdString();
        // Rewritten: the next start reads it without a word.
        LogCapture quiet;
        ASSERT_TRUE(load(*provider()).has_value());
        EXPECT_EQ(bundleReads.load(), readsBefore + 1);
        EXPECT_TRUE(quiet.lines().isEmpty());
    }
}

TEST_F(IconDiskCacheTest, TruncatedEntryIsNamedAndReplaced)
{
    ASSERT_TRUE(load(*provider()).has_value());
    const QString entry = cache->fileFor(bundle, 64);
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() / 2));
    file.close();
    LogCapture log;
    const std::optional<QImage> icon = load(*provider());
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->pixelColor(32, 32), QColor(Qt::red));
    EXPECT_TRUE(log.contains("[icons] unreadable icon cache file=" + entry)) << log.lines().join('\n').toStdString();
}

// The cache's directory cannot be made (a file is in its way): one line
// naming it, and every icon still arrives from its bundle.
TEST_F(IconDiskCacheTest, UnwritableCacheIsNamedOnceAndIconsStillArrive)
{
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto blocked = std::make_shared<IconDiskCache>(dir.filePath("blocked/Tessellon/icons"));
    const QString second = makeBundle(dir.path(), "Draw", QString("AppIcon.png"),
                                      {{"AppIcon.png", encoded(solid(512, 512, Qt::blue))}});
    LogCapture log;
    auto icons = provider(blocked);
    const AppItem paint("test.Paint", "Paint", bundle);
    const AppItem draw("test.Draw", "Draw", second);
    icons->icon(paint);
    icons->icon(draw);
    ASSERT_TRUE(pumpUntil([&] { return icons->pendingCount() == 0; }));
    ASSERT_TRUE(icons->cachedIcon(paint).has_value());
    ASSERT_TRUE(icons->cachedIcon(draw).has_value());
    EXPECT_EQ(icons->cachedIcon(draw)->pixelColor(32, 32), QColor(Qt::blue));
    ASSERT_EQ(log.lines().size(), 1) << log.lines().join('\n').toStdString();
    EXPECT_TRUE(log.lines().first().startsWith("[icons] cannot write icon cache file=" + blocked->directory()))
        << log.lines().first().toStdString();
}

TEST(IconDiskCacheDirectoryTest, LivesInTheXdgCacheDirectory)
{
    QTemporaryDir dir;
    const QByteArray before = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", dir.path().toLocal8Bit());
    EXPECT_EQ(IconDiskCache::defaultDirectory(), dir.path() + "/Tessellon/icons");
    qputenv("XDG_CACHE_HOME", before);
}

// --- Eviction

TEST(IconProviderRetainTest, DropsEveryDecodedIconNotKept)
{
    IconProvider provider([](const QString &) { return solid(8, 8, Qt::red); });
    QList<AppItem> apps;
    for (int i = 0; i < 6; ++i) {
        apps << AppItem(QStringLiteral("id.%1").arg(i), "A", QStringLiteral("/Apps/A%1.app").arg(i));
        provider.icon(apps.last());
    }
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));
    provider.retainOnly({apps[1].path, apps[4].path, "/Apps/Unknown.app"});
    QStringList cached = provider.cachedPaths();
    cached.sort();
    EXPECT_EQ(cached, (QStringList{apps[1].path, apps[4].path}));
    EXPECT_FALSE(provider.cachedIcon(apps[0]).has_value());
    // A dropped icon loads again when asked for.
    EXPECT_FALSE(provider.icon(apps[0]).has_value());
    ASSERT_TRUE(pumpUntil([&] { return provider.pendingCount() == 0; }));
    EXPECT_TRUE(provider.cachedIcon(apps[0]).has_value());
}

} // namespace
