#include "shell/launcher_controller.h"

#include "foundation/log.h"
#include "launcher/picture_reserve.h"
#include "window_decorator.h"

#include <QGuiApplication>
#include <QPixmapCache>
#include <QScreen>

#include <cmath>

LauncherController::LauncherController(std::unique_ptr<Content> content, const LaunchOptions &options,
                                       Environment environment)
    : LauncherController(options, std::move(environment))
{
    setContent(std::move(content));
}

LauncherController::LauncherController(const LaunchOptions &options, Environment environment)
    : m_pictureReserve(std::make_shared<PictureReserve>()), m_options(options), m_environment(std::move(environment))
{
    if (!m_environment.screens)
        m_environment.screens = &LauncherController::systemScreens;
    if (!m_environment.decorator)
        m_environment.decorator = WindowDecorator::passive();
    if (!m_environment.observeScreens)
        m_environment.observeScreens = &LauncherController::observeSystemScreens;

    const std::optional<Screen> screen = targetScreen(m_environment.screens());
    const QRectF frame = screen ? screen->frame : fallbackFrame;
    m_window = new LauncherWindow(frame.toAlignedRect());
    // Decided before the native window exists, so none is made twice.
    m_window->setTranslucent(m_environment.decorator->compositing());
    // A close from the window manager (Alt+F4) dismisses like Escape would.
    m_window->onCloseRequest = [self = QPointer<LauncherController>(this)] {
        if (self)
            self->hide();
    };
    m_environment.observeScreens(this, [self = QPointer<LauncherController>(this)] {
        if (self)
            self->screensChanged();
    });
}

void LauncherController::setPlaceholder(const QColor &color)
{
    // Every hide clears the placeholder; the server hears of a change only.
    if (!m_window || color == m_window->placeholder())
        return;
    m_window->setPlaceholder(color);
    m_environment.decorator->setBackground(m_window, color);
}

void LauncherController::followCompositing()
{
    if (!m_window || m_window->isVisible())
        return;
    const bool compositing = m_environment.decorator->compositing();
    if (compositing == m_window->isTranslucent())
        return;
    Log::write("[launcher] compositing=%d window=%@", compositing ? 1 : 0,
               compositing ? QStringLiteral("translucent") : QStringLiteral("opaque"));
    m_window->setTranslucent(compositing);
    // The new native window starts without the server's fill.
    if (m_window->placeholder().isValid())
        m_environment.decorator->setBackground(m_window, m_window->placeholder());
}

void LauncherController::setContent(std::unique_ptr<Content> content)
{
    Q_ASSERT(!m_content);
    m_content = std::move(content);
    if (m_window && m_content)
        m_window->setContentView(m_content->view());
}

LauncherController::~LauncherController()
{
    // The window owns the content view; the content object may refer to it.
    m_content.reset();
    delete m_window.data();
}

bool LauncherController::isVisible() const
{
    return m_window && m_window->isVisible();
}

void LauncherController::show()
{
    if (!m_window)
        return;
    m_hiding = false;
    ++m_showGeneration;

    if (const std::optional<Screen> screen = targetScreen(m_environment.screens())) {
        m_window->setGeometry(screen->frame.toAlignedRect());
        m_window->update();
    }
    if (m_environment.activateApplication)
        m_environment.activateApplication();
    if (m_content)
        m_content->syncOptionKeyBaseline();

    followCompositing();
    // The window manager drops the overlay hints whenever the window is
    // withdrawn, so they go on again before every show.
    m_environment.decorator->applyOverlayHints(m_window);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    // Up before its content: the picture the content's show will zoom is
    // prepared meanwhile, at the window's size.
    if (!m_content)
        m_pictureReserve->prepare(m_window->size() * m_window->devicePixelRatio());

    if (m_content)
        m_content->animateIn();
    if (m_options.dumpWindows)
        dumpWindowInfo();
}

void LauncherController::hide()
{
    if (!m_window || !m_window->isVisible() || m_hiding)
        return;
    m_hiding = true;
    setPlaceholder(QColor());
    const quint64 generation = m_showGeneration;
    auto completion = [self = QPointer<LauncherController>(this), generation] {
        if (!self)
            return;
        // A show since this hide began keeps the window up, whatever the
        // view does with a superseded completion.
        if (self->m_showGeneration != generation)
            return;
        if (self->m_window)
            self->m_window->hide();
        self->m_hiding = false;
        // Qt's pixmap cache (the style's drawn frames) checks itself on a
        // timer every 30 s for as long as it holds anything: a hidden,
        // idle launcher would wake for it. The few pixmaps are drawn again
        // at the next show.
        QPixmapCache::clear();
    };
    if (!m_content) {
        completion();
        return;
    }
    m_content->animateOut(std::move(completion));
}

void LauncherController::toggle()
{
    const bool visible = isVisible();
    const bool hiding = m_hiding;
    if (visible && !hiding)
        hide();
    else
        show();
}

void LauncherController::dumpWindowInfo() const
{
    if (!m_window)
        return;
    const QRect frame = m_window->frameGeometry();
    const QString windowLine = QStringLiteral("[windows] launcher x=%1 y=%2 w=%3 h=%4 id=%5")
                                   .arg(frame.x())
                                   .arg(frame.y())
                                   .arg(frame.width())
                                   .arg(frame.height())
                                   .arg(quint64(m_window->winId()));
    Log::writeLine(windowLine);
    Log::writeLine(screensLine(m_environment.screens()));
}

std::optional<LauncherController::Screen> LauncherController::targetScreen(const QList<Screen> &screens)
{
    for (const Screen &screen : screens) {
        if (screen.isMain)
            return screen;
    }
    if (!screens.isEmpty())
        return screens.first();
    return std::nullopt;
}

QString LauncherController::describeNumber(double value)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? QStringLiteral("nan") : (value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf"));
    QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')))
        text += QStringLiteral(".0");
    return text;
}

QString LauncherController::describeRect(const QRectF &rect)
{
    return QStringLiteral("(%1, %2, %3, %4)")
        .arg(describeNumber(rect.x()), describeNumber(rect.y()), describeNumber(rect.width()),
             describeNumber(rect.height()));
}

QString LauncherController::screensLine(const QList<Screen> &screens)
{
    QStringList elements;
    for (const Screen &screen : screens) {
        elements.append(QStringLiteral("\"frame=%1 visible=%2 main=%3\"")
                            .arg(describeRect(screen.frame), describeRect(screen.visibleFrame),
                                 screen.isMain ? QStringLiteral("true") : QStringLiteral("false")));
    }
    return QStringLiteral("[screens] [") + elements.join(QStringLiteral(", ")) + QStringLiteral("]");
}

QList<LauncherController::Screen> LauncherController::systemScreens()
{
    QList<Screen> result;
    const QScreen *primary = QGuiApplication::primaryScreen();
    for (const QScreen *screen : QGuiApplication::screens()) {
        result.append(Screen{QRectF(screen->geometry()), QRectF(screen->availableGeometry()), screen == primary});
    }
    return result;
}

void LauncherController::observeSystemScreens(QObject *context, std::function<void()> changed)
{
    auto watch = [context, changed](QScreen *screen) {
        QObject::connect(screen, &QScreen::geometryChanged, context, [changed] { changed(); });
    };
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    auto *application = qGuiApp;
    if (!application)
        return;
    QObject::connect(application, &QGuiApplication::screenAdded, context, [watch, changed](QScreen *screen) {
        watch(screen);
        changed();
    });
    QObject::connect(application, &QGuiApplication::screenRemoved, context, [changed] { changed(); });
    QObject::connect(application, &QGuiApplication::primaryScreenChanged, context, [changed] { changed(); });
}

void LauncherController::screensChanged()
{
    if (!isVisible())
        return;
    const std::optional<Screen> screen = targetScreen(m_environment.screens());
    if (!screen)
        return;
    const QRect frame = screen->frame.toAlignedRect();
    if (m_window->geometry() == frame)
        return;
    m_window->setGeometry(frame);
    if (m_options.dumpWindows)
        dumpWindowInfo();
}
