#include "tiles/wallpaper_backdrop.h"

#include "desktop_picture.h"
#include "icons_test_support.h"
#include "support/temp_env.h"
#include "tiles/gaussian_blur.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace icons_test;

namespace {

// Answers with `url`, and keeps the thread of every look-up.
class FakeDesktopPicture : public DesktopPicture
{
public:
    std::optional<QUrl> url;
    std::optional<QUrl> desktopImageURL() const override
    {
        const std::lock_guard lock(m_mutex);
        m_callers.append(QThread::currentThread());
        return url;
    }
    QList<QThread *> callers() const
    {
        const std::lock_guard lock(m_mutex);
        return m_callers;
    }

private:
    mutable std::mutex m_mutex;
    mutable QList<QThread *> m_callers;
};

// Holds the backdrop's jobs (look-ups, and the renders they start) until the
// test runs them, in whatever order it likes. A held look-up finds the
// picture the desktop had when it was queued, as one run at once would.
struct HeldJobs
{
    explicit HeldJobs(std::shared_ptr<FakeDesktopPicture> picture) : picture(std::move(picture)) {}

    std::shared_ptr<FakeDesktopPicture> picture;
    QList<std::function<void()>> jobs;
    QList<bool> ran;

    WallpaperBackdrop::Executor executor()
    {
        return [this](std::function<void()> job) {
            jobs.append([picture = picture, url = picture->url, job = std::move(job)] {
                picture->url = url;
                job();
            });
            ran.append(false);
        };
    }
    // Runs job `index`, then the main thread's events (what it posted).
    void run(qsizetype index)
    {
        ASSERT_LT(index, jobs.size());
        ASSERT_FALSE(ran[index]);
        ran[index] = true;
        jobs[index]();
        QCoreApplication::processEvents();
    }
    // Every job not run yet, oldest first, including those they start.
    void runAll()
    {
        for (qsizetype i = 0; i < jobs.size(); ++i) {
            if (!ran[i])
                run(i);
        }
    }
};

class WallpaperBackdropTest : public ::testing::Test
{
protected:
    WallpaperBackdropTest()
        : picture(std::make_shared<FakeDesktopPicture>()), held(picture), backdrop(new WallpaperBackdrop(picture))
    {
        backdrop->resize(100, 100);
        backdrop->setExecutor(held.executor());
        // Each file's content is a colour name; the render paints it flat.
        backdrop->setRenderer([this](const QUrl &url) -> std::optional<QImage> {
            ++renders;
            QFile file(url.toLocalFile());
            if (!file.open(QIODevice::ReadOnly))
                return std::nullopt;
            const QColor color = QColor::fromString(QString::fromUtf8(file.readAll()).trimmed());
            if (!color.isValid())
                return std::nullopt;
            return solid(40, 20, color);
        });
        backdrop->onReady = [this] { ++readyCalls; };
    }
    ~WallpaperBackdropTest() override { delete backdrop; }

    QUrl pictureFile(const QString &name, const QByteArray &content)
    {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return QUrl::fromLocalFile(dir.filePath(name));
    }
    void refreshWith(const std::optional<QUrl> &url)
    {
        picture->url = url;
        backdrop->refresh();
    }
    void runJob(qsizetype index) { held.run(index); }
    void runAll() { held.runAll(); }
    QColor shownColor() const
    {
        const std::optional<QImage> image = backdrop->blurredImage();
        return image ? image->pixelColor(0, 0) : QColor();
    }
    QImage drawn() const
    {
        QImage image(backdrop->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        backdrop->render(&image);
        return image;
    }

    QTemporaryDir dir;
    std::shared_ptr<FakeDesktopPicture> picture;
    HeldJobs held;
    WallpaperBackdrop *backdrop;
    int renders = 0;
    int readyCalls = 0;
};

TEST_F(WallpaperBackdropTest, StartsNotReadyWithNothing)
{
    EXPECT_FALSE(backdrop->isReady());
    EXPECT_FALSE(backdrop->blurredImage().has_value());
    EXPECT_FALSE(backdrop->wallpaperURL().has_value());
}

TEST_F(WallpaperBackdropTest, OlderRenderFinishingLastIsDropped)
{
    const QUrl red = pictureFile("red", "red");
    const QUrl blue = pictureFile("blue", "blue");
    refreshWith(red);
    refreshWith(blue);
    // The look-ups, in order: each starts a render.
    runJob(0);
    runJob(1);
    ASSERT_EQ(held.jobs.size(), 4);
    EXPECT_FALSE(backdrop->isReady());
    EXPECT_EQ(backdrop->wallpaperURL(), blue);

    runJob(3);
    EXPECT_TRUE(backdrop->isReady());
    EXPECT_EQ(shownColor(), QColor(Qt::blue));
    EXPECT_EQ(readyCalls, 1);

    runJob(2);
    EXPECT_EQ(shownColor(), QColor(Qt::blue));
    EXPECT_EQ(readyCalls, 1);
}

TEST_F(WallpaperBackdropTest, OlderRenderFinishingFirstIsDropped)
{
    refreshWith(pictureFile("red", "red"));
    refreshWith(pictureFile("blue", "blue"));
    runJob(0);
    runJob(1);
    runJob(2);
    EXPECT_FALSE(backdrop->isReady());
    EXPECT_FALSE(backdrop->blurredImage().has_value());
    EXPECT_EQ(readyCalls, 0);
    runJob(3);
    EXPECT_EQ(shownColor(), QColor(Qt::blue));
    EXPECT_EQ(readyCalls, 1);
}

TEST_F(WallpaperBackdropTest, SamePictureIsRenderedOnce)
{
    // A layout at a new size refreshes again: the picture pending or shown is
    // not rendered a second time, a changed one is.
    const QUrl red = pictureFile("red", "red");
    refreshWith(red);
    refreshWith(red);
    runAll();
    ASSERT_EQ(renders, 1);
    refreshWith(red);
    runAll();
    EXPECT_EQ(renders, 1);
    EXPECT_TRUE(backdrop->isReady());
    EXPECT_EQ(shownColor(), QColor(Qt::red));
    EXPECT_EQ(readyCalls, 1);
    refreshWith(pictureFile("blue", "blue"));
    runAll();
    EXPECT_EQ(renders, 2);
}

TEST_F(WallpaperBackdropTest, NoPictureMakesItReadyAndKeepsThePicture)
{
    refreshWith(pictureFile("green", "#00ff00"));
    runAll();
    ASSERT_EQ(shownColor(), QColor(Qt::green));

    for (const std::optional<QUrl> &none : {std::optional<QUrl>(), std::optional<QUrl>(QUrl::fromLocalFile(dir.filePath("gone.jpg")))}) {
        refreshWith(none);
        // Not ready while the look-up is out: it may find a new picture.
        EXPECT_FALSE(backdrop->isReady());
        runAll();
        EXPECT_TRUE(backdrop->isReady());
        EXPECT_EQ(shownColor(), QColor(Qt::green));
    }
    EXPECT_EQ(readyCalls, 3);
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(drawn().pixelColor(50, 50), QColor(Qt::green));
}

TEST_F(WallpaperBackdropTest, RenderStillRunningPublishesAfterAPicturelessRefresh)
{
    refreshWith(pictureFile("red", "red"));
    refreshWith(std::nullopt);
    runJob(0);
    runJob(1);
    EXPECT_TRUE(backdrop->isReady());
    EXPECT_EQ(readyCalls, 1);
    runJob(2);
    EXPECT_EQ(shownColor(), QColor(Qt::red));
    EXPECT_EQ(readyCalls, 2);
}

TEST_F(WallpaperBackdropTest, UnreadablePictureClearsToGrey)
{
    refreshWith(pictureFile("red", "red"));
    runAll();
    refreshWith(pictureFile("junk", "not a colour"));
    runAll();
    EXPECT_TRUE(backdrop->isReady());
    EXPECT_FALSE(backdrop->blurredImage().has_value());
    EXPECT_EQ(readyCalls, 2);
    EXPECT_EQ(drawn().pixelColor(10, 90), QColor(51, 51, 51));
    // The same unreadable picture is read again, as a changed file may now be readable.
    refreshWith(pictureFile("junk", "red"));
    runAll();
    EXPECT_EQ(renders, 3);
    EXPECT_EQ(shownColor(), QColor(Qt::red));
}

TEST_F(WallpaperBackdropTest, ViewGoneBeforeTheRenderEndsIsLeftAlone)
{
    // One look-up answered before the view goes, one after.
    refreshWith(pictureFile("red", "red"));
    refreshWith(pictureFile("blue", "blue"));
    runJob(0);
    delete backdrop;
    backdrop = nullptr;
    runAll();
    EXPECT_EQ(readyCalls, 0);
}

// The desktop picture is looked up in the backdrop's jobs, never in refresh()
// on the main thread: reading the desktop's settings loads GIO before the
// first frame. Each case makes its refreshes, checks that none of them looked
// anything up, runs the look-ups in the order given and then the renders they
// started.
struct LookupCase
{
    const char *name;
    // Per refresh, the desktop's picture: a file holding a colour name,
    // "missing" for a file that is not there, "" for none.
    QList<const char *> pictures;
    QList<int> lookupOrder;
    bool newestRenderFirst;
    int renders;
    // Invalid for the plain grey.
    QColor shown;
    int readyCalls;
};

void PrintTo(const LookupCase &c, std::ostream *os)
{
    *os << c.name;
}

class WallpaperLookupTest : public WallpaperBackdropTest, public ::testing::WithParamInterface<LookupCase>
{
};

TEST_P(WallpaperLookupTest, LooksUpInTheJobsAndShowsWhatTheNewestRefreshFound)
{
    const LookupCase &c = GetParam();
    for (const char *name : c.pictures) {
        const QString file = QString::fromLatin1(name);
        if (file.isEmpty())
            refreshWith(std::nullopt);
        else if (file == QLatin1String("missing"))
            refreshWith(QUrl::fromLocalFile(dir.filePath(file)));
        else
            refreshWith(pictureFile(file, name));
    }
    EXPECT_TRUE(picture->callers().isEmpty()) << "looked up by refresh() itself";
    EXPECT_FALSE(backdrop->isReady());
    ASSERT_EQ(held.jobs.size(), c.pictures.size());

    for (const int lookup : c.lookupOrder)
        runJob(lookup);
    EXPECT_EQ(picture->callers().size(), c.pictures.size());
    QList<qsizetype> started;
    for (qsizetype job = c.pictures.size(); job < held.jobs.size(); ++job)
        started.append(job);
    if (c.newestRenderFirst)
        std::reverse(started.begin(), started.end());
    for (const qsizetype job : started)
        runJob(job);

    EXPECT_EQ(renders, c.renders);
    EXPECT_TRUE(backdrop->isReady());
    EXPECT_EQ(readyCalls, c.readyCalls);
    EXPECT_EQ(drawn().pixelColor(50, 50), c.shown.isValid() ? c.shown : QColor(51, 51, 51));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WallpaperLookupTest,
    ::testing::Values(
        LookupCase{"OnePicture", {"red"}, {0}, false, 1, QColor(Qt::red), 1},
        LookupCase{"SamePictureTwice", {"red", "red"}, {0, 1}, false, 1, QColor(Qt::red), 1},
        LookupCase{"SamePictureNewerLookupFirst", {"red", "red"}, {1, 0}, false, 1, QColor(Qt::red), 1},
        LookupCase{"NewerLookupAnsweringFirstWins", {"red", "blue"}, {1, 0}, false, 1, QColor(Qt::blue), 1},
        LookupCase{"NewerRenderFinishingFirstWins", {"red", "blue"}, {0, 1}, true, 2, QColor(Qt::blue), 1},
        LookupCase{"MissingFile", {"missing"}, {0}, false, 0, QColor(), 1},
        LookupCase{"NoPicture", {""}, {0}, false, 0, QColor(), 1},
        LookupCase{"NewerMissingFileAnsweringFirst", {"red", "missing"}, {1, 0}, false, 0, QColor(), 1},
        LookupCase{"PicturelessAfterAPictureStillShowsIt", {"red", ""}, {0, 1}, false, 1, QColor(Qt::red), 2}),
    [](const ::testing::TestParamInfo<LookupCase> &info) { return std::string(info.param.name); });

TEST_F(WallpaperBackdropTest, DrawsThePictureAspectFilledAndCentred)
{
    // Left half red, right half blue, 200 x 100, into 100 x 100: scale 1,
    // x from -50 to 150, so the view shows the middle half.
    backdrop->setRenderer([](const QUrl &) -> std::optional<QImage> {
        QImage image = solid(200, 100, Qt::red);
        QPainter(&image).fillRect(100, 0, 100, 100, Qt::blue);
        return image;
    });
    refreshWith(pictureFile("any", "any"));
    runAll();
    const QImage image = drawn();
    EXPECT_EQ(image.pixelColor(10, 50), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(45, 5), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(55, 95), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(90, 50), QColor(Qt::blue));
}

// The tints lie over whatever the backdrop shows, bottom first, and a change
// of them shows at the next paint (the composed picture is made again).
TEST_F(WallpaperBackdropTest, TintsLieOverThePictureAndOverTheGrey)
{
    const QList<QColor> tints{QColor(255, 255, 255, 51), QColor(0, 0, 0, 128)};
    // Grey 51 under 20% white: 92; then half black: 46.
    backdrop->setTints(tints);
    EXPECT_NEAR(drawn().pixelColor(50, 50).red(), 46, 1);
    EXPECT_EQ(drawn().pixelColor(50, 50).alpha(), 255);

    refreshWith(pictureFile("red", "red"));
    runAll();
    // Red 255 under 20% white stays 255, then half black: 127; green 0 -> 51 -> 25.
    QColor tinted = drawn().pixelColor(50, 50);
    EXPECT_NEAR(tinted.red(), 127, 1);
    EXPECT_NEAR(tinted.green(), 25, 1);

    backdrop->setTints({});
    EXPECT_EQ(drawn().pixelColor(50, 50), QColor(Qt::red));
}

// A repaint of part of the backdrop (what lies under the wobbling tiles)
// paints exactly that part, with the pixels a whole paint gives there, and
// leaves everything else as it was; with and without a picture, on one and on
// two device pixels a point.
struct PartialPaintCase
{
    const char *name;
    bool picture;
    double scale;
};

class WallpaperPartialPaintTest : public WallpaperBackdropTest, public ::testing::WithParamInterface<PartialPaintCase>
{
protected:
    // The backdrop's region `region` (all of it when empty) painted into an
    // image over `under`, the backdrop's origin at `at` in the image.
    QImage paint(const QRegion &region, QPoint at, QColor under) const
    {
        const double scale = GetParam().scale;
        QImage image((backdrop->size() + QSize(at.x(), at.y())) * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(under);
        // render() puts the top-left of the region's bounds at the offset.
        const QPoint bounds = region.isEmpty() ? QPoint() : region.boundingRect().topLeft();
        backdrop->render(&image, at + bounds, region);
        return image;
    }
};

TEST_P(WallpaperPartialPaintTest, PaintsOnlyTheAskedPartWithTheWholePaintsPixels)
{
    backdrop->setTints({QColor(255, 255, 255, 40)});
    if (GetParam().picture) {
        // A picture that differs everywhere: any shift or scaling shows.
        backdrop->setRenderer([](const QUrl &) -> std::optional<QImage> {
            QImage image(160, 120, QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y, qRgb(x * 255 / 159, y * 255 / 119, (x * 7 + y * 13) % 256));
            return image;
        });
        refreshWith(pictureFile("any", "any"));
        runAll();
        ASSERT_TRUE(backdrop->blurredImage().has_value());
    }
    // Tiles' rectangles: apart, overlapping, touching the edge; painted
    // with the backdrop away from the image's origin, as a window's
    // widgets are.
    const QRegion part = QRegion(10, 12, 30, 20) + QRegion(30, 25, 25, 30) + QRegion(70, 60, 30, 40);
    const QPoint at(7, 5);
    const QImage whole = paint(QRegion(), QPoint(), Qt::magenta);
    const QImage partial = paint(part, at, Qt::magenta);
    const double scale = GetParam().scale;
    const QPoint shift = at * scale;
    int inside = 0;
    for (int y = 0; y < partial.height(); ++y) {
        for (int x = 0; x < partial.width(); ++x) {
            const QPoint point = QPoint(int(x / scale), int(y / scale)) - at;
            SCOPED_TRACE(testing::Message() << "device pixel " << x << "," << y);
            if (part.contains(point)) {
                ++inside;
                ASSERT_EQ(partial.pixel(x, y), whole.pixel(QPoint(x, y) - shift));
            } else {
                ASSERT_EQ(partial.pixelColor(x, y), QColor(Qt::magenta));
            }
        }
    }
    EXPECT_GT(inside, 0);
    EXPECT_EQ(whole.pixelColor(whole.width() - 1, whole.height() - 1).alpha(), 255);
}

INSTANTIATE_TEST_SUITE_P(Cases, WallpaperPartialPaintTest,
                         ::testing::Values(PartialPaintCase{"Picture", true, 1.0},
                                           PartialPaintCase{"PictureAtScale2", true, 2.0},
                                           PartialPaintCase{"Grey", false, 1.0},
                                           PartialPaintCase{"GreyAtScale2", false, 2.0}),
                         [](const ::testing::TestParamInfo<PartialPaintCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(WallpaperRenderTest, LooksUpAndBlursOffTheMainThreadAndPublishesOnIt)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("desk.png");
    ASSERT_TRUE(solid(300, 200, QColor(200, 100, 50)).save(file));
    auto picture = std::make_shared<FakeDesktopPicture>();
    picture->url = QUrl::fromLocalFile(file);
    WallpaperBackdrop backdrop(picture);
    std::atomic<QThread *> renderThread{nullptr};
    backdrop.setRenderer([&](const QUrl &url) {
        renderThread = QThread::currentThread();
        return WallpaperBackdrop::renderWallpaper(url);
    });
    QThread *readyThread = nullptr;
    backdrop.onReady = [&] { readyThread = QThread::currentThread(); };
    backdrop.refresh();
    ASSERT_TRUE(pumpUntil([&] { return backdrop.isReady(); }));
    ASSERT_EQ(picture->callers().size(), 1);
    EXPECT_NE(picture->callers().first(), qApp->thread());
    EXPECT_NE(renderThread.load(), qApp->thread());
    EXPECT_EQ(readyThread, qApp->thread());
    ASSERT_TRUE(backdrop.blurredImage().has_value());
    EXPECT_EQ(backdrop.blurredImage()->size(), QSize(300, 200));
    // Far from the edges a flat picture stays flat.
    EXPECT_EQ(backdrop.blurredImage()->pixelColor(150, 100), QColor(200, 100, 50));
}

struct ScaleCase
{
    const char *name;
    QSize picture;
    QSize rendered;
};

class WallpaperScaleTest : public ::testing::TestWithParam<ScaleCase>
{
};

TEST_P(WallpaperScaleTest, NeverWiderThan1600AndNeverEnlarged)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("desk.jpg");
    ASSERT_TRUE(solid(GetParam().picture.width(), GetParam().picture.height(), Qt::gray).save(file));
    const std::optional<QImage> image = WallpaperBackdrop::renderWallpaper(QUrl::fromLocalFile(file));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->size(), GetParam().rendered);
}

INSTANTIATE_TEST_SUITE_P(Cases, WallpaperScaleTest,
                         ::testing::Values(ScaleCase{"Narrow", {1000, 500}, {1000, 500}},
                                           ScaleCase{"Exactly1600", {1600, 900}, {1600, 900}},
                                           ScaleCase{"Double", {3200, 1800}, {1600, 900}},
                                           ScaleCase{"Odd", {2000, 1001}, {1600, 801}}),
                         [](const ::testing::TestParamInfo<ScaleCase> &info) { return std::string(info.param.name); });

TEST(WallpaperRenderTest, UnreadableFileRendersNothing)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("broken.jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xff\xd8 not really");
    file.close();
    LogCapture log;
    EXPECT_FALSE(WallpaperBackdrop::renderWallpaper(QUrl::fromLocalFile(file.fileName())).has_value());
    EXPECT_TRUE(log.contains("[wallpaper] unreadable"));
}

TEST(GaussianBlurTest, SinglePixelSpreadsSymmetricallyAndKeepsItsBrightness)
{
    QImage image(41, 41, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setPixelColor(20, 20, Qt::white);
    const QImage blurred = GaussianBlur::apply(image, 2.0);
    ASSERT_EQ(blurred.size(), image.size());

    double total = 0;
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 41; ++x)
            total += qAlpha(blurred.pixel(x, y));
    EXPECT_NEAR(total, 255.0, 255.0 * 0.08);

    const auto alphaAt = [&](int x, int y) { return qAlpha(blurred.pixel(x, y)); };
    for (int d = 1; d <= 8; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(alphaAt(20 + d, 20), alphaAt(20 - d, 20));
        EXPECT_EQ(alphaAt(20, 20 + d), alphaAt(20, 20 - d));
        EXPECT_EQ(alphaAt(20 + d, 20), alphaAt(20, 20 + d));
        EXPECT_EQ(alphaAt(20 + d, 20 + d), alphaAt(20 - d, 20 - d));
        EXPECT_LE(alphaAt(20 + d, 20), alphaAt(20 + d - 1, 20));
    }
    EXPECT_GT(alphaAt(20, 20), alphaAt(23, 20));
    EXPECT_GT(alphaAt(22, 20), 0);
    EXPECT_EQ(alphaAt(0, 0), 0);
    // White stays white where it lands: colour equals alpha (premultiplied).
    EXPECT_EQ(qRed(blurred.pixel(21, 20)), alphaAt(21, 20));
}

// A black-to-white step blurred with sigma 13 follows the normal
// distribution's curve: 16% one sigma before the step, 84% one after.
TEST(GaussianBlurTest, StepEdgeFollowsTheGaussianOfRadius13)
{
    QImage image(400, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter(&image).fillRect(200, 0, 200, 200, Qt::white);
    const QImage blurred = GaussianBlur::apply(image, WallpaperBackdrop::blurRadius);
    const auto level = [&](int x) { return qRed(blurred.pixel(x, 100)) / 255.0; };
    // The step lies between pixels 199 and 200, at 199.5.
    EXPECT_NEAR(level(199) + level(200), 1.0, 0.02);
    EXPECT_NEAR(level(200 + 13), 0.841, 0.03);
    EXPECT_NEAR(level(199 - 13), 0.159, 0.03);
    EXPECT_NEAR(level(200 + 26), 0.977, 0.02);
    EXPECT_NEAR(level(100), 0.0, 0.005);
    EXPECT_NEAR(level(300), 1.0, 0.005);
    // Outside the picture counts as transparent: the border fades out.
    EXPECT_LT(qAlpha(blurred.pixel(399, 100)), 200);
    EXPECT_EQ(qAlpha(blurred.pixel(300, 100)), 255);
}

struct PictureUriCase
{
    const char *name;
    QByteArray output;
    std::optional<QString> path;
};

class PictureUriTest : public ::testing::TestWithParam<PictureUriCase>
{
};

TEST_P(PictureUriTest, Parses)
{
    const std::optional<QUrl> url = GnomeDesktopPicture::parsePictureUri(GetParam().output);
    ASSERT_EQ(url.has_value(), GetParam().path.has_value());
    if (url) {
        EXPECT_EQ(url->toLocalFile(), *GetParam().path);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureUriTest,
    ::testing::Values(
        PictureUriCase{"FileUri", "'file:///usr/share/backgrounds/a.jpg'\n", QString("/usr/share/backgrounds/a.jpg")},
        PictureUriCase{"EscapedSpace", "'file:///home/u/My%20Pictures/b.png'\n", QString("/home/u/My Pictures/b.png")},
        PictureUriCase{"DoubleQuotedWithQuote", "\"file:///home/u/it's.png\"\n", QString("/home/u/it's.png")},
        PictureUriCase{"BackslashEscape", "'file:///home/u/it\\'s.png'\n", QString("/home/u/it's.png")},
        PictureUriCase{"BarePath", "'/srv/wall.jpg'", QString("/srv/wall.jpg")},
        PictureUriCase{"Empty", "''\n", std::nullopt},
        PictureUriCase{"Remote", "'https://example.com/a.jpg'\n", std::nullopt},
        PictureUriCase{"Unquoted", "file:///a.jpg\n", std::nullopt},
        PictureUriCase{"Nothing", "", std::nullopt}),
    [](const ::testing::TestParamInfo<PictureUriCase> &info) { return std::string(info.param.name); });

TEST(GnomeDesktopPictureTest, DarkStyleReadsTheDarkPictureFirst)
{
    QHash<QString, QByteArray> settings{
        {"org.gnome.desktop.interface color-scheme", "'prefer-dark'\n"},
        {"org.gnome.desktop.background picture-uri", "'file:///light.jpg'\n"},
        {"org.gnome.desktop.background picture-uri-dark", "'file:///dark.jpg'\n"},
    };
    QStringList asked;
    GnomeDesktopPicture gnome([&](const QStringList &arguments) -> std::optional<QByteArray> {
        EXPECT_EQ(arguments.first(), "get");
        const QString key = arguments.mid(1).join(' ');
        asked << key;
        if (settings.contains(key))
            return settings.value(key);
        return std::nullopt;
    });
    EXPECT_EQ(gnome.desktopImageURL(), QUrl("file:///dark.jpg"));

    settings["org.gnome.desktop.background picture-uri-dark"] = "''\n";
    EXPECT_EQ(gnome.desktopImageURL(), QUrl("file:///light.jpg"));

    settings["org.gnome.desktop.interface color-scheme"] = "'default'\n";
    settings["org.gnome.desktop.background picture-uri-dark"] = "'file:///dark.jpg'\n";
    EXPECT_EQ(gnome.desktopImageURL(), QUrl("file:///light.jpg"));

    // No GNOME settings at all: nothing, and the backdrop stays grey.
    settings.clear();
    EXPECT_FALSE(gnome.desktopImageURL().has_value());
    EXPECT_FALSE(GnomeDesktopPicture(nullptr).desktopImageURL().has_value());
}

// Schemas compiled into a directory of their own, as glib-compile-schemas
// leaves them for GSettings.
class GSettingsSchemaTest : public ::testing::Test
{
protected:
    void compile(const QString &fileName, const QByteArray &xml)
    {
        ASSERT_TRUE(dir.isValid());
        QFile file(dir.filePath(fileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(xml);
        file.close();
        QProcess compiler;
        compiler.start(QStringLiteral("glib-compile-schemas"), {dir.path()});
        ASSERT_TRUE(compiler.waitForFinished(10000)) << "glib-compile-schemas is needed (libglib2.0-bin)";
        ASSERT_EQ(compiler.exitCode(), 0) << compiler.readAllStandardError().toStdString();
    }

    // Both pictures, the dark one in force; its name holds a quote.
    void compileLightAndDark()
    {
        compile(QStringLiteral("org.gnome.desktop.background.gschema.xml"), R"(<schemalist>
  <schema id="org.gnome.desktop.background" path="/org/gnome/desktop/background/">
    <key name="picture-uri" type="s"><default>'file:///pictures/light.jpg'</default></key>
    <key name="picture-uri-dark" type="s"><default>"file:///pictures/it's dark.jpg"</default></key>
  </schema>
  <schema id="org.gnome.desktop.interface" path="/org/gnome/desktop/interface/">
    <key name="color-scheme" type="s"><default>'prefer-dark'</default></key>
  </schema>
</schemalist>
)");
    }

    QTemporaryDir dir;
};

TEST_F(GSettingsSchemaTest, ReadsThePictureOfTheStyleInForce)
{
    compileLightAndDark();
    const GnomeDesktopPicture::Runner reader = GnomeDesktopPicture::settingsReader(dir.path());
    EXPECT_EQ(reader({"get", "org.gnome.desktop.background", "picture-uri"}),
              QByteArray("'file:///pictures/light.jpg'"));
    EXPECT_EQ(GnomeDesktopPicture(reader).desktopImageURL(), QUrl::fromLocalFile("/pictures/it's dark.jpg"));
}

// The backdrop looks the picture up on worker threads, several at once when
// refreshes follow each other.
TEST_F(GSettingsSchemaTest, ReadsOnSeveralThreadsAtOnce)
{
    compileLightAndDark();
    const GnomeDesktopPicture gnome(GnomeDesktopPicture::settingsReader(dir.path()));
    constexpr int threads = 4;
    constexpr int reads = 25;
    std::vector<std::vector<std::optional<QUrl>>> found(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&gnome, &into = found[t]] {
            for (int i = 0; i < reads; ++i)
                into.push_back(gnome.desktopImageURL());
        });
    }
    for (std::thread &worker : workers)
        worker.join();
    for (const std::vector<std::optional<QUrl>> &urls : found) {
        ASSERT_EQ(urls.size(), size_t(reads));
        for (const std::optional<QUrl> &url : urls)
            EXPECT_EQ(url, QUrl::fromLocalFile("/pictures/it's dark.jpg"));
    }
}

TEST_F(GSettingsSchemaTest, MissingSchemaOrKeyIsNothingNotAnAbort)
{
    // Only the background schema, without its dark key, and no interface
    // schema at all: the light picture.
    compile(QStringLiteral("org.gnome.desktop.background.gschema.xml"), R"(<schemalist>
  <schema id="org.gnome.desktop.background" path="/org/gnome/desktop/background/">
    <key name="picture-uri" type="s"><default>'file:///pictures/light.jpg'</default></key>
  </schema>
</schemalist>
)");
    const GnomeDesktopPicture::Runner reader = GnomeDesktopPicture::settingsReader(dir.path());
    EXPECT_EQ(reader({"get", "org.gnome.desktop.interface", "color-scheme"}), std::nullopt);
    EXPECT_EQ(reader({"get", "org.gnome.desktop.background", "picture-uri-dark"}), std::nullopt);
    EXPECT_EQ(GnomeDesktopPicture(reader).desktopImageURL(), QUrl::fromLocalFile("/pictures/light.jpg"));

    // A directory without compiled schemas, and one that does not exist.
    QTemporaryDir empty;
    EXPECT_FALSE(GnomeDesktopPicture(GnomeDesktopPicture::settingsReader(empty.path())).desktopImageURL());
    EXPECT_FALSE(GnomeDesktopPicture(GnomeDesktopPicture::settingsReader(empty.filePath("none"))).desktopImageURL());
}

} // namespace
