// The localized texts of the chrome around the grid (LauncherChrome holds the
// hint line and the settings button), the search, and the keys that act on
// the launcher from the search field or the view.

#include "launcher_view.h"

#include "launcher/launcher_key_routing.h"
#include "session/launcher_session.h"


#include <QKeyEvent>
#include <QLineEdit>



void LauncherView::applyEditModeHint()
{
    m_chrome->applyHint(isEditing());
}

void LauncherView::refreshLocalizedText()
{
    updateSearchPlaceholder();
    m_chrome->refreshLocalizedText(isEditing(), QSizeF(size()));
    layoutSearchContents();
    update();
}

void LauncherView::openSettings()
{
    if (onOpenSettings)
        onOpenSettings();
}

void LauncherView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Sizes set while the view is still being made lay out nothing.
    if (m_built)
        relayout();
}

// --- Search and keys ------------------------------------------------------------------

void LauncherView::searchTextChanged(const QString &text)
{
    m_grid.query = text;
    m_grid.currentPage = 0;
    m_grid.selection.clear();
    layoutSearchContents();
    rebuild();
}

bool LauncherView::handleSearchFieldKey(int key)
{
    if (key == Qt::Key_Escape && cancelTileDrag())
        return true;
    return performKeyAction(LauncherKeyRouting::searchFieldKey(key, m_grid.query.isEmpty(), isFolderOpen()));
}

bool LauncherView::performKeyAction(LauncherKeyRouting::Action action)
{
    switch (action) {
    case LauncherKeyRouting::Action::closeFolder:
        closeFolder();
        return true;
    case LauncherKeyRouting::Action::exitEditMode:
        exitEditMode();
        return true;
    case LauncherKeyRouting::Action::clearSearch:
        // Page and selection stay as they are; only the search ends.
        m_grid.query.clear();
        m_searchPlate->field()->clear();
        layoutSearchContents();
        rebuild();
        return true;
    case LauncherKeyRouting::Action::hide:
        if (onHide)
            onHide();
        return true;
    case LauncherKeyRouting::Action::openFirstEntry:
    case LauncherKeyRouting::Action::openFirstApp:
        if (!m_grid.entries.isEmpty()) {
            const LayoutEntry first = m_grid.entries.first();
            if (first.isFolder()) {
                // Only from the search field.
                if (action == LauncherKeyRouting::Action::openFirstEntry)
                    openFolder(first);
            } else if (first.appID) {
                if (const std::optional<AppItem> app = m_grid.session.app(*first.appID); app && onOpenApp)
                    onOpenApp(*app);
            }
        }
        return true;
    case LauncherKeyRouting::Action::previousPage:
        goToPage(m_grid.currentPage - 1);
        return true;
    case LauncherKeyRouting::Action::nextPage:
        goToPage(m_grid.currentPage + 1);
        return true;
    case LauncherKeyRouting::Action::focusView:
        setFocus(Qt::TabFocusReason);
        return true;
    case LauncherKeyRouting::Action::passOn:
        break;
    }
    return false;
}

bool LauncherView::eventFilter(QObject *watched, QEvent *event)
{
    // Before the line edit sees them: arrows never move the caret, Tab never
    // walks the focus chain, Escape and Return act on the launcher.
    if (watched == m_searchPlate->field() && event->type() == QEvent::KeyPress) {
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        if (handleSearchFieldKey(keyEvent->key())) {
            keyEvent->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LauncherView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && cancelTileDrag())
        return;
    if (!performKeyAction(LauncherKeyRouting::viewKey(event->key(), isEditing(), isFolderOpen()))) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
