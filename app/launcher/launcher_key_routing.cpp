#include "launcher_key_routing.h"

#include <Qt>

LauncherKeyRouting::Action LauncherKeyRouting::searchFieldKey(int key, bool queryEmpty, bool folderOpen)
{
    switch (key) {
    case Qt::Key_Escape:
        if (folderOpen)
            return Action::closeFolder;
        return queryEmpty ? Action::hide : Action::clearSearch;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Action::openFirstEntry;
    case Qt::Key_Left:
        return Action::previousPage;
    case Qt::Key_Right:
        return Action::nextPage;
    case Qt::Key_Tab:
        return Action::focusView;
    default:
        return Action::passOn;
    }
}

LauncherKeyRouting::Action LauncherKeyRouting::viewKey(int key, bool isEditing, bool folderOpen)
{
    switch (key) {
    case Qt::Key_Escape:
        if (folderOpen)
            return Action::closeFolder;
        return isEditing ? Action::exitEditMode : Action::hide;
    case Qt::Key_Left:
        return Action::previousPage;
    case Qt::Key_Right:
        return Action::nextPage;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Action::openFirstApp;
    default:
        return Action::passOn;
    }
}
