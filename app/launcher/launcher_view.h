#pragma once

#include "launcher/edit_mode_controller.h"
#include "launcher/fill_view.h"
#include "launcher/flipped_view.h"
#include "launcher/folder_host.h"
#include "launcher/presentation_animator.h"
#include "launcher/tile_drag_controller.h"
#include "paging/frame_clock.h"
#include "paging/page_turner.h"
#include "session/launch_options.h"

#include "model/app_item.h"
#include "model/layout_entry.h"
#include "model/settings.h"
#include "policy/menu_action.h"
#include "policy/edge_auto_page_policy.h"
#include "policy/edit_mode_badge_placement.h"
#include "policy/grid_geometry.h"
#include "policy/merge_hover_gate.h"
#include "policy/page_drag_gesture.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AppTile;
class ContextMenuActions;
class FileManager;
class FolderOverlay;
class IconProvider;
class LauncherSession;
class PageDotsView;
class QAction;
class QContextMenuEvent;
class QDialog;
class QDrag;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTimer;
class UninstallRequests;
class WallpaperBackdrop;
class WindowUnderPointer;

// The whole content of the launcher window: blurred wallpaper, search plate,
// the grid of tiles (one page at a time, or one scrolling list), page dots,
// hint line, drop marker and settings button, with every input that acts on
// them. It reads and changes the model only through the session; the
// session's changed signal rebuilds it.
//
// The view holds its subviews and routes events; each interaction is a part
// it owns, with the view as the part's host: the page turner (paging/), the
// presentation animator (show and hide), the edit-mode controller, the
// tile-drag controller and the folder host. Its sources by responsibility:
//   launcher_view.cpp              construction, derived properties, the parts
//   launcher_view_build.cpp        subviews, rebuild, relayout, tile geometry
//   launcher_view_presentation.cpp show and hide
//   launcher_view_chrome.cpp       search plate, hint, texts, search and keys
//   launcher_view_paging.cpp       the turner's grid, paging inputs, clicks
//   launcher_view_folders.cpp      folder hosting, context menu, modal prompts
class LauncherView : public QWidget,
                     private PresentationAnimator::Host,
                     private EditModeController::Host,
                     private TileDragController::Host
{
    Q_OBJECT

public:
    // The frame is the covered screen's rectangle; the session and the icon
    // provider outlive the view.
    LauncherView(const QRect &frame, LauncherSession &session, IconProvider &icons, const LaunchOptions &options,
                 QWidget *parent = nullptr);
    ~LauncherView() override;

    LauncherView(const LauncherView &) = delete;
    LauncherView &operator=(const LauncherView &) = delete;

    // Hold-to-make-folder tuning of the merge hover.
    static inline const MergeHoverGate::Tuning mergeTuning = TileDragController::mergeTuning;
    // A background press released within this many points hides the launcher.
    static constexpr double backgroundClickMaxDrift = 8;
    // A frameless line edit draws its text this far inside its frame (Qt's
    // fixed inner margin).
    static constexpr double searchFieldTextInset = 2;

    // --- Outward callbacks (set by the owner) -----------------------------------
    std::function<void()> onHide;
    std::function<void(const AppItem &app)> onOpenApp;
    std::function<void()> onOpenSettings;

    // --- Uninstall (launcher_view_uninstall.cpp) -----------------------------------------
    // Where uninstall requests go; set by the owner, not owned.
    void setUninstallRequests(UninstallRequests *requests) { m_uninstallRequests = requests; }
    void uninstall(const QStringList &appIDs, bool previewOnly = false);
    // Automation: the application a query names, or the first delete badge,
    // in preview mode.
    void previewUninstall(const QString &matching);
    void previewUninstallFromFirstBadge();

    // --- Derived properties -------------------------------------------------------
    bool scrollMode() const;
    // The settings' column count, never below 1 (nothing divides by it otherwise).
    int columns() const;
    int pageCapacity() const;
    QRectF gridRect() const;
    double currentIconSide() const { return m_geometry.iconSide(); }
    bool isEditing() const { return m_editMode.isEditing(); }
    std::optional<QString> mergeCandidate() const;
    std::optional<QString> mergeTargetID() const;
    EditModeBadgePlacement badgePlacement() const;
    // The window's device pixel ratio; 2 when the view is in no window.
    double backingScale() const;
    bool pagingEnabled() const;        // launcher_view_paging.cpp
    bool acceptsPointerPaging() const; // launcher_view_paging.cpp
    bool acceptsEdgeAutoPage() const;  // launcher_view_paging.cpp

    // --- Read access for the owner, automation and tests ----------------------------
    LauncherSession &session() const { return m_session; }
    IconProvider &icons() const { return m_icons; }
    const LaunchOptions &options() const { return m_options; }
    const GridGeometry &geometry() const { return m_geometry; }
    const QList<LayoutEntry> &entries() const { return m_entries; }
    const QList<AppTile *> &tiles() const { return m_tiles; }
    const QList<QRectF> &tileFrames() const { return m_tileFrames; }
    int pageCount() const { return m_pageCount; }
    int currentPage() const { return m_currentPage; }
    const QString &query() const { return m_query; }
    const QSet<QString> &selection() const { return m_selection; }
    double presentationProgress() const { return m_presentation.progress(); }
    bool isPresentationRunning() const { return m_presentation.isRunning(); }
    QLineEdit *searchField() const { return m_searchField; }
    QWidget *searchPlate() const { return m_searchPlate; }
    QWidget *searchIcon() const { return m_searchIcon; }
    QWidget *tilesHost() const { return m_tilesHost; }
    QScrollArea *scrollContainer() const { return m_scrollContainer; }
    PageDotsView *pageDots() const { return m_pageDots; }
    QLabel *hintLabel() const { return m_hintLabel; }
    // The hint line at the bottom, in the current language: in edit mode
    // what editing offers; else the hot key that opens the launcher (left
    // out when there is none), then the keys and gestures of the grid.
    static QString hintText(bool editing, Settings::HotKeyPreset hotKey);
    FillView *insertionIndicator() const { return m_insertionIndicator; }
    QPushButton *settingsButton() const { return m_settingsButton; }
    WallpaperBackdrop *backdrop() const { return m_backdrop; }

    // Replaces the media time of the view and its frame clocks (tests).
    void setTimeSource(FrameClock::TimeSource timeSource);
    double mediaTime() const;
    FrameClock &presentationClock() { return m_presentation.clock(); }
    FrameClock &slideClock() { return m_pageTurner->slideClock(); }
    FrameClock &editClock() { return m_editMode.clock(); }

    // --- Build, rebuild and relayout (launcher_view_build.cpp) ------------------------
    void rebuild();
    void relayout();
    void applySettingsAppearance();
    void updateSearchPlaceholder();
    void openFolderDemo();
    void refreshIcons(const QString &appID);
    // Keeps the decoded icons of the pages next to the current one (and of
    // their folders' previews), loads the neighbours' behind the page shown,
    // and lets the icon cache drop the rest.
    void retainNearPageIcons(const QList<QList<LayoutEntry>> &pages, bool scroll);
    // With --dump-windows: "[icons] drawn" once every tile of the page has
    // been painted with its image.
    void logWhenPageDrawn();

    // --- Tile geometry and transforms (launcher_view_build.cpp) --------------------
    QRectF snapToDevicePixels(const QRectF &rect) const;
    void setSlideOrigin(QWidget *view, double x);
    QRectF tileFrame(int index) const;
    void configureTileForEditMode(AppTile *tile);
    std::optional<QImage> folderPreview(const LayoutEntry &entry);
    void applyPresentationTransform();
    void applyEditModeTransforms(double time);
    // The scale the presentation currently puts on a grid host (1 when none).
    static double appliedCenteredScale(const QWidget *view);

    // --- Show and hide (launcher_view_presentation.cpp) ------------------------------
    void animateIn();
    void animateOut(std::function<void()> completion);
    void applyPresentation(double progress);
    void presentationTick();
    // The alpha the presentation currently gives the view (1 when none).
    double appliedAlpha() const;
    // Freezes an interactive page drag at `progress` (automation).
    void simulateDrag(double progress);

    // --- Chrome, localized text, search and keys (launcher_view_chrome.cpp) -----------
    void layoutSearchContents();
    void applyEditModeHint();
    void refreshLocalizedText();
    void openSettings();
    // The search field's edit (what the user typed, not programmatic changes).
    void searchTextChanged(const QString &text);
    // One command key in the search field; true when handled here.
    bool handleSearchFieldKey(int key);
    void focusSearchField();

    // --- Page-turn engine and paging inputs (launcher_view_paging.cpp) -----------------
    void goToPage(int page);
    void preparePaging(int direction, double progress, bool forceVisual = false);
    FlippedView *detachCurrentTiles();
    void applySlide(double progress, int direction);
    double slideX(double progress, bool incoming) const;
    void animateSlide(double target, double duration, std::function<void()> completion);
    void slideTick();
    static double slideEase(double t);
    void finishPaging();
    void flushPendingPage();
    void handleSignal(const PageDragGesture::Signal &signal);
    void scheduleGestureIdle();
    void settleInteractivePaging(bool commit, double duration);
    void handleSideButton(int buttonNumber, double timestamp, int eventNumber);
    void handlePointerSignal(const PageDragGesture::Signal &signal);
    EdgeAutoPagePolicy::Action applyEdgeAutoPage(const QPointF &point, const std::optional<QString> &draggedID,
                                                 double timestamp);
    void discardTransientPages();
    void simulatePageInputForAutomation(const QString &input);
    std::optional<int> tileIndex(const QPointF &point) const;
    std::optional<int> hitTileIndex(const QPointF &point) const;
    QPointF gridPoint(const QPointF &point) const;
    void openFolder(const LayoutEntry &entry);

    // --- Folders, edit mode, drag and drop (the parts; launcher_view.cpp) -------------
    void showFolderOverlay(const LayoutEntry &entry, std::optional<int> initialPage);
    void refreshFolderOverlayGeometry();
    void folderOverlayBackdropChanged();
    void syncOptionKeyBaseline();
    void exitEditMode();
    void scheduleLongPress();
    void cancelLongPress();
    void updateSelectionDisplay();
    // Ends the press: its tile's highlight and what its release would do.
    void clearPressedState();
    // Ends a tile drag in the window without a drop (Escape, hiding); false
    // when no drag runs.
    bool cancelTileDrag();
    // Takes a plain press's highlight off its tile (launcher_view_paging.cpp).
    void endPressHighlight();
    void applyJiggle(AppTile *tile, double rotationRadians, double translationX, double translationY);
    std::optional<int> badgeTileIndex(const QPointF &point) const;
    void handleBadgeTap(int index, bool previewOnly);
    // One Alt (Option) change: whether it is down after the change, and the
    // key code of the key that changed (58 left, 61 right).
    void handleOptionFlags(bool optionDown, int keyCode);
    void simulateOptionKeyForAutomation();
    void releaseOptionForAutomation();
    void enterEditModeForAutomation();
    EditModeController &editMode() { return m_editMode; }
    TileDragController &tileDrag() { return m_tileDrag; }
    void startDrag(const QString &entryID, const QPointF &startPoint);
    // "--simulate-drop": replays a drop described by its argument and logs the "[drop] sim" lines.
    void simulateDropForAutomation(const QString &spec);
    void cancelEdgeAutoPage();
    void createTransientPage();

    // --- Folder hosting, context menu and modal prompts (launcher_view_folders.cpp) -----
    void closeFolder();
    void dropFromFolder(const QString &appID, const QPointF &point);
    FolderOverlay *folderOverlay() const;
    FolderHost &folderHost();
    ContextMenuActions &contextMenuActions();
    void performContextAction(MenuAction action, const QStringList &entryIDs, const QStringList &appIDs);
    void promptRename(const QString &title, const QString &current,
                      const std::function<void(const QString &name)> &apply);
    // Runs a modal dialog and returns its result; the owner sets the alert
    // runner with its watchdog. Plain exec() when unset.
    std::function<int(QDialog &dialog)> runModal;
    // Where "show in the file manager" goes; the desktop's by default.
    void setFileManager(std::shared_ptr<FileManager> fileManager);
    // Tells a tile drag when the pointer is over another application's window
    // stacked above the launcher; none by default (no other window is seen).
    void setWindowUnderPointer(std::shared_ptr<WindowUnderPointer> windowUnderPointer);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override; // launcher_view_folders.cpp
    void resizeEvent(QResizeEvent *event) override;     // launcher_view_chrome.cpp
    void keyPressEvent(QKeyEvent *event) override;      // launcher_view_chrome.cpp
    bool eventFilter(QObject *watched, QEvent *event) override; // launcher_view_chrome.cpp
    void mousePressEvent(QMouseEvent *event) override;   // launcher_view_paging.cpp
    void mouseMoveEvent(QMouseEvent *event) override;    // launcher_view_paging.cpp
    void mouseReleaseEvent(QMouseEvent *event) override; // launcher_view_paging.cpp
    void wheelEvent(QWheelEvent *event) override;        // launcher_view_paging.cpp
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildSubviews();
    void startPresentation(double target, double duration, bool easeIn, std::function<void()> completion);
    bool presentationAnimates() const;
    // PresentationAnimator::Host
    double presentationNow() const override;
    void showPresentation(double progress) override;
    void installCallbacks();

    // --- Collaborators -----------------------------------------------------------
    LauncherSession &m_session;
    IconProvider &m_icons;
    const LaunchOptions m_options;
    UninstallRequests *m_uninstallRequests = nullptr;

    // --- Fixed subviews, back to front (children of the view) ------------------------
    WallpaperBackdrop *m_backdrop = nullptr;
    QWidget *m_searchPlate = nullptr;
    QWidget *m_searchIcon = nullptr;
    QLineEdit *m_searchField = nullptr;
    FlippedView *m_tilesHost = nullptr;
    QScrollArea *m_scrollContainer = nullptr;
    PageDotsView *m_pageDots = nullptr;
    QLabel *m_hintLabel = nullptr;
    FillView *m_insertionIndicator = nullptr;
    QPushButton *m_settingsButton = nullptr;

    // --- Grid content -----------------------------------------------------------------
    GridGeometry m_geometry{7, 5, QRectF(0, 0, 1200, 700), 1};
    QList<LayoutEntry> m_entries;
    QList<AppTile *> m_tiles;
    QList<QRectF> m_tileFrames;
    int m_pageCount = 1;
    int m_currentPage = 0;
    QString m_query;
    QSet<QString> m_selection;

    // --- Page turning (the state of the turn is the page turner's) --------------------
    FlippedView *m_outgoingHost = nullptr;
    QList<AppTile *> m_outgoingTiles;
    bool m_pointerDragEngaged = false;

    // --- Presentation ---------------------------------------------------------------------
    PresentationAnimator m_presentation{*this};

    // --- Pointer press routing -----------------------------------------------------------------
    std::optional<QPointF> m_dragStartPoint;
    std::optional<QString> m_dragEntryID;
    bool m_hasDragged = false;
    std::optional<int> m_clickedIndex;
    bool m_backgroundClick = false;
    std::optional<QPointF> m_backgroundPressPoint;
    // The window system's time of the last press, in milliseconds (0: none
    // given): how long a press was held is measured between its events, not
    // between the moments this thread got round to them.
    quint64 m_pressEventTime = 0;
    // The selection is a plain press's highlight of its tile: it ends with
    // the press (release, drag, page turn, rebuild, hide).
    bool m_pressHighlight = false;

    // --- Life ---------------------------------------------------------------------------------
    bool m_built = false;
    bool m_pageDrawnLogged = false;
    QSizeF m_backdropSize{0, 0};

    // --- The parts, each with this view as its host ------------------------------------------
    // EditModeController::Host, TileDragController::Host
    const QList<AppTile *> &editableTiles() const override { return m_tiles; }
    const QList<AppTile *> &outgoingEditableTiles() const override { return m_outgoingTiles; }
    void applyEditModeAppearance() override;
    void applyEditModeTransformsAt(double time) override { applyEditModeTransforms(time); }
    void clearSelectionForEditMode() override;
    double editModeNow() const override { return mediaTime(); }
    bool editModeFreezesJiggle() const override { return m_options.freezeJiggle; }
    bool editModeLogs() const override { return m_options.dumpWindows; }
    QString badgePlacementName() const override;
    QPointF pointInTile(const AppTile *tile, const QPointF &point) const override;
    void deleteBadgeTapped(int index, bool previewOnly) override;
    void rebuildGrid() override { rebuild(); }
    QWidget *dragSurface() override { return this; }
    LauncherSession &dragSession() override { return m_session; }
    const QList<AppTile *> &dragTiles() const override { return m_tiles; }
    const QList<LayoutEntry> &dragEntries() const override { return m_entries; }
    const QList<QRectF> &dragTileFrames() const override { return m_tileFrames; }
    QPointF dragGridPoint(const QPointF &point) const override { return gridPoint(point); }
    QRectF dragSlotFrame(int index) const override;
    int dragInsertionIndex(const QPointF &point) const override;
    double dragIconSide() const override { return m_geometry.iconSide(); }
    double dragCellWidth() const override { return m_geometry.cellSize.width(); }
    int dragPageCapacity() const override { return pageCapacity(); }
    bool dragShowsLabels() const override;
    bool dragFlat() const override;
    bool dragScrollMode() const override { return scrollMode(); }
    bool dragSearching() const override { return !m_query.isEmpty(); }
    int dragCurrentPage() const override { return m_currentPage; }
    int dragPageCount() const override { return m_pageCount; }
    void dragGoToPage(int page) override { goToPage(page); }
    bool dragEdgePagingAllowed() const override { return acceptsEdgeAutoPage(); }
    EdgeAutoPagePolicy::Action dragApplyEdgeAutoPage(const QPointF &point, const QString &draggedID,
                                                     double now) override
    {
        return applyEdgeAutoPage(point, draggedID, now);
    }
    double dragNow() const override { return mediaTime(); }
    bool dragLogs() const override { return m_options.dumpWindows; }
    void dragOpenFolder(const LayoutEntry &entry) override { openFolder(entry); }
    FillView *dragMarker() override { return m_insertionIndicator; }
    IconProvider &dragIcons() override { return m_icons; }
    bool dragPointerOverOtherWindow() override;
    std::shared_ptr<WindowUnderPointer> m_windowUnderPointer;

    EditModeController m_editMode{static_cast<EditModeController::Host &>(*this)};
    TileDragController m_tileDrag{static_cast<TileDragController::Host &>(*this)};
    // The folder host and the context menu, with the adapter through which
    // they reach this view (launcher_view_folders.cpp).
    struct FolderParts;
    std::shared_ptr<FolderParts> makeFolderParts();
    std::shared_ptr<FolderParts> m_folderParts = makeFolderParts();
    FolderHost &m_folders = folderHost();

    // --- Wiring ----------------------------------------------------------------------------
    FrameClock::TimeSource m_timeSource;
    quint64 m_languageObserver = 0;
    // Sees Alt go down and up wherever the focus is in the window.
    QObject *m_optionKeyFilter = nullptr;

    // --- Page turning as a part: the grid it moves, and the turner --------------------
public:
    // The side buttons as numbered by the paging policy: 3 back, 4 forward
    // (0 for buttons that are no side button and no middle button).
    static int sideButtonNumber(Qt::MouseButton button);
    PageTurner &pageTurner() { return *m_pageTurner; }

private:
    class Grid;
    std::unique_ptr<PageTurner::Host> makeGrid();
    std::unique_ptr<PageTurner> makePageTurner();

    // Declared last: the turner goes first, before the grid and the hosts it moves.
    std::unique_ptr<PageTurner::Host> m_grid = makeGrid();
    std::unique_ptr<PageTurner> m_pageTurner = makePageTurner();
};
