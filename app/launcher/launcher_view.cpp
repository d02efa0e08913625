#include "launcher_view.h"

#include "launcher/option_key_filter.h"
#include "session/launcher_session.h"
#include "tiles/icon_provider.h"

#include "foundation/notification_center.h"
#include "localization/l10n.h"

#include "window_under_pointer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMetaObject>
#include <QThread>

#include <algorithm>

LauncherView::LauncherView(const QRect &frame, LauncherSession &session, IconProvider &icons,
                           const LaunchOptions &options, QWidget *parent)
    : QWidget(parent), m_options(options), m_grid(*this, session, icons, m_options)
{
    setGeometry(frame);
    setFocusPolicy(Qt::StrongFocus);
    m_built = true;

    // The command line may open the launcher on a page or with a search.
    m_grid.currentPage = std::max(0, m_options.page);
    m_grid.query = m_options.search;

    buildSubviews();
    installCallbacks();
    // Parented to the view: it leaves the application's filters with it.
    qApp->installEventFilter(new OptionKeyFilter(this, [this](bool optionDown, int keyCode) {
        handleOptionFlags(optionDown, keyCode);
    }));

    // Drops of tiles (and of applications from elsewhere) land here.
    setAcceptDrops(true);

    if (!m_grid.query.isEmpty())
        m_searchPlate->field()->setText(m_grid.query);

    relayout();

    if (m_options.openFolder)
        openFolderDemo();
}

LauncherView::~LauncherView()
{
    if (m_languageObserver != 0)
        NotificationCenter::defaultCenter().removeObserver(m_languageObserver);
}

void LauncherView::installCallbacks()
{
    const QPointer<LauncherView> weak(this);
    IconProvider &icons = m_grid.icons;
    connect(&icons, &IconProvider::loaded, this, &LauncherView::refreshIcons);
    // The session outlives every view; folder previews resolve members through it.
    LauncherSession *session = &m_grid.session;
    icons.onDemandApp = [session](const QString &appID) { return session->app(appID); };

    connect(&m_grid.session, &LauncherSession::changed, this, &LauncherView::rebuild);
    connect(&m_grid.session, &LauncherSession::settingsChanged, this, [weak] {
        if (!weak)
            return;
        weak->applySettingsAppearance();
        if (weak)
            weak->relayout();
    });

    // The interface language can change while the launcher is open.
    m_languageObserver =
        NotificationCenter::defaultCenter().addObserver(L10n::kLanguageDidChangeNotification, [weak] {
            if (!weak)
                return;
            if (QThread::currentThread() == weak->thread()) {
                weak->refreshLocalizedText();
                return;
            }
            QMetaObject::invokeMethod(
                weak.data(),
                [weak] {
                    if (weak)
                        weak->refreshLocalizedText();
                },
                Qt::QueuedConnection);
        });
}

// --- Derived properties -----------------------------------------------------------

EditModeBadgePlacement LauncherView::badgePlacement() const
{
    return EditModeBadgePlacement::parse(m_options.badgeSide);
}

void LauncherView::setTimeSource(FrameClock::TimeSource timeSource)
{
    m_grid.timeSource = timeSource;
    m_pages.turner().slideClock().setTimeSource(timeSource);
    m_presentation.clock().setTimeSource(timeSource);
    m_editMode.clock().setTimeSource(timeSource);
    m_tileDrag.reflowClock().setTimeSource(timeSource);
}

// --- The parts: edit mode, drag and drop ------------------------------------------

void LauncherView::syncOptionKeyBaseline()
{
    m_editMode.syncOptionKeyBaseline(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier));
}

void LauncherView::applyEditModeAppearance()
{
    m_tiles.dressAllForEditMode();
    applyEditModeHint();
}

bool LauncherView::pointerOverOtherWindow()
{
    return m_windowUnderPointer && m_windowUnderPointer->pointerOverOtherWindow(window());
}

void LauncherView::setWindowUnderPointer(std::shared_ptr<WindowUnderPointer> windowUnderPointer)
{
    m_windowUnderPointer = std::move(windowUnderPointer);
}

void LauncherView::dragEnterEvent(QDragEnterEvent *event)
{
    m_tileDrag.systemDragEvent(event);
}

void LauncherView::dragMoveEvent(QDragMoveEvent *event)
{
    m_tileDrag.systemDragEvent(event);
}

void LauncherView::dragLeaveEvent(QDragLeaveEvent *)
{
    m_tileDrag.systemDragLeft();
}

void LauncherView::dropEvent(QDropEvent *event)
{
    m_tileDrag.systemDropEvent(event);
}
