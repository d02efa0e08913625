// Icon loading and wallpaper blur speed.
//   BM_LoadIcons300        300 generated bundles (half .icns with PNG entries
//                          of 256 and 1024 pixels, half 512-pixel .png),
//                          requested from one provider, loaded on its worker,
//                          delivered on the main thread and each rasterized
//                          into a 120-pixel tile image
//   BM_ReadBundleIcon      one bundle icon read and decoded (no threads)
//   BM_Blur1600            the Gaussian blur (radius 13) of a 1600 x 1000
//                          picture (goal: under 100 ms)
//   BM_RenderWallpaper     the whole render: a 3200 x 2000 JPEG decoded,
//                          scaled to 1600 wide and blurred
//   BM_RefreshMainThread   what refresh() costs the main thread: its own
//                          time, the render excluded (it runs off-thread)

#include "desktop_picture.h"
#include "foundation/property_list.h"
#include "tiles/gaussian_blur.h"
#include "tiles/icon_provider.h"
#include "tiles/wallpaper_backdrop.h"

#include <QApplication>
#include <QBuffer>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <QVariantMap>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kBundleCount = 300;

QByteArray png(int side, QColor color)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(color);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(side * 0.1, side * 0.1, side * 0.8, side * 0.8), side * 0.18, side * 0.18);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(side * 0.3, side * 0.3, side * 0.4, side * 0.4));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (24 - 8 * i)) & 0xff);
    return bytes;
}

QByteArray icns(const QList<std::pair<QByteArray, QByteArray>> &entries)
{
    QByteArray body;
    for (const auto &[type, data] : entries)
        body += type + bigEndian32(quint32(data.size() + 8)) + data;
    return QByteArray("icns") + bigEndian32(quint32(body.size() + 8)) + body;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// The generated bundles, made once per process.
struct Bundles
{
    QTemporaryDir dir;
    QList<AppItem> apps;

    Bundles()
    {
        for (int i = 0; i < kBundleCount; ++i) {
            const QString name = QStringLiteral("App%1").arg(i);
            const QString bundle = dir.filePath(name + QStringLiteral(".app"));
            QDir().mkpath(bundle + QStringLiteral("/Contents/Resources"));
            const QColor color = QColor::fromHsv((i * 37) % 360, 180, 220);
            QVariantMap info{{QStringLiteral("CFBundleIdentifier"), QStringLiteral("bench.") + name}};
            if (i % 2 == 0) {
                info.insert(QStringLiteral("CFBundleIconFile"), QStringLiteral("AppIcon"));
                writeFile(bundle + QStringLiteral("/Contents/Resources/AppIcon.icns"),
                          icns({{"ic08", png(256, color)}, {"ic10", png(1024, color)}}));
            } else {
                info.insert(QStringLiteral("CFBundleIconFile"), QStringLiteral("icon.png"));
                writeFile(bundle + QStringLiteral("/Contents/Resources/icon.png"), png(512, color));
            }
            writeFile(bundle + QStringLiteral("/Contents/Info.plist"), PropertyList::toXml(info));
            apps.append(AppItem(QStringLiteral("bench.") + name, name, bundle));
        }
    }

    static Bundles &shared()
    {
        static Bundles bundles;
        return bundles;
    }
};

void pumpUntil(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(60000);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::yieldCurrentThread();
    }
}

void BM_LoadIcons300(benchmark::State &state)
{
    const Bundles &bundles = Bundles::shared();
    QImage tile(120, 120, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        IconProvider provider;
        int rasterized = 0;
        QObject::connect(&provider, &IconProvider::loaded, [&](const QString &) {
            QPainter painter(&tile);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(0, 0, 120, 120), *provider.cachedIcon(bundles.apps.at(rasterized)));
            ++rasterized;
        });
        for (const AppItem &app : bundles.apps)
            provider.icon(app);
        pumpUntil([&] { return provider.pendingCount() == 0; });
        if (rasterized != kBundleCount)
            state.SkipWithError("not every icon arrived");
    }
    state.SetItemsProcessed(state.iterations() * kBundleCount);
}
BENCHMARK(BM_LoadIcons300)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadBundleIcon(benchmark::State &state)
{
    const Bundles &bundles = Bundles::shared();
    // Argument 0: an .icns bundle; 1: a .png bundle.
    const QString path = bundles.apps.at(int(state.range(0))).path;
    for (auto _ : state)
        benchmark::DoNotOptimize(IconProvider::loadBundleIcon(path));
}
BENCHMARK(BM_ReadBundleIcon)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

QImage picture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(20, 60, 140));
    gradient.setColorAt(0.5, QColor(220, 140, 60));
    gradient.setColorAt(1, QColor(30, 120, 70));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 200; ++i)
        painter.fillRect(QRectF((i * 7919) % width, (i * 104729) % height, 40, 25), QColor::fromHsv(i % 360, 200, 200));
    painter.end();
    return image;
}

void BM_Blur1600(benchmark::State &state)
{
    const QImage image = picture(1600, 1000);
    for (auto _ : state)
        benchmark::DoNotOptimize(GaussianBlur::apply(image, WallpaperBackdrop::blurRadius));
}
BENCHMARK(BM_Blur1600)->Unit(benchmark::kMillisecond);

struct WallpaperFile
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("desktop.jpg"));
    WallpaperFile() { picture(3200, 2000).save(path, "JPEG", 90); }
};

void BM_RenderWallpaper(benchmark::State &state)
{
    static WallpaperFile file;
    const QUrl url = QUrl::fromLocalFile(file.path);
    for (auto _ : state)
        benchmark::DoNotOptimize(WallpaperBackdrop::renderWallpaper(url));
}
BENCHMARK(BM_RenderWallpaper)->Unit(benchmark::kMillisecond);

class FixedPicture : public DesktopPicture
{
public:
    QUrl url;
    std::optional<QUrl> desktopImageURL() const override { return url; }
};

void BM_RefreshMainThread(benchmark::State &state)
{
    static WallpaperFile file;
    auto desktop = std::make_shared<FixedPicture>();
    desktop->url = QUrl::fromLocalFile(file.path);
    WallpaperBackdrop backdrop(desktop);
    for (auto _ : state) {
        backdrop.refresh(); // timed: the main thread's share
        state.PauseTiming();
        pumpUntil([&] { return backdrop.isReady(); });
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RefreshMainThread)->Unit(benchmark::kMicrosecond)->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
