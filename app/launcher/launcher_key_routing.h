#pragma once

// What a key does in the launcher, wherever the keyboard focus is. The search
// field and the view route a few keys to the launcher itself: Escape leaves a
// search before it hides (and, with the focus on the view, leaves edit mode
// first), Return opens the first entry shown, Left and Right always turn
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
        // The first entry: a folder opens, an application launches.
        openFirstEntry,
        // The first entry only when it is an application.
        openFirstApp,
        previousPage,
        nextPage,
        focusView,
    };

    static Action searchFieldKey(int key, bool queryEmpty);
    static Action viewKey(int key, bool isEditing);
};
