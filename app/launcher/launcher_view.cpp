#include "launcher_view.h"

#include "launcher/launcher_layout_plan.h"
#include "session/launcher_session.h"
#include "tiles/icon_provider.h"

#include "foundation/notification_center.h"
#include "localization/l10n.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMetaObject>
#include <QThread>
#include <QWindow>

#include <algorithm>

LauncherView::LauncherView(const QRect &frame, LauncherSession &session, IconProvider &icons,
                           const LaunchOptions &options, QWidget *parent)
    : QWidget(parent), m_session(session), m_icons(icons), m_options(options)
{
    setGeometry(frame);
    setFocusPolicy(Qt::StrongFocus);
    m_built = true;

    // The command line may open the launcher on a page or with a search.
    m_currentPage = std::max(0, m_options.page);
    m_query = m_options.search;

    buildSubviews();


    installCallbacks();

    // Drops of tiles (and of applications from elsewhere) land here.
    setAcceptDrops(true);

    if (!m_query.isEmpty())
        m_searchField->setText(m_query);

    relayout();

    if (m_options.openFolder)
        openFolderDemo();
}

LauncherView::~LauncherView()
{
    if (m_languageObserver != 0)
        NotificationCenter::defaultCenter().removeObserver(m_languageObserver);
    m_pageTurner->slideClock().stop();
}

void LauncherView::installCallbacks()
{
    const QPointer<LauncherView> weak(this);
    IconProvider &icons = m_icons;
    connect(&icons, &IconProvider::loaded, this, &LauncherView::refreshIcons);
    // The session outlives every view; folder previews resolve members through it.
    LauncherSession *session = &m_session;
    icons.onDemandApp = [session](const QString &appID) { return session->app(appID); };

    connect(&m_session, &LauncherSession::changed, this, &LauncherView::rebuild);
    connect(&m_session, &LauncherSession::settingsChanged, this, [weak] {
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

bool LauncherView::scrollMode() const
{
    return m_session.settings().viewMode == Settings::ViewMode::scroll;
}

int LauncherView::columns() const
{
    return LauncherLayoutPlan::safeColumns(m_session.settings().columns);
}

int LauncherView::pageCapacity() const
{
    return m_session.settings().pageSize();
}

QRectF LauncherView::gridRect() const
{
    return GridGeometry::contentRectIn(QRectF(rect()), m_session.settings().sideInset);
}

std::optional<QString> LauncherView::mergeCandidate() const
{
    return m_tileDrag.mergeGate().candidate();
}

std::optional<QString> LauncherView::mergeTargetID() const
{
    return m_tileDrag.mergeGate().committed();
}

EditModeBadgePlacement LauncherView::badgePlacement() const
{
    return EditModeBadgePlacement::parse(m_options.badgeSide);
}

double LauncherView::backingScale() const
{
    // A view in no (native) window yet has no screen to ask.
    const QWidget *top = window();
    if (!top || !top->windowHandle())
        return 2;
    const double ratio = top->windowHandle()->devicePixelRatio();
    return ratio > 0 ? ratio : 2;
}

void LauncherView::setTimeSource(FrameClock::TimeSource timeSource)
{
    m_timeSource = timeSource;
    m_pageTurner->slideClock().setTimeSource(timeSource);
    m_presentation.clock().setTimeSource(timeSource);
    m_editMode.clock().setTimeSource(timeSource);
}

double LauncherView::mediaTime() const
{
    return m_timeSource ? m_timeSource() : FrameClock::systemMediaTime();
}

// --- The parts: edit mode, drag and drop ------------------------------------------

void LauncherView::syncOptionKeyBaseline()
{
    m_editMode.syncOptionKeyBaseline();
}

void LauncherView::exitEditMode()
{
    m_editMode.exit();
}

void LauncherView::scheduleLongPress()
{
    m_editMode.scheduleLongPress();
}

void LauncherView::cancelLongPress()
{
    m_editMode.cancelLongPress();
}

void LauncherView::applyJiggle(AppTile *tile, double rotationRadians, double translationX, double translationY)
{
    m_editMode.applyJiggle(tile, rotationRadians, translationX, translationY);
}

std::optional<int> LauncherView::badgeTileIndex(const QPointF &point) const
{
    return m_editMode.badgeTileIndex(point);
}

void LauncherView::startDrag(const QString &entryID, const QPointF &startPoint)
{
    m_tileDrag.startDrag(entryID, startPoint);
}

void LauncherView::cancelEdgeAutoPage()
{
    m_tileDrag.cancelEdgeAutoPage();
}

void LauncherView::createTransientPage()
{
    m_tileDrag.createTransientPage();
}
