#pragma once

// What a key does in the launcher, wherever the keyboard focus is. The search
// field and the view route a few keys to the launcher itself: Escape undoes
// one thing at a time, the innermost first: it closes an open folder, then
// (with the focus on the view) leaves edit mode, then leaves a search, and
// only then hides the launcher. Return opens the first entry shown, Left and Right always turn
// pages (they never move the caret), and Tab hands the focus from the field
// to the view. Keys are Qt::Key values.
class LauncherKeyRouting
{
public:
    LauncherKeyRouting() = delete;

    enum class Action {
        // Not ours: the field edits, or the view passes the key on.
        passOn,
        clearSearch,
        hide,
        exitEditMode,
        closeFolder,
        // The first entry: a folder opens, an application launches.
        openFirstEntry,
        // The first entry only when it is an application.
        openFirstApp,
        previousPage,
        nextPage,
        focusView,
    };

    static Action searchFieldKey(int key, bool queryEmpty, bool folderOpen = false);
    static Action viewKey(int key, bool isEditing, bool folderOpen = false);
};
