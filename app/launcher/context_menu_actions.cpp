#include "launcher/context_menu_actions.h"

#include "launcher/launcher_grid.h"
#include "launcher/rename_prompt.h"
#include "modal/modal_step_aside.h"
#include "modal/uninstall_requests.h"
#include "session/launcher_session.h"
#include "tiles/context_menu.h"

#include "file_manager.h"
#include "localization/l10n.h"
#include "model/launcher_layout.h"
#include "model/layout_folder.h"
#include "policy/uninstall_eligibility.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

ContextMenuActions::ContextMenuActions(LauncherGrid &grid, Host &host) : m_grid(grid), m_host(host)
{
    presentMenu = [this](const Request &request) {
        builder().show(request.selectionCount, request.isFolder, request.isHidden, request.isInFolder,
                       request.canUninstall, request.entryIDs, request.appIDs, request.globalPosition,
                       &m_grid.view);
    };
}

ContextMenuActions::~ContextMenuActions() = default;

ContextMenuBuilder &ContextMenuActions::builder()
{
    if (!m_builder)
        m_builder = std::make_shared<ContextMenuBuilder>(
            &m_grid.view, [this](const ContextMenuBuilder::Payload &payload) { choose(payload); });
    return *m_builder;
}

void ContextMenuActions::secondaryClick(const QPointF &point, const QPoint &globalPosition)
{
    if (m_host.menuIsEditing())
        return;
    if (const std::optional<int> hit = m_grid.hitTileIndex(point)) {
        const QList<LayoutEntry> &entries = m_grid.entries;
        if (*hit >= 0 && *hit < entries.size()) {
            const QString id = entries.at(*hit).id;
            if (!m_grid.selection.contains(id))
                m_host.menuSetSelection({id});
        }
    }
    if (const std::optional<Request> request = requestForSelection(globalPosition); request && presentMenu)
        presentMenu(*request);
}

std::optional<ContextMenuActions::Request> ContextMenuActions::requestForSelection(const QPoint &globalPosition) const
{
    const QSet<QString> selection = m_grid.selection;
    if (selection.isEmpty())
        return std::nullopt;
    LauncherSession &session = m_grid.session;
    QList<LayoutEntry> selected;
    for (const LayoutEntry &entry : m_grid.entries) {
        if (selection.contains(entry.id))
            selected.append(entry);
    }
    Request request;
    request.globalPosition = globalPosition;
    request.selectionCount = int(selected.size());
    QList<std::optional<AppItem>> apps;
    for (const LayoutEntry &entry : selected) {
        request.entryIDs.append(entry.id);
        if (entry.appID) {
            request.appIDs.append(*entry.appID);
            apps.append(session.app(*entry.appID));
        }
    }
    request.isFolder = selected.size() == 1 && selected.first().isFolder();
    request.isHidden = !selected.isEmpty() && session.isHidden(selected.first());
    request.canUninstall = UninstallEligibility::canUninstallAll(apps);
    return request;
}

std::unique_ptr<ContextMenu> ContextMenuActions::menuFor(const Request &request)
{
    return builder().makeMenu(request.selectionCount, request.isFolder, request.isHidden, request.isInFolder,
                              request.canUninstall, request.entryIDs, request.appIDs);
}

void ContextMenuActions::choose(const ContextMenuBuilder::Payload &payload)
{
    const QPointer<QWidget> view(&m_grid.view);
    QTimer::singleShot(0, view, [this, view, payload] {
        if (view)
            perform(payload.action, payload.entryIDs, payload.appIDs);
    });
}

void ContextMenuActions::perform(MenuAction action, const QStringList &entryIDs, const QStringList &appIDs)
{
    LauncherSession &session = m_grid.session;
    const std::optional<LayoutEntry> entry =
        entryIDs.isEmpty() ? std::nullopt : session.layout().entry(entryIDs.first());
    const QPointer<QWidget> view(&m_grid.view);

    switch (MenuAction::Value(action)) {
    case MenuAction::open:
        if (entryIDs.size() == 1 && entry && entry->isFolder()) {
            m_host.menuOpenFolder(*entry);
            return;
        }
        for (int i = 0; i < std::min<qsizetype>(maxOpened, appIDs.size()); ++i) {
            if (const std::optional<AppItem> app = session.app(appIDs.at(i)))
                m_host.menuOpenApp(*app);
        }
        return;
    case MenuAction::showInFinder: {
        QStringList paths;
        for (const QString &id : appIDs) {
            if (const std::optional<AppItem> app = session.app(id))
                paths.append(app->path);
        }
        if (!paths.isEmpty()) {
            // The answer may come after the launcher view is gone.
            m_host.menuFileManager().showItems(paths, [this, view](const QString &folder) {
                if (view)
                    reportShowFailure(folder);
            });
        }
        return;
    }
    case MenuAction::rename:
        if (entry && entry->isFolder()) {
            const QString entryID = entry->id;
            promptRename(L(QStringLiteral("重命名文件夹")), entry->folder ? entry->folder->name : QString(),
                         [this, view, entryID](const QString &name) {
                             if (!view)
                                 return;
                             // Empty restores the default name, as the prompt says.
                             const QString stored =
                                 name.trimmed().isEmpty() ? LayoutFolder::defaultName() : name;
                             m_grid.session.commit(
                                 [&](LauncherLayout &layout) { layout.rename(entryID, stored); });
                         });
            return;
        }
        if (appIDs.isEmpty())
            return;
        if (const std::optional<AppItem> app = session.app(appIDs.first())) {
            const QString appID = appIDs.first();
            promptRename(L(QStringLiteral("自定义应用名称")), displayName(*app, session.layout().nameOverrides),
                         [this, view, appID](const QString &name) {
                             if (!view)
                                 return;
                             m_grid.session.commit(
                                 [&](LauncherLayout &layout) { layout.renameApp(appID, name); });
                         });
        }
        return;
    case MenuAction::hide:
        session.commit([&](LauncherLayout &layout) { layout.hide(appIDs); });
        if (view)
            m_host.menuSetSelection({});
        return;
    case MenuAction::unhide: {
        const QList<AppItem> apps = session.apps();
        const int pageSize = session.settings().pageSize();
        session.commit([&](LauncherLayout &layout) { layout.unhide(appIDs, apps, pageSize); });
        return;
    }
    case MenuAction::removeFromFolder:
        // Members leave a folder through the folder's own menu.
        return;
    case MenuAction::uninstall:
        if (UninstallRequests *requests = m_host.menuUninstallRequests())
            requests->uninstall(appIDs, false);
        return;
    case MenuAction::copyPath:
        if (appIDs.isEmpty())
            return;
        if (const std::optional<AppItem> app = session.app(appIDs.first())) {
            QClipboard *clipboard = QGuiApplication::clipboard();
            clipboard->clear();
            clipboard->setText(app->path);
        }
        return;
    case MenuAction::addToFavorites:
        if (!appIDs.isEmpty())
            session.togglePin(appIDs.first());
        return;
    }
}

void ContextMenuActions::promptRename(const QString &title, const QString &current,
                                      const std::function<void(const QString &name)> &apply)
{
    RenamePrompt prompt(title, current);
    const QPointer<QWidget> view(&m_grid.view);
    if (m_stepAside)
        m_stepAside->stepAside();
    const int response = m_host.menuRunModal(prompt);
    if (!view)
        return;
    if (response == QDialog::Accepted && apply)
        apply(prompt.text());
    if (m_stepAside)
        m_stepAside->comeBack();
}

void ContextMenuActions::reportShowFailure(const QString &folder)
{
    QMessageBox alert(QMessageBox::Warning, QStringLiteral("Tessellon"),
                      L(QStringLiteral("无法在文件管理器中显示“%@”。"), folder), QMessageBox::NoButton);
    alert.addButton(L(QStringLiteral("好")), QMessageBox::AcceptRole);
    const QPointer<QWidget> view(&m_grid.view);
    if (m_stepAside)
        m_stepAside->stepAside();
    m_host.menuRunModal(alert);
    if (view && m_stepAside)
        m_stepAside->comeBack();
}
