#include "launcher_view.h"

#include "launcher/launcher_layout_plan.h"
#include "session/launcher_session.h"
#include "tiles/icon_provider.h"

#include "foundation/notification_center.h"
#include "localization/l10n.h"

#include "tiles/app_tile.h"
#include "tiles/tile_pasteboard.h"

#include "window_under_pointer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QThread>
#include <QWindow>

#include <algorithm>

namespace {

// Alt presses and releases reach whichever widget has the focus (often the
// search field); this filter sees them for the whole launcher window.
class OptionKeyFilter : public QObject
{
public:
    explicit OptionKeyFilter(LauncherView *view) : QObject(view), m_view(view) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Alt || key->isAutoRepeat())
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != m_view->window())
            return false;
        // Each key event reaches the filter once per widget it is offered to.
        if (key == m_lastEvent && key->type() == m_lastType)
            return false;
        m_lastEvent = key;
        m_lastType = key->type();
        // Alt_R is the right Option key (61); every other Alt is the left one (58).
        const int keyCode = key->nativeVirtualKey() == 0xffea ? 61 : 58;
        m_view->handleOptionFlags(event->type() == QEvent::KeyPress, keyCode);
        return false;
    }

private:
    LauncherView *m_view;
    const QKeyEvent *m_lastEvent = nullptr;
    QEvent::Type m_lastType = QEvent::None;
};

} // namespace

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
    m_optionKeyFilter = new OptionKeyFilter(this);
    qApp->installEventFilter(m_optionKeyFilter);

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
    m_tileDrag.reflowClock().setTimeSource(timeSource);
}

double LauncherView::mediaTime() const
{
    return m_timeSource ? m_timeSource() : FrameClock::systemMediaTime();
}

// --- The parts: edit mode, drag and drop ------------------------------------------

void LauncherView::syncOptionKeyBaseline()
{
    m_editMode.syncOptionKeyBaseline(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier));
}

void LauncherView::handleOptionFlags(bool optionDown, int keyCode)
{
    m_editMode.handleOptionFlags(optionDown, keyCode);
}

void LauncherView::simulateOptionKeyForAutomation()
{
    m_editMode.simulateOptionKeyForAutomation();
}

void LauncherView::releaseOptionForAutomation()
{
    m_editMode.releaseOptionForAutomation();
}

void LauncherView::enterEditModeForAutomation()
{
    m_editMode.enterEditModeForAutomation();
}

void LauncherView::applyEditModeAppearance()
{
    for (AppTile *tile : std::as_const(m_tiles))
        configureTileForEditMode(tile);
    for (AppTile *tile : std::as_const(m_outgoingTiles))
        configureTileForEditMode(tile);
    applyEditModeHint();
}

void LauncherView::clearSelectionForEditMode()
{
    m_selection.clear();
    updateSelectionDisplay();
}

QString LauncherView::badgePlacementName() const
{
    return badgePlacement() == EditModeBadgePlacement::topRight ? QStringLiteral("right") : QStringLiteral("left");
}

QPointF LauncherView::pointInTile(const AppTile *tile, const QPointF &point) const
{
    return tile->mapFrom(this, point);
}

void LauncherView::deleteBadgeTapped(int index, bool previewOnly)
{
    handleBadgeTap(index, previewOnly);
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

void LauncherView::simulateDropForAutomation(const QString &spec)
{
    m_tileDrag.simulateDropForAutomation(spec);
}

QRectF LauncherView::dragSlotFrame(int index) const
{
    // Tile frames are in the grid host's coordinates (scrolled, in scroll
    // mode); the marker and the pointer live in the view's.
    const QRectF frame = tileFrame(index);
    const QPointF origin = m_tilesHost->mapTo(this, QPointF(0, 0));
    return frame.translated(origin);
}

bool LauncherView::dragFlat() const
{
    return scrollMode() || !m_query.isEmpty();
}

bool LauncherView::dragShowsLabels() const
{
    return m_session.settings().showLabels;
}

int LauncherView::dragInsertionIndex(const QPointF &point) const
{
    if (scrollMode() || (!m_query.isEmpty() && m_entries.size() < columns())) {
        const QPointF g = gridPoint(point);
        for (int i = 0; i < m_tileFrames.size(); ++i)
            if (m_tileFrames.at(i).center().y() > g.y())
                return i;
        return int(m_entries.size());
    }
    return m_geometry.insertionIndex(point, int(m_entries.size()));
}

bool LauncherView::dragPointerOverOtherWindow()
{
    return m_windowUnderPointer && m_windowUnderPointer->pointerOverOtherWindow(window());
}

void LauncherView::setWindowUnderPointer(std::shared_ptr<WindowUnderPointer> windowUnderPointer)
{
    m_windowUnderPointer = std::move(windowUnderPointer);
}

// A tile drag offers only a link (other applications must never move or
// copy the bundle), so the grid takes its own tiles back as links too.
void LauncherView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_tileDrag.acceptsMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(TilePasteboard::proposedAction);
    event->accept();
    m_tileDrag.systemDragMoved(event->mimeData(), event->position());
}

void LauncherView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!m_tileDrag.acceptsMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(TilePasteboard::proposedAction);
    event->accept();
    m_tileDrag.systemDragMoved(event->mimeData(), event->position());
}

void LauncherView::dragLeaveEvent(QDragLeaveEvent *)
{
    m_tileDrag.systemDragLeft();
}

void LauncherView::dropEvent(QDropEvent *event)
{
    if (!m_tileDrag.acceptsMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    m_tileDrag.systemDragMoved(event->mimeData(), event->position());
    m_tileDrag.systemDrop(event->mimeData());
    event->setDropAction(TilePasteboard::proposedAction);
    event->accept();
}

void LauncherView::cancelEdgeAutoPage()
{
    m_tileDrag.cancelEdgeAutoPage();
}

void LauncherView::createTransientPage()
{
    m_tileDrag.createTransientPage();
}
