// The chrome around the grid (search plate, hint line, settings button), its
// localized texts, and the keys that act on the launcher from the search
// field or the view.

#include "launcher_view.h"

#include "launcher/launcher_key_routing.h"
#include "launcher/launcher_layout_plan.h"
#include "session/launcher_session.h"

#include "localization/key_words.h"
#include "localization/l10n.h"
#include "policy/search_prompt_layout.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>


QString LauncherView::hintText(bool editing, Settings::HotKeyPreset hotKey)
{
    if (editing)
        return KeyWords::forDisplay(L(QStringLiteral("点击 ✕ 卸载应用　·　Esc 或点击空白处退出编辑　·　系统内置应用不可卸载")));
    // The hot key the settings hold, not a fixed one; none when it is off.
    const QString rest = L(QStringLiteral("Esc 退出　·　拖动排序　·　右键更多"));
    if (hotKey == Settings::HotKeyPreset::disabled)
        return KeyWords::forDisplay(rest);
    return KeyWords::forDisplay(L(QStringLiteral("%@ 唤起"), hotKey.label()) + QStringLiteral("　·　") + rest);
}

void LauncherView::applyEditModeHint()
{
    // A key that another program holds opens nothing: the hint leaves it out.
    const Settings::HotKeyPreset hotKey = m_grid.session.hotKeyHeldElsewhere() ? Settings::HotKeyPreset(Settings::HotKeyPreset::disabled)
                                                                                : m_grid.session.settings().hotKey;
    m_hintLabel->setText(hintText(isEditing(), hotKey));
}

void LauncherView::refreshLocalizedText()
{
    updateSearchPlaceholder();
    applyEditModeHint();
    m_settingsButton->setText(L(QStringLiteral("设置")));
    // The button takes the width of its title in the new language.
    const LauncherLayoutPlan::Chrome chrome = LauncherLayoutPlan::chrome(QSizeF(size()), m_grid.session.settings().sideInset);
    m_settingsButton->setGeometry(
        LauncherLayoutPlan::settingsButtonFrame(chrome.settingsButton, m_settingsButton->sizeHint().width()).toRect());
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
    // The plate around the field belongs to the field: a press on it puts
    // the caret in the field and never reaches the background-click path.
    if (watched == m_searchPlate) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            focusSearchField();
            event->accept();
            return true;
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            event->accept();
            return true;
        default:
            break;
        }
    }
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
