#pragma once

#include "session/launch_options.h"
#include "shell/launcher_window.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>

class IconProvider;
class LauncherSession;
class LauncherView;
class PictureReserve;
class WindowDecorator;
class WindowUnderPointer;

// Owns the launcher window and shows, hides and toggles the launcher for every
// trigger. Showing fits the window to the main screen, brings it to the front
// with keyboard focus and lets the content view animate in; hiding lets the
// view animate out and then orders the window out. With "--dump-windows" each
// show logs the window and screen geometry.
class LauncherController : public QObject
{
    Q_OBJECT

public:
    // What the controller calls on its content view (the launcher view).
    class Content
    {
    public:
        virtual ~Content() = default;
        // The widget that fills the window; the window takes ownership of it.
        virtual QWidget *view() = 0;
        // Records whether the Option key is held now, before each show.
        virtual void syncOptionKeyBaseline() = 0;
        virtual void animateIn() = 0;
        // Must call `completion` once the view is hidden (or drop it when a
        // later animateIn() supersedes the hide).
        virtual void animateOut(std::function<void()> completion) = 0;
    };

    // One screen as the desktop reports it, in Qt's global coordinates.
    struct Screen
    {
        QRectF frame;
        // Without panels and docks.
        QRectF visibleFrame;
        bool isMain = false;
    };

    // The desktop around the controller; unset members take the real ones.
    struct Environment
    {
        // Every screen in the desktop's order.
        std::function<QList<Screen>()> screens;
        // Hints for the window manager, the server's fill of the window and
        // whether the desktop composites; none and always when unset.
        std::shared_ptr<WindowDecorator> decorator;
        // Which window the pointer is over, for a tile dragged onto another
        // application's window above the launcher; none seen when unset.
        std::shared_ptr<WindowUnderPointer> windowUnderPointer;
        // Brings the application forward (activation). Default: nothing more
        // than what raising and activating the window does.
        std::function<void()> activateApplication;
        // Calls `changed` for as long as `context` lives whenever the screens
        // change: one added or removed, another one main, a new geometry.
        // Default: the screens Qt knows (observeSystemScreens).
        std::function<void(QObject *context, std::function<void()> changed)> observeScreens;
    };

    // The frame the window starts with when there is no screen at all.
    static inline const QRectF fallbackFrame{0, 0, 1440, 900};

    LauncherController(std::unique_ptr<Content> content, const LaunchOptions &options, Environment environment = {});
    // The window alone: it can be shown (plain, its placeholder colour) before
    // the content exists, which setContent() supplies later.
    explicit LauncherController(const LaunchOptions &options, Environment environment = {});
    ~LauncherController() override;

    // The real launcher: a LauncherView for `session` and `icons` as content
    // (launcher_controller_view.cpp).
    static std::unique_ptr<LauncherController> create(LauncherSession &session, IconProvider &icons,
                                                      const LaunchOptions &options, Environment environment = {});
    // Gives a controller without content a LauncherView for `session` and
    // `icons`, sized to the window.
    void attachLauncherView(LauncherSession &session, IconProvider &icons);
    // The LauncherView when the controller was made by create(), else null.
    LauncherView *launcherView() const;

    // Only for a controller without content; the window keeps its state
    // (shown or hidden) and the content fills it.
    void setContent(std::unique_ptr<Content> content);
    bool hasContent() const { return m_content != nullptr; }

    // What the window paints under its content until it is first hidden;
    // every later show fades in over the desktop itself. The display server
    // fills the window with it as it maps, before the first paint.
    void setPlaceholder(const QColor &color);

    bool isVisible() const;
    bool isHiding() const { return m_hiding; }
    void show();
    void hide();
    // Orders the window out at once, so that a modal alert can be seen.
    void dismissCoverForModal();
    // Orders the window back (keyed, search field focused) when it is not
    // visible; nothing otherwise.
    void restoreCoverAfterModal();
    void toggle();
    // One "[windows] launcher" line and one "[screens]" line.
    void dumpWindowInfo() const;

    LauncherWindow *window() const { return m_window.data(); }
    // Only with content (hasContent()).
    Content &content() const { return *m_content; }
    const LaunchOptions &options() const { return m_options; }

    // The main screen, else the first one; none without screens.
    static std::optional<Screen> targetScreen(const QList<Screen> &screens);
    // "[screens] [...]" for `screens`.
    static QString screensLine(const QList<Screen> &screens);
    // "(x, y, w, h)" with every number in shortest form with a decimal point.
    static QString describeRect(const QRectF &rect);
    static QString describeNumber(double value);
    // The screens Qt knows, the primary one as main.
    static QList<Screen> systemScreens();
    static void observeSystemScreens(QObject *context, std::function<void()> changed);

    // A shown launcher takes the target screen's frame at once (and its view
    // lays out for it); a hidden one is fitted when it shows.
    void screensChanged();

private:
    // Before a show: makes the window translucent when the desktop composites
    // and opaque when it does not, should that have changed while hidden.
    void followCompositing();

    std::unique_ptr<Content> m_content;
    // The picture the launcher view's first show zooms, prepared while the
    // window goes up before the view exists.
    std::shared_ptr<PictureReserve> m_pictureReserve;
    const LaunchOptions m_options;
    Environment m_environment;
    QPointer<LauncherWindow> m_window;
    bool m_hiding = false;
    // Counts shows: a hide completion that outlives a later show is stale.
    quint64 m_showGeneration = 0;
};
