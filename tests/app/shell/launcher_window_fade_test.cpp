// The show's fade drawn in place: the same pixels as Qt's opacity effect
// blending a picture of the view over what the launcher window paints under
// it, in every kind of window, frame after frame and for parts repainted
// alone. Run on the minimal platform, whose windows store alpha as X stores a
// translucent window's (the offscreen one drops it).
#include "shell/launcher_window.h"

#include "launcher/centered_scale_effect.h"
#include "launcher/fade_effect.h"
#include "launcher/presentation_animator.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QList>
#include <QGraphicsOpacityEffect>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPaintEvent>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

namespace {

// The wallpaper's part: every pixel of the view, replaced.
class OpaqueBackdrop : public QWidget
{
public:
    explicit OpaqueBackdrop(QWidget *parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        QLinearGradient gradient(0, 0, width(), height());
        gradient.setColorAt(0, QColor(250, 30, 120));
        gradient.setColorAt(0.5, QColor(20, 200, 90));
        gradient.setColorAt(1, QColor(40, 60, 255));
        painter.fillRect(event->rect(), gradient);
    }
};

// A tile, a plate or a dot over it: a colour, translucent or not, square or
// round (antialiased).
class Swatch : public QWidget
{
public:
    Swatch(QWidget *parent, const QRect &frame, const QColor &color, bool round)
        : QWidget(parent), m_color(color), m_round(round)
    {
        setGeometry(frame);
    }
    void setColor(const QColor &color) { m_color = color; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_color);
        if (m_round)
            painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        else
            painter.drawRect(rect());
    }

private:
    QColor m_color;
    bool m_round;
};

// A stand-in for the launcher view: the opaque backdrop first, then a
// translucent plate, two tiles, and a grid host under the show's centred
// scale holding a round, translucent icon.
class StandInView : public QWidget
{
public:
    StandInView()
    {
        backdrop = new OpaqueBackdrop(this);
        new Swatch(this, QRect(8, 6, 140, 22), QColor(255, 255, 255, 70), false);
        firstTile = new Swatch(this, QRect(12, 40, 30, 30), QColor(230, 180, 20), false);
        secondTile = new Swatch(this, QRect(118, 84, 30, 30), QColor(10, 120, 220, 200), true);
        grid = new QWidget(this);
        grid->setGeometry(50, 36, 60, 60);
        new Swatch(grid, QRect(5, 5, 50, 50), QColor(250, 250, 250, 160), true);
        CenteredScaleEffect::applyTo(grid, 0.96);
    }

    void resizeEvent(QResizeEvent *) override { backdrop->setGeometry(rect()); }

    OpaqueBackdrop *backdrop = nullptr;
    Swatch *firstTile = nullptr;
    Swatch *secondTile = nullptr;
    QWidget *grid = nullptr;
};

// What the window paints under its content view, in each kind of window.
struct Host
{
    const char *name;
    bool translucent;
    QColor placeholder;
};

const Host kHosts[] = {
    {"opaque", false, QColor()},
    {"opaque with the dim placeholder", false, QColor(0, 0, 0, 87)},
    {"opaque with a coloured placeholder", false, QColor(200, 100, 50, 128)},
    {"translucent", true, QColor()},
    {"translucent with the dim placeholder", true, QColor(0, 0, 0, 87)},
    {"translucent with a coloured placeholder", true, QColor(200, 100, 50, 128)},
};

// The window's backing store: what it last put on screen.
QImage &store(LauncherWindow &window)
{
    return *static_cast<QImage *>(window.backingStore()->paintDevice());
}

QImage stored(LauncherWindow &window)
{
    return store(window).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Paints what Qt has been asked to repaint, as the event loop would next.
void paintPending()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

// Pixels that differ by more than 1 in any channel (8-bit rounding), and the
// first of them.
std::string differences(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size() || actual.isNull())
        return "sizes differ";
    int count = 0;
    QString first;
    for (int y = 0; y < actual.height(); ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(actual.constScanLine(y));
        const auto *e = reinterpret_cast<const QRgb *>(expected.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            const int worst = std::max({std::abs(qRed(a[x]) - qRed(e[x])), std::abs(qGreen(a[x]) - qGreen(e[x])),
                                        std::abs(qBlue(a[x]) - qBlue(e[x])), std::abs(qAlpha(a[x]) - qAlpha(e[x]))});
            if (worst <= 1)
                continue;
            if (count++ == 0)
                first = QStringLiteral("(%1, %2) is %3, expected %4")
                            .arg(x)
                            .arg(y)
                            .arg(a[x], 8, 16, QLatin1Char('0'))
                            .arg(e[x], 8, 16, QLatin1Char('0'));
        }
    }
    return count == 0 ? std::string() : QStringLiteral("%1 pixels differ; %2").arg(count).arg(first).toStdString();
}

class LauncherWindowFadeTest : public ::testing::Test
{
protected:
    void open(const Host &host)
    {
        window = std::make_unique<LauncherWindow>(QRect(0, 0, 160, 120));
        window->setTranslucent(host.translucent);
        window->setPlaceholder(host.placeholder);
        view = new StandInView;
        window->setContentView(view);
        window->show();
        // Qt paints a window once the platform has said it is exposed.
        QCoreApplication::processEvents();
        ASSERT_EQ(store(*window).format(), QImage::Format_ARGB32_Premultiplied);
        // What the window itself paints, as it stores it: cleared first, as X
        // clears a translucent window's store before each paint.
        store(*window).fill(Qt::transparent);
        view->hide();
        paintPending();
        under = stored(*window);
        view->show();
        paintPending();
    }

    FadeEffect::Underlay underlay()
    {
        return [window = window.get()] { return window->underlay(); };
    }

    // Group opacity as Qt's opacity effect does it: a picture of the view
    // drawn at `alpha` over what the window paints. The view is left without
    // a fade.
    QImage reference(double alpha)
    {
        PresentationAnimator::applyAlpha(*view, 1);
        // The view and its children, over nothing, as the effect pictures it.
        QImage picture(view->size(), QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        view->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
        QImage image = under;
        QPainter painter(&image);
        painter.setOpacity(alpha);
        painter.drawImage(QPoint(0, 0), picture);
        return image;
    }

    // One frame of the fade, painted as the event loop paints it.
    QImage frame(double alpha, FadeEffect::Underlay given)
    {
        PresentationAnimator::applyAlpha(*view, alpha, std::move(given));
        paintPending();
        return stored(*window);
    }
    QImage frame(double alpha) { return frame(alpha, underlay()); }

    bool drewInPlace() const
    {
        const auto *effect = dynamic_cast<const FadeEffect *>(view->graphicsEffect());
        return effect != nullptr && effect->drewInPlace();
    }

    std::unique_ptr<LauncherWindow> window;
    StandInView *view = nullptr;
    QImage under;
};

// Opaque and translucent windows, with and without their placeholder: frame
// after frame of a show and of a hide, the view drawn in place and weighed
// against the window's colour is what the opacity effect's picture of it
// blended over that colour is, each frame from the window's colour again.
TEST_F(LauncherWindowFadeTest, EachFrameShowsWhatTheOpacityEffectShowsOverTheWindow)
{
    const double show[] = {0.02, 0.3, 0.5, 0.77, 0.99};
    for (const Host &host : kHosts) {
        SCOPED_TRACE(host.name);
        open(host);
        QList<QImage> expected;
        for (const double alpha : show)
            expected.append(reference(alpha));
        const QImage hidden = reference(0);
        const QImage shown = reference(1);

        for (int i = 0; i < int(std::size(show)); ++i) {
            SCOPED_TRACE(show[i]);
            EXPECT_EQ(differences(frame(show[i]), expected[i]), "") << "show";
            EXPECT_TRUE(drewInPlace());
            EXPECT_DOUBLE_EQ(PresentationAnimator::alphaOf(*view), show[i]);
        }
        EXPECT_EQ(differences(frame(1), shown), "");
        EXPECT_EQ(view->graphicsEffect(), nullptr) << "shown, without an effect";
        for (int i = int(std::size(show)) - 1; i >= 0; --i) {
            SCOPED_TRACE(show[i]);
            EXPECT_EQ(differences(frame(show[i]), expected[i]), "") << "hide";
        }
        EXPECT_EQ(differences(frame(0), hidden), "") << "hidden: the window's colour alone";
    }
}

// A tile that changes during the fade repaints only its own part of the
// window; that part, and two far apart repainted in the same frame (Qt then
// draws the view over the rectangle around both), come out as the whole.
TEST_F(LauncherWindowFadeTest, PartsRepaintedDuringTheFadeMatchTheWhole)
{
    for (const Host &host : kHosts) {
        SCOPED_TRACE(host.name);
        open(host);
        frame(0.4);

        view->firstTile->setColor(QColor(90, 20, 160));
        view->firstTile->update();
        paintPending();
        EXPECT_TRUE(drewInPlace());
        QImage partial = stored(*window);
        EXPECT_EQ(differences(partial, reference(0.4)), "") << "one tile";

        frame(0.4);
        view->firstTile->setColor(QColor(250, 250, 250, 90));
        view->secondTile->setColor(QColor(0, 0, 0, 200));
        view->firstTile->update();
        view->secondTile->update();
        paintPending();
        EXPECT_TRUE(drewInPlace());
        partial = stored(*window);
        EXPECT_EQ(differences(partial, reference(0.4)), "") << "two tiles";
    }
}

// Where the equality is not known to hold the fade is Qt's opacity effect as
// it is: a view whose picture is not opaque, a host that does not say what it
// paints, a picture of the view taken outside the window.
TEST_F(LauncherWindowFadeTest, WithoutAnOpaquePictureOrAKnownUnderlayTheFadeIsTheOpacityEffect)
{
    open(kHosts[4]);

    view->backdrop->hide();
    const QImage seeThrough = reference(0.5);
    EXPECT_EQ(differences(frame(0.5), seeThrough), "");
    EXPECT_FALSE(drewInPlace()) << "no opaque picture";
    view->backdrop->show();

    frame(0.5, [] { return std::optional<QColor>(); });
    EXPECT_FALSE(drewInPlace()) << "no underlay";

    PresentationAnimator::applyAlpha(*view, 1);
    auto *effect = new QGraphicsOpacityEffect;
    effect->setOpacity(0.5);
    view->setGraphicsEffect(effect);
    const QImage grabbedReference = view->grab().toImage();
    view->setGraphicsEffect(nullptr);
    PresentationAnimator::applyAlpha(*view, 0.5, underlay());
    const QImage grabbed = view->grab().toImage();
    EXPECT_FALSE(drewInPlace()) << "a picture taken outside the window";
    EXPECT_EQ(differences(grabbed.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                          grabbedReference.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
              "");
}

} // namespace
