// Painting one launcher page: 35 application tiles (7 x 5) with icons and
// labels on a 1920 x 1080 page, the way the launcher view repaints it on
// every page slide and wobble frame. Goal: under 4 ms per page.
// The wobble's sampling alone: a page of 35 turned tile pictures drawn by
// AffineSampler at scale 1 and 2.
#include "model/layout_entry.h"
#include "tiles/affine_sampler.h"
#include "tiles/app_tile.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTransform>
#include <QWidget>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// Sets one field of the tile's state, the others as they are.
template <typename Field, typename Value>
void assignState(AppTile &tile, Field TileState::*field, Value &&value)
{
    TileState state = tile.state();
    state.*field = std::forward<Value>(value);
    tile.setState(state);
}

const char *const kTitles[] = {"Safari", "Mail", "Calendar", "Photos", "Music", "Visual Studio Code",
                               "System Settings", "Terminal", "Preview", "Microsoft Word", "Xcode",
                               "Activity Monitor"};

QImage makeIcon(int i)
{
    QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 256, 256);
    gradient.setColorAt(0, QColor::fromHsv((i * 37) % 360, 200, 240));
    gradient.setColorAt(1, QColor::fromHsv((i * 37 + 60) % 360, 255, 140));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(12, 12, 232, 232), 52, 52);
    return image;
}

struct Page
{
    std::unique_ptr<QWidget> host;
    QList<AppTile *> tiles;

    explicit Page(bool shown)
    {
        host = std::make_unique<QWidget>();
        host->resize(1920, 1080);
        for (int i = 0; i < 35; ++i) {
            // Cells of a 7 x 5 grid at 1920 x 1080 (icon side 88 as the grid gives it).
            const QRectF frame(160 + (i % 7) * 232, 120 + (i / 7) * 168, 140, 150);
            auto *tile = new AppTile(frame, LayoutEntry::app(QString("app.%1").arg(i)),
                                     QString::fromUtf8(kTitles[i % 12]), host.get());
            assignState(*tile, &TileState::icon, makeIcon(i));
            tile->show();
            tiles.append(tile);
        }
        if (shown)
            host->show();
    }
};

void paintPage(benchmark::State &state, Page &page, double scale)
{
    QImage target(QSize(std::lround(1920 * scale), std::lround(1080 * scale)), QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(scale);
    target.fill(Qt::black);
    // Only the tiles: the launcher view's backdrop is not part of this.
    const auto render = [&] { page.host->render(&target, QPoint(), QRegion(), QWidget::DrawChildren); };
    render(); // warm the icon and label caches
    for (auto _ : state) {
        render();
        benchmark::DoNotOptimize(target.constBits());
    }
}

// The common case: a window at scale 1, cached rasters drawn 1:1.
void BM_PaintPage_Window(benchmark::State &state)
{
    Page page(true);
    paintPage(state, page, 1);
}
BENCHMARK(BM_PaintPage_Window)->Unit(benchmark::kMillisecond);

// A page at scale 2 (as a tile in no window renders) into a 3840 x 2160 image.
void BM_PaintPage_Scale2(benchmark::State &state)
{
    Page page(false);
    paintPage(state, page, 2);
}
BENCHMARK(BM_PaintPage_Scale2)->Unit(benchmark::kMillisecond);

// Edit mode: every tile wobbles (a small rotation) and shows its delete badge.
void BM_PaintPage_EditMode(benchmark::State &state)
{
    Page page(true);
    for (int i = 0; i < page.tiles.size(); ++i) {
        QTransform wobble;
        wobble.translate(0.4, -0.2);
        wobble.rotateRadians(std::sin(i * 2.399963) * 0.8 * M_PI / 180);
        page.tiles[i]->setLayerTransform(wobble);
        assignState(*page.tiles[i], &TileState::showsDeleteBadge, true);
    }
    paintPage(state, page, 1);
}
BENCHMARK(BM_PaintPage_EditMode)->Unit(benchmark::kMillisecond);

// The first paint after a rebuild: new tiles, every icon resampled; the
// labels' text and shadows come from the shared label cache.
void BM_PaintPage_Rebuild(benchmark::State &state)
{
    QImage target(QSize(1920, 1080), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        auto page = std::make_unique<Page>(true);
        state.ResumeTiming();
        page->host->render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(target.constBits());
        state.PauseTiming();
        page.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PaintPage_Rebuild)->Unit(benchmark::kMillisecond);

// The very first paint: titles never drawn before, so every label's text is
// laid out and its shadow blurred too.
void BM_PaintPage_NewTitles(benchmark::State &state)
{
    QImage target(QSize(1920, 1080), QImage::Format_ARGB32_Premultiplied);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto page = std::make_unique<Page>(true);
        ++round;
        for (AppTile *tile : page->tiles)
            assignState(*tile, &TileState::title, tile->title() + QString::number(round));
        state.ResumeTiming();
        page->host->render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(target.constBits());
        state.PauseTiming();
        page.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PaintPage_NewTitles)->Unit(benchmark::kMillisecond);

// One wobble frame's sampling, without the painting around it: each of a
// page's 35 tile pictures (icon and name, a transparent border, the size a
// tile keeps at the scale of the argument) drawn under its own small turn and
// sub-pixel drift into one buffer as large as its turned bounds, as the
// tiles share one. With a second argument of 1 the frame's other work is
// stood in for by a window's worth of pixels written between frames (not
// timed), which leaves the pictures to be read from further out than the
// processor's nearer caches, as they are in the running program.
void BM_SampleWobblePage(benchmark::State &state)
{
    const double scale = double(state.range(0));
    const bool cold = state.range(1) != 0;
    std::vector<quint32> window(cold ? size_t(1920 * 1080 * scale * scale) : 0);
    const QSize size(std::lround(104 * scale), std::lround(124 * scale));
    std::vector<AffineSampler::Picture> pictures;
    std::vector<QTransform> transforms;
    for (int i = 0; i < 35; ++i) {
        QImage composite(size, QImage::Format_ARGB32_Premultiplied);
        composite.fill(Qt::transparent);
        {
            QPainter painter(&composite);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(scale, scale);
            painter.drawImage(QRectF(8, 1, 88, 88), makeIcon(i));
            QFont font;
            font.setPixelSize(13);
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.drawText(QRectF(1, 96, 102, 26), Qt::AlignCenter, QString::fromUtf8(kTitles[i % 12]));
        }
        pictures.emplace_back(composite);
        QTransform transform;
        transform.translate(size.width() / 2.0 + 2 + 0.37 * std::sin(i * 1.7), size.height() / 2.0 + 2 + 0.23 * i / 35);
        transform.rotateRadians(std::sin(i * 2.399963) * 0.8 * M_PI / 180);
        transform.translate(-size.width() / 2.0, -size.height() / 2.0);
        transforms.push_back(transform);
    }
    QImage target(size + QSize(4, 4), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            std::fill(window.begin(), window.end(), quint32(state.iterations()));
            benchmark::DoNotOptimize(window.data());
            state.ResumeTiming();
        }
        for (int i = 0; i < 35; ++i) {
            AffineSampler::draw(pictures[i], transforms[i], target);
            benchmark::DoNotOptimize(target.constBits());
        }
    }
    state.SetItemsProcessed(state.iterations() * 35 * target.width() * target.height());
}
BENCHMARK(BM_SampleWobblePage)->Args({1, 0})->Args({2, 0})->Args({1, 1})->Args({2, 1})->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
