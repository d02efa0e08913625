#pragma once

#include "model/app_item.h"
#include "model/layout_entry.h"
#include "policy/menu_action.h"

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class ContextMenuBuilder;
class FileManager;
class LauncherGrid;
class QAction;
class QDialog;
class QWidget;

// The launcher grid's context menu: a secondary click picks the selection,
// the menu is built for it, and the chosen command runs on the selected
// entries one turn of the event loop later (after the menu has gone). Also
// the rename prompt and the stepping aside of the full-screen launcher around
// every modal prompt, which the window would otherwise cover.
class ContextMenuActions
{
public:
    // What the menu asks of the launcher view; the entries, the selection
    // and the view itself it reads from the LauncherGrid.
    class Host
    {
    public:
        virtual ~Host() = default;
        virtual bool menuIsEditing() const = 0;
        // Replaces the selection and redraws the highlight.
        virtual void menuSetSelection(const QSet<QString> &selection) = 0;
        virtual void menuOpenFolder(const LayoutEntry &entry) = 0;
        virtual void menuOpenApp(const AppItem &app) = 0;
        virtual void menuUninstall(const QStringList &appIDs, bool previewOnly) = 0;
        virtual int menuRunModal(QDialog &dialog) = 0;
        virtual void menuFocusSearchField() = 0;
        virtual FileManager &menuFileManager() = 0;
    };

    // One menu to show, as the builder takes it.
    struct Request
    {
        int selectionCount = 0;
        bool isFolder = false;
        bool isHidden = false;
        bool isInFolder = false;
        bool canUninstall = false;
        QStringList entryIDs;
        QStringList appIDs;
        QPoint globalPosition;
    };

    // At most this many applications open from one menu command.
    static constexpr int maxOpened = 6;

    ContextMenuActions(LauncherGrid &grid, Host &host);
    ~ContextMenuActions();

    // Shows a request; the default runs the ContextMenuBuilder's menu on the
    // view and returns when it closes. Tests replace it.
    std::function<void(const Request &request)> presentMenu;

    // A secondary click at a view point (global position for the menu).
    void secondaryClick(const QPointF &point, const QPoint &globalPosition);
    // The request a secondary click makes of the selection now, if any.
    std::optional<Request> requestForSelection(const QPoint &globalPosition) const;
    // A chosen menu item: decoded now, performed a turn later.
    void handleAction(QAction *item);
    void perform(MenuAction action, const QStringList &entryIDs, const QStringList &appIDs);
    // Asks for a new name with the launcher stepped aside; `apply` gets the
    // text as typed when the user saves.
    void promptRename(const QString &title, const QString &current,
                      const std::function<void(const QString &name)> &apply);

    void dismissCoverForModal();
    void restoreCoverAfterModal();
    // Nothing could show `folder`, neither the file manager nor the desktop's
    // handler for folders: one alert says so, with the launcher stepped aside.
    void reportShowFailure(const QString &folder);

private:
    ContextMenuBuilder &builder();

    LauncherGrid &m_grid;
    Host &m_host;
    std::shared_ptr<ContextMenuBuilder> m_builder;
};
