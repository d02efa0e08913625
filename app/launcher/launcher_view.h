#pragma once

#include "launcher/centered_scale_effect.h"
#include "launcher/context_menu_actions.h"
#include "launcher/edit_mode_controller.h"
#include "launcher/fill_view.h"
#include "launcher/folder_host.h"
#include "launcher/grid_tiles.h"
#include "launcher/launcher_chrome.h"
#include "launcher/launcher_grid.h"
#include "launcher/launcher_key_routing.h"
#include "launcher/launcher_pages.h"
#include "launcher/page_canvas.h"
#include "launcher/pointer_press_controller.h"
#include "launcher/presentation_animator.h"
#include "launcher/search_plate.h"
#include "launcher/tile_drag_controller.h"
#include "launcher/uninstall_preview_automation.h"
#include "paging/frame_clock.h"
#include "paging/page_turner.h"
#include "session/launch_options.h"

#include "model/app_item.h"
#include "model/layout_entry.h"
#include "model/settings.h"
#include "policy/edit_mode_badge_placement.h"
#include "policy/grid_geometry.h"
#include "policy/menu_action.h"
#include "policy/merge_hover_gate.h"

#include <QImage>
#include <QList>
#include <QPointF>
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
class FileManager;
class FolderOverlay;
class IconProvider;
class LauncherSession;
class PageDotsView;
class PictureReserve;
class QContextMenuEvent;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class UninstallRequests;
class WallpaperBackdrop;
class WindowUnderPointer;

// The whole content of the launcher window: blurred wallpaper, search plate,
// the grid of tiles (one page at a time, or one scrolling list), page dots,
// hint line, drop marker and settings button, with every input that acts on
// them. It reads and changes the model only through the session; the
// session's changed signal rebuilds it.
//
// The view holds its subviews, routes events and names the launcher's
// operations. What the grid shows (entries, tiles, frames, page, query,
// selection, geometry) is one LauncherGrid that every part reads; each
// interaction is a part the view owns, which tells the view what it did
// through a host of a few methods: the pages and their turner, the pointer
// press, the tiles, the presentation animator (show and hide), the edit-mode
// controller, the tile-drag controller, the folder host, the context-menu
// actions, the chrome (hint line and settings button) and the uninstall
// entry points. Its sources by responsibility:
//   launcher_view.cpp              construction, the parts' hosts, drag and drop
//   launcher_view_build.cpp        subviews, rebuild, relayout
//   launcher_view_presentation.cpp show and hide
//   launcher_view_chrome.cpp       localized texts, search and keys
//   launcher_view_paging.cpp       page turns, wheel and mouse events
//   launcher_view_folders.cpp      folder hosting, context menu, modal prompts
class LauncherView : public QWidget,
                     private PresentationAnimator::Host,
                     private EditModeController::Host,
                     private TileDragController::Host,
                     private PointerPressController::Host,
                     private LauncherPages::Host
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
    // A frameless line edit draws its text this far inside its frame (Qt's
    // fixed inner margin).
    static constexpr double searchFieldTextInset = SearchPlate::fieldTextInset;

    // --- Outward callbacks (set by the owner) -----------------------------------
    std::function<void()> onHide;
    std::function<void(const AppItem &app)> onOpenApp;
    std::function<void()> onOpenSettings;
    // Runs a modal dialog and returns its result; the owner sets the alert
    // runner with its watchdog. Plain exec() when unset.
    std::function<int(QDialog &dialog)> runModal;

    // --- Uninstall (UninstallPreviewAutomation) ------------------------------------------
    // Where uninstall requests go; set by the owner, not owned.
    void setUninstallRequests(UninstallRequests *requests) { m_uninstall.setRequests(requests); }
    void uninstall(const QStringList &appIDs, bool previewOnly = false) { m_uninstall.uninstall(appIDs, previewOnly); }
    void previewUninstall(const QString &matching) { m_uninstall.previewMatching(matching); }
    void previewUninstallFromFirstBadge() { m_uninstall.previewFirstBadge(); }
    void handleBadgeTap(int index, bool previewOnly) { m_uninstall.badgeTapped(index, previewOnly); }

    // --- Derived properties -------------------------------------------------------
    bool scrollMode() const { return m_grid.scrollMode(); }
    int columns() const { return m_grid.columns(); }
    QRectF gridRect() const { return m_grid.gridRect(); }
    double currentIconSide() const { return m_grid.geometry.iconSide(); }
    bool isEditing() const { return m_editMode.isEditing(); }
    std::optional<QString> mergeCandidate() const { return m_tileDrag.mergeGate().candidate(); }
    std::optional<QString> mergeTargetID() const { return m_tileDrag.mergeGate().committed(); }
    EditModeBadgePlacement badgePlacement() const;
    bool pagingEnabled() const override;
    bool acceptsPointerPaging() const;
    bool acceptsEdgeAutoPage() const;

    // --- Read access for the owner, automation and tests ----------------------------
    LauncherSession &session() const { return m_grid.session; }
    IconProvider &icons() const { return m_grid.icons; }
    const LaunchOptions &options() const { return m_options; }
    const GridGeometry &geometry() const { return m_grid.geometry; }
    const QList<LayoutEntry> &entries() const { return m_grid.entries; }
    const QList<AppTile *> &tiles() const { return m_grid.tiles; }
    const QList<QRectF> &tileFrames() const { return m_grid.tileFrames; }
    int pageCount() const { return m_grid.pageCount; }
    int currentPage() const { return m_grid.currentPage; }
    const QString &query() const { return m_grid.query; }
    const QSet<QString> &selection() const { return m_grid.selection; }
    double presentationProgress() const { return m_presentation.progress(); }
    bool isPresentationRunning() const { return m_presentation.isRunning(); }
    QLineEdit *searchField() const { return m_searchPlate->field(); }
    QWidget *searchPlate() const { return m_searchPlate; }
    QWidget *searchIcon() const { return m_searchPlate->icon(); }
    QWidget *tilesHost() const { return m_grid.tilesHost; }
    QScrollArea *scrollContainer() const { return m_scrollContainer; }
    PageDotsView *pageDots() const { return m_pageDots; }
    QLabel *hintLabel() const { return m_chrome->hintLabel(); }
    FillView *insertionIndicator() const { return m_insertionIndicator; }
    QPushButton *settingsButton() const { return m_chrome->settingsButton(); }
    WallpaperBackdrop *backdrop() const { return m_backdrop; }

    // Replaces the media time of the view and its frame clocks (tests).
    void setTimeSource(FrameClock::TimeSource timeSource);
    FrameClock &presentationClock() { return m_presentation.clock(); }
    FrameClock &slideClock() { return m_pages.turner().slideClock(); }
    FrameClock &editClock() { return m_editMode.clock(); }

    // --- The parts ----------------------------------------------------------------------
    EditModeController &editMode() { return m_editMode; }
    TileDragController &tileDrag() { return m_tileDrag; }
    PageTurner &pageTurner() { return m_pages.turner(); }
    FolderHost &folderHost() const;
    ContextMenuActions &contextMenuActions() const;

    // --- Build, rebuild and relayout (launcher_view_build.cpp) ------------------------
    void rebuild();
    void relayout();
    void applySettingsAppearance();
    void updateSearchPlaceholder() { m_searchPlate->updatePlaceholder(); }
    void openFolderDemo() { folderHost().showDemo(); }
    void refreshIcons(const QString &appID);

    // --- Tile geometry and transforms (launcher_view_build.cpp) --------------------
    void setSlideOrigin(QWidget *view, double x) { m_pages.setSlideOrigin(view, x); }
    std::optional<QImage> folderPreview(const LayoutEntry &entry) { return m_tiles.folderPreview(entry); }
    void applyPresentationTransform();
    void applyEditModeTransforms(double time) { m_tiles.applyJiggle(time); }
    void updateSelectionDisplay() { m_tiles.showSelection(); }
    // The scale the presentation currently puts on a grid host (1 when none).
    static double appliedCenteredScale(const QWidget *view) { return CenteredScaleEffect::scaleOf(view); }

    // --- Show and hide (launcher_view_presentation.cpp) ------------------------------
    void animateIn();
    void animateOut(std::function<void()> completion);
    void applyPresentation(double progress);
    // The plain colour the host paints under the view, while it knows it: the
    // fade then draws the view in place rather than through a picture of it.
    void setPresentationUnderlay(FadeEffect::Underlay underlay) { m_presentationUnderlay = std::move(underlay); }
    const FadeEffect::Underlay &presentationUnderlay() const { return m_presentationUnderlay; }
    // The alpha the presentation currently gives the view (1 when none).
    double appliedAlpha() const { return PresentationAnimator::alphaOf(*this); }
    // Freezes an interactive page drag at `progress` (automation).
    void simulateDrag(double progress);

    // --- Chrome, localized text, search and keys (launcher_view_chrome.cpp) -----------
    void layoutSearchContents() { m_searchPlate->layoutContents(); }
    void applyEditModeHint();
    void refreshLocalizedText();
    void openSettings();
    // The search field's edit (what the user typed, not programmatic changes).
    void searchTextChanged(const QString &text);
    // One command key in the search field; true when handled here.
    bool handleSearchFieldKey(int key);
    void focusSearchField() { m_searchPlate->focusField(); }

    // --- Page turns, paging inputs and clicks (launcher_view_paging.cpp) -----------------
    void goToPage(int page);
    void preparePaging(int direction, double progress, bool forceVisual = false);
    void finishPaging();
    void simulatePageInputForAutomation(const QString &input);
    std::optional<int> tileIndex(const QPointF &point) const { return m_grid.tileIndex(point); }
    std::optional<int> hitTileIndex(const QPointF &point) const { return m_grid.hitTileIndex(point); }
    void openFolder(const LayoutEntry &entry);
    // Ends the press: its tile's highlight and what its release would do.
    void clearPressedState() { m_press.clear(); }
    // Ends a tile drag in the window without a drop (Escape, hiding); false
    // when no drag runs.
    bool cancelTileDrag() { return m_press.cancelTileDrag(); }

    // --- Edit mode, drag and drop (launcher_view.cpp) -----------------------------------
    void syncOptionKeyBaseline();
    void exitEditMode() { m_editMode.exit(); }
    // One Alt (Option) change: whether it is down after the change, and the
    // key code of the key that changed (58 left, 61 right).
    void handleOptionFlags(bool optionDown, int keyCode) { m_editMode.handleOptionFlags(optionDown, keyCode); }
    void simulateOptionKeyForAutomation() { m_editMode.simulateOptionKeyForAutomation(); }
    void releaseOptionForAutomation() { m_editMode.releaseOptionForAutomation(); }
    void enterEditModeForAutomation() { m_editMode.enterEditModeForAutomation(); }
    // "--simulate-drop": replays a drop described by its argument and logs the "[drop] sim" lines.
    void simulateDropForAutomation(const QString &spec) { m_tileDrag.simulateDropForAutomation(spec); }
    // Tells a tile drag when the pointer is over another application's window
    // stacked above the launcher; none by default (no other window is seen).
    void setWindowUnderPointer(std::shared_ptr<WindowUnderPointer> windowUnderPointer);
    // Memory prepared for the picture the next show zooms; given back once
    // that show is over.
    void setPictureReserve(std::shared_ptr<PictureReserve> reserve) { m_pictureReserve = std::move(reserve); }

    // --- Folder hosting, context menu and modal prompts (launcher_view_folders.cpp) -----
    void showFolderOverlay(const LayoutEntry &entry, std::optional<int> initialPage)
    {
        if (entry.folder)
            folderHost().show(*entry.folder, initialPage);
    }
    void closeFolder() { folderHost().close(); }
    void dropFromFolder(const QString &appID, const QPointF &point) { folderHost().dropFromFolder(appID, point); }
    void refreshFolderOverlayGeometry() { folderHost().refreshGeometry(); }
    void folderOverlayBackdropChanged() { folderHost().backdropChanged(); }
    FolderOverlay *folderOverlay() const { return folderHost().overlay(); }
    void performContextAction(MenuAction action, const QStringList &entryIDs, const QStringList &appIDs)
    {
        contextMenuActions().perform(action, entryIDs, appIDs);
    }
    void promptRename(const QString &title, const QString &current,
                      const std::function<void(const QString &name)> &apply)
    {
        contextMenuActions().promptRename(title, current, apply);
    }
    // Where "show in the file manager" goes; the desktop's by default.
    void setFileManager(std::shared_ptr<FileManager> fileManager);

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
    void installCallbacks();
    bool presentationAnimates() const;
    void releasePictureReserve();
    bool isFolderOpen() const { return folderHost().isOpen(); }
    // Carries out what a key routes to; false when the key is not the launcher's.
    bool performKeyAction(LauncherKeyRouting::Action action);

    // PresentationAnimator::Host
    double presentationNow() const override { return m_grid.now(); }
    void showPresentation(double progress) override { applyPresentation(progress); }
    // EditModeController::Host
    void applyEditModeAppearance() override;
    void applyEditModeTransformsAt(double time) override { applyEditModeTransforms(time); }
    void selectionChanged() override { updateSelectionDisplay(); }
    void deleteBadgeTapped(int index, bool previewOnly) override { handleBadgeTap(index, previewOnly); }
    // TileDragController::Host, LauncherPages::Host (and pagingEnabled() above)
    void rebuildGrid() override { rebuild(); }
    bool edgePagingAllowed() const override { return acceptsEdgeAutoPage(); }
    FillView *dropMarker() override { return m_insertionIndicator; }
    bool pointerOverOtherWindow() override;
    // PointerPressController::Host (selectionChanged() and deleteBadgeTapped() as above)
    bool pointerPagingAllowed() const override { return acceptsPointerPaging(); }
    void activate(const LayoutEntry &entry) override;
    void backgroundClicked() override;

    // --- Collaborators -----------------------------------------------------------
    const LaunchOptions m_options;
    std::shared_ptr<WindowUnderPointer> m_windowUnderPointer;
    std::shared_ptr<PictureReserve> m_pictureReserve;
    FadeEffect::Underlay m_presentationUnderlay;

    // --- Fixed subviews, back to front (children of the view; the page canvas is the grid's) ---
    WallpaperBackdrop *m_backdrop = nullptr;
    SearchPlate *m_searchPlate = nullptr;
    QScrollArea *m_scrollContainer = nullptr;
    PageDotsView *m_pageDots = nullptr;
    FillView *m_insertionIndicator = nullptr;
    // The hint line and the settings button.
    std::optional<LauncherChrome> m_chrome;

    // --- State ---------------------------------------------------------------------------------
    // What the grid shows; every part reads it.
    LauncherGrid m_grid;
    bool m_built = false;
    QSizeF m_backdropSize{0, 0};
    quint64 m_languageObserver = 0;

    // --- The parts, each with this view (or an adapter) as its host ---------------------------
    PresentationAnimator m_presentation{static_cast<PresentationAnimator::Host &>(*this)};
    EditModeController m_editMode{m_grid, static_cast<EditModeController::Host &>(*this)};
    TileDragController m_tileDrag{m_grid, static_cast<TileDragController::Host &>(*this)};
    GridTiles m_tiles{m_grid, m_editMode, m_tileDrag};
    // The folder host and the context menu, with the adapter through which
    // they reach this view (launcher_view_folders.cpp).
    struct FolderParts;
    std::shared_ptr<FolderParts> makeFolderParts();
    std::shared_ptr<FolderParts> m_folderParts = makeFolderParts();
    // The page canvases as the page turner moves them, and the turner.
    LauncherPages m_pages{m_grid, static_cast<LauncherPages::Host &>(*this)};
    PointerPressController m_press{m_grid, m_editMode, m_tileDrag, m_pages.turner(),
                                   static_cast<PointerPressController::Host &>(*this)};
    UninstallPreviewAutomation m_uninstall{m_grid, m_editMode, m_pages.turner(), *this};
};
