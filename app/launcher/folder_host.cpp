#include "launcher/folder_host.h"

#include "folders/folder_item.h"
#include "folders/folder_overlay.h"
#include "folders/folder_title_field.h"
#include "launcher/launcher_grid.h"
#include "session/launch_options.h"
#include "session/launcher_session.h"
#include "tiles/icon_provider.h"

#include "foundation/log.h"
#include "localization/l10n.h"
#include "model/launcher_layout.h"
#include "policy/display_paging.h"
#include "policy/grid_geometry.h"
#include "policy/page_drop_order.h"

#include <QTimer>

#include <algorithm>

FolderHost::FolderHost(LauncherGrid &grid, Host &host) : m_grid(grid), m_host(host)
{
}

FolderHost::~FolderHost()
{
    // The view is going: the overlay must call back into nothing.
    if (FolderOverlay *overlay = m_overlay.data()) {
        overlay->onClose = {};
        overlay->onOpen = {};
        overlay->onRemove = {};
        overlay->onRename = {};
        overlay->onDragOut = {};
        overlay->onDragMoveOut = {};
        overlay->onDragOutEnded = {};
        overlay->fileURLProvider = {};
        overlay->gridIconSideProvider = {};
        overlay->sideInsetRatioProvider = {};
    }
}

QString FolderHost::nameAfterEdit(const QString &typed)
{
    return typed.trimmed().isEmpty() ? LayoutFolder::defaultName() : typed;
}

QList<FolderItem> FolderHost::itemsOf(const LayoutFolder &folder) const
{
    LauncherSession &session = m_grid.session;
    QList<FolderItem> items;
    for (const QString &id : folder.bundleIDs) {
        const std::optional<AppItem> app = session.app(id);
        if (!app)
            continue;
        std::optional<QImage> icon = m_grid.icons.cachedIcon(*app);
        if (!icon) {
            // Not loaded yet: read now, so that the folder never opens blank.
            QImage read = IconProvider::loadBundleIcon(app->path);
            icon = read.isNull() ? IconProvider::genericAppIcon() : read;
        }
        items.append(FolderItem{id, session.titleFor(LayoutEntry::app(id)), icon});
    }
    return items;
}

void FolderHost::show(const LayoutFolder &folder, std::optional<int> initialPage)
{
    if (m_overlay) {
        FolderOverlay *previous = m_overlay.data();
        m_overlay = nullptr;
        previous->dispose();
    }

    const QList<FolderItem> items = itemsOf(folder);
    const int pages = std::max(1, int((items.size() + columns * rows - 1) / (columns * rows)));
    const int page = initialPage.value_or(m_grid.options.folderPage);
    Log::write("[folder] name=%@ items=%d columns=7 rows=5 pages=%d page=%d", folder.name, int(items.size()), pages,
               std::min(page, pages - 1));

    QWidget *parent = &m_grid.view;
    auto *overlay = new FolderOverlay(parent->rect(), folder, items, page, parent);
    const QPointer<FolderOverlay> weak(overlay);
    const QPointer<QWidget> view(parent);
    // Every callback acts only while its overlay is the open one and the view lives.
    const auto current = [this, weak, view] { return view && weak && m_overlay == weak; };

    overlay->gridIconSide = m_grid.geometry.iconSide();
    overlay->gridIconSideProvider = [this, view] { return view ? m_grid.geometry.iconSide() : 88.0; };
    overlay->sideInsetRatioProvider = [this, view] {
        return view ? m_grid.session.settings().sideInset : 0.16;
    };
    if (const std::optional<QImage> backdrop = m_host.backdropImage())
        overlay->setBackdropImage(*backdrop);
    overlay->locksPaging = m_grid.options.lockPage;

    overlay->onClose = [this, current] {
        if (current())
            close();
    };
    overlay->onOpen = [this, current](const QString &appID) {
        if (!current())
            return;
        if (const std::optional<AppItem> app = m_grid.session.app(appID))
            m_host.openApp(*app);
    };
    overlay->onRename = [this, current, folder](const QString &name) {
        if (current())
            rename(folder, name);
    };
    overlay->onRemove = [this, current](const QString &appID) {
        if (current())
            removeMember(appID);
    };
    overlay->fileURLProvider = [this, view](const QString &appID) -> std::optional<QUrl> {
        if (!view)
            return std::nullopt;
        if (const std::optional<AppItem> app = m_grid.session.app(appID))
            return app->url();
        return std::nullopt;
    };
    overlay->onDragMoveOut = [this, current](const QPointF &point) {
        if (current())
            m_host.dropPreview(point);
    };
    // No marker outlives a drag-out that dropped nothing.
    overlay->onDragOutEnded = [this, current] {
        if (current())
            m_host.clearDropIndicators();
    };
    overlay->onDragOut = [this, current](const QString &appID, const QPointF &point) {
        if (current())
            dropFromFolder(appID, point);
    };

    m_overlay = overlay;
    overlay->show();
    overlay->raise();
    // The folder takes the keys (arrows page it); its title is not edited until clicked.
    overlay->setFocus(Qt::OtherFocusReason);
    m_host.overlayChanged(overlay);
}

void FolderHost::showDemo()
{
    const QList<LayoutEntry> all = m_grid.session.layout().allEntries();
    for (const LayoutEntry &entry : all) {
        if (entry.isFolder()) {
            show(*entry.folder, std::nullopt);
            return;
        }
    }
    QStringList ids;
    for (const LayoutEntry &entry : all) {
        if (entry.appID)
            ids.append(*entry.appID);
        if (ids.size() == 4)
            break;
    }
    if (ids.isEmpty())
        return;
    // Shown only in the overlay; the layout stays as it is.
    const LayoutFolder folder(LayoutFolder::newIdentifier(), L(QStringLiteral("常用工具")), ids);
    show(folder, std::nullopt);
}

void FolderHost::close()
{
    FolderOverlay *overlay = m_overlay.data();
    if (!overlay)
        return;
    // Forgotten first: whatever the overlay reports while it goes is stale.
    m_overlay = nullptr;
    overlay->dispose();
    m_host.overlayChanged(nullptr);
}

void FolderHost::rename(const LayoutFolder &folder, const QString &typed)
{
    const QString name = nameAfterEdit(typed);
    if (name != typed && m_overlay)
        m_overlay->titleField()->setText(name);
    const QString entryID = QStringLiteral("folder:") + folder.id;
    m_grid.session.commit([&](LauncherLayout &layout) { layout.rename(entryID, name); });
    // However the edit ended (Return, a press in the panel or beside it), the
    // folder closes on its new name; the press that ended it acts on nothing.
    close();
}

void FolderHost::removeMember(const QString &appID)
{
    LauncherSession &session = m_grid.session;
    const int pageSize = session.settings().pageSize();
    const int currentPage = m_grid.currentPage;
    session.commit([&](LauncherLayout &layout) {
        layout.remove(QStringLiteral("app:") + appID);
        const int page = std::min(currentPage, std::max(0, int(layout.pages.size()) - 1));
        layout.insert(LayoutEntry::app(appID), page, int(layout.pages.at(page).size()));
        // The page may have been full: what no longer fits moves on.
        layout.normalizePages(pageSize);
    });
    close();
}

void FolderHost::dropFromFolder(const QString &appID, const QPointF &point)
{
    LauncherSession &session = m_grid.session;
    const Settings settings = session.settings();
    const int slot = m_grid.insertionIndex(point);
    const int dropPage = m_grid.currentPage;
    const int pageSize = settings.pageSize();
    const bool showHidden = settings.showHidden;
    QList<LayoutEntry> hiddenEntries;
    if (showHidden) {
        QList<AppItem> hidden;
        for (const QString &id : session.layout().hiddenIDs) {
            if (session.appsByID().contains(id))
                hidden.append(session.appsByID().value(id));
        }
        for (const AppItem &app : LauncherLayout::sortedByName(hidden))
            hiddenEntries.append(LayoutEntry::app(app.stableID()));
    }
    const bool flat = m_grid.scrollMode() || m_grid.searching();
    m_host.clearDropIndicators();

    const QPointer<QWidget> view(&m_grid.view);
    QTimer::singleShot(0, view, [this, view, appID, slot, dropPage, pageSize, showHidden, hiddenEntries, flat] {
        if (!view)
            return;
        close();
        const bool scrollMode = m_grid.scrollMode();
        m_grid.session.commit([&](LauncherLayout &layout) {
            const LayoutEntry entry = LayoutEntry::app(appID);
            layout.remove(QStringLiteral("app:") + appID);
            if (!flat) {
                const QList<QList<LayoutEntry>> pages =
                    DisplayPaging::pages(layout, showHidden, hiddenEntries, pageSize);
                if (const auto placed =
                        PageDropOrder::placing(pages, std::nullopt, entry, dropPage, slot, pageSize)) {
                    layout.pages = PageDropOrder::strippingHidden(*placed, layout.hiddenIDs);
                    layout.normalizePages(pageSize);
                }
                return;
            }
            // A flat grid (one scrolling list, or search results shown a page
            // at a time) has no pages of its own: the slot counts from the
            // first entry in scroll mode and from the first of the results
            // page shown during a search, and lands in the order of all
            // entries, as a tile dropped there does.
            QList<LayoutEntry> all = layout.allEntries();
            const int base = scrollMode ? 0 : dropPage * pageSize;
            all.insert(std::clamp(base + slot, 0, int(all.size())), entry);
            layout.pages = GridGeometry::chunk(all, pageSize);
            layout.normalizePages(pageSize);
        });
    });
}

void FolderHost::refreshGeometry()
{
    if (!m_overlay)
        return;
    // The overlay covers the whole view, whatever its size now.
    const QRect bounds = m_grid.view.rect();
    if (m_overlay->geometry() != bounds)
        m_overlay->setGeometry(bounds);
    m_overlay->refreshGeometry();
}

void FolderHost::backdropChanged()
{
    if (!m_overlay)
        return;
    if (const std::optional<QImage> backdrop = m_host.backdropImage())
        m_overlay->setBackdropImage(*backdrop);
}
