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

void LauncherView::layoutSearchContents()
{
    const QRectF plate = QRectF(m_searchPlate->rect());
    if (plate.width() <= 0)
        return;
    const QString text = m_searchField->text().isEmpty() ? L(QStringLiteral("搜索应用")) : m_searchField->text();
    const double measured = QFontMetricsF(m_searchField->font()).horizontalAdvance(text);
    const SearchPromptLayout layout(plate.width(), plate.height(), measured);

    m_searchIcon->setGeometry(layout.iconFrame.toRect());

    // The layout's field frame sits lower by the baseline offset because a
    // Cocoa field draws its text from the top; a line edit centres its text
    // vertically, so the frame moves back up to centre the text on the plate.
    QRectF field = layout.fieldFrame.translated(0, -SearchPromptLayout::textBaselineOffset);
    if (!layout.isClamped && m_searchField->text().isEmpty()) {
        // A centred line edit hides its placeholder while it has the focus,
        // which it has whenever the launcher shows. The empty field starts
        // where the prompt starts instead, left-aligned: the same place on
        // the plate, with the prompt shown and the caret before it.
        const double x = layout.textLeft - searchFieldTextInset;
        field = QRectF(x, field.top(), std::max(1.0, plate.width() - x - SearchPromptLayout::minimumSideInset),
                       field.height());
        m_searchField->setGeometry(field.toRect());
        m_searchField->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    if (!layout.isClamped) {
        m_searchField->setGeometry(field.toRect());
        m_searchField->setAlignment(Qt::AlignCenter);
        return;
    }
    // Too wide to centre: the text starts one gap right of the glyph.
    const double x = layout.iconFrame.right() + SearchPromptLayout::gap;
    field = QRectF(x, field.top(), std::max(1.0, plate.width() - x - SearchPromptLayout::minimumSideInset),
                   field.height());
    m_searchField->setGeometry(field.toRect());
    m_searchField->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

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
    m_hintLabel->setText(hintText(isEditing(), m_session.settings().hotKey));
}

void LauncherView::refreshLocalizedText()
{
    updateSearchPlaceholder();
    applyEditModeHint();
    m_settingsButton->setText(L(QStringLiteral("设置")));
    // The button takes the width of its title in the new language.
    const LauncherLayoutPlan::Chrome chrome = LauncherLayoutPlan::chrome(QSizeF(size()), m_session.settings().sideInset);
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
    m_query = text;
    m_currentPage = 0;
    m_selection.clear();
    layoutSearchContents();
    rebuild();
}

bool LauncherView::handleSearchFieldKey(int key)
{
    if (key == Qt::Key_Escape && cancelTileDrag())
        return true;
    switch (LauncherKeyRouting::searchFieldKey(key, m_query.isEmpty(), m_folders.isOpen())) {
    case LauncherKeyRouting::Action::closeFolder:
        closeFolder();
        return true;
    case LauncherKeyRouting::Action::clearSearch:
        // Page and selection stay as they are; only the search ends.
        m_query.clear();
        m_searchField->clear();
        layoutSearchContents();
        rebuild();
        return true;
    case LauncherKeyRouting::Action::hide:
        if (onHide)
            onHide();
        return true;
    case LauncherKeyRouting::Action::openFirstEntry:
        if (!m_entries.isEmpty()) {
            const LayoutEntry first = m_entries.first();
            if (first.isFolder()) {
                openFolder(first);
            } else if (first.appID) {
                if (const std::optional<AppItem> app = m_session.app(*first.appID); app && onOpenApp)
                    onOpenApp(*app);
            }
        }
        return true;
    case LauncherKeyRouting::Action::previousPage:
        goToPage(m_currentPage - 1);
        return true;
    case LauncherKeyRouting::Action::nextPage:
        goToPage(m_currentPage + 1);
        return true;
    case LauncherKeyRouting::Action::focusView:
        setFocus(Qt::TabFocusReason);
        return true;
    default:
        return false;
    }
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
    if (watched == m_searchField && event->type() == QEvent::KeyPress) {
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
    switch (LauncherKeyRouting::viewKey(event->key(), isEditing(), m_folders.isOpen())) {
    case LauncherKeyRouting::Action::closeFolder:
        closeFolder();
        break;
    case LauncherKeyRouting::Action::exitEditMode:
        exitEditMode();
        break;
    case LauncherKeyRouting::Action::hide:
        if (onHide)
            onHide();
        break;
    case LauncherKeyRouting::Action::previousPage:
        goToPage(m_currentPage - 1);
        break;
    case LauncherKeyRouting::Action::nextPage:
        goToPage(m_currentPage + 1);
        break;
    case LauncherKeyRouting::Action::openFirstApp:
        // A folder as first entry is not opened from here.
        if (!m_entries.isEmpty() && m_entries.first().appID) {
            if (const std::optional<AppItem> app = m_session.app(*m_entries.first().appID); app && onOpenApp)
                onOpenApp(*app);
        }
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
