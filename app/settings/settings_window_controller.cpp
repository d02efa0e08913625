#include "settings_window_controller.h"

#include "setting_controls.h"
#include "settings_context.h"
#include "settings_host.h"
#include "settings_page.h"
#include "settings_status_bar.h"
#include "settings_style.h"
#include "settings_table.h"
#include "settings_tab_bar.h"
#include "settings_tab_button.h"
#include "settings_window.h"

#include "foundation/log.h"
#include "localization/l10n.h"

#include "window_level.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>

namespace {

const QString kTitleKey = QStringLiteral("Tessellon 设置");
const QString kTipKey = QStringLiteral("提示：改动即时生效；多源导入只读 sqlite / plist，不修改来源数据。");
const QString kLanguageSetKey = QStringLiteral("界面语言已设为 %@");

// The settings window sits above the launcher, which floats two levels above
// the main menu.
constexpr int kWindowLevel = WindowLevel::mainMenu + 5;

} // namespace

SettingsWindowController::SettingsWindowController(SettingsHost &host, Environment environment)
    : m_holder(std::make_unique<QWidget>()),
      m_context(std::make_unique<SettingsContext>(host, std::move(environment), m_holder.get())),
      m_settings(std::make_unique<SettingControls>(*m_context))
{
    m_pageKinds.push_back(std::make_unique<GeneralPage>(*m_context, *m_settings));
    m_pageKinds.push_back(std::make_unique<InterfacePage>(*m_context, *m_settings));
    m_pageKinds.push_back(std::make_unique<AppsPage>(*m_context, *m_settings));
    auto advanced = std::make_unique<AdvancedPage>(*m_context, *m_settings);
    m_advancedPage = advanced.get();
    m_pageKinds.push_back(std::move(advanced));
    m_pageKinds.push_back(std::make_unique<AboutPage>(*m_context, *m_settings));
    m_pageScroll = new QScrollArea(m_holder.get());
    m_pageScroll->setObjectName(QStringLiteral("pageScroll"));

    m_window = std::make_unique<SettingsWindow>(windowWidth, windowHeight);
    m_context->setWindow(m_window.get());
    m_window->setWindowTitle(L(kTitleKey));
    m_window->onCloseRequest = [this] {
        m_settings->commitPendingSlider();
        if (onClose)
            onClose();
    };
    WindowLevel::set(m_window.get(), kWindowLevel);

    m_content = buildContent();
    m_window->replaceContent(m_content);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        m_window->move(available.x() + (available.width() - windowWidth) / 2,
                       available.y() + (available.height() - windowHeight) / 2);
    }
    refresh();

    QPointer<SettingsWindowController> self(this);
    m_languageObserver = NotificationCenter::defaultCenter().addObserver(L10n::kLanguageDidChangeNotification, [self] {
        if (self)
            self->rebuildInterface();
    });
}

SettingsWindowController::~SettingsWindowController()
{
    if (m_languageObserver)
        NotificationCenter::defaultCenter().removeObserver(*m_languageObserver);
    if (m_watchedLauncher)
        m_watchedLauncher->removeEventFilter(this);
    // The controls belong to the holder or to a page of the window; the
    // window goes first, then the holder with whatever it still holds.
    collectControls();
    m_context->setWindow(nullptr);
    m_window.reset();
    m_holder.reset();
}

void SettingsWindowController::collectControls()
{
    if (m_pageScroll) {
        if (QWidget *shown = m_pageScroll->takeWidget()) {
            shown->hide();
            shown->setParent(m_content);
        }
    }
    QList<QWidget *> controls = m_settings->widgets();
    for (const std::unique_ptr<SettingsPage> &page : m_pageKinds)
        controls += page->controls();
    controls << m_context->statusLabel() << m_pageScroll;
    for (QWidget *control : controls) {
        if (control && control->parent() != m_holder.get())
            control->setParent(m_holder.get());
    }
}

// ------------------------------------------------------------------- content

QWidget *SettingsWindowController::buildContent()
{
    auto *root = new QWidget;
    root->setObjectName(QStringLiteral("settingsContent"));
    root->resize(windowWidth, windowHeight);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, Qt::white);
    root->setPalette(palette);
    root->setAutoFillBackground(true);

    QList<std::pair<QString, QString>> tabs;
    for (const std::unique_ptr<SettingsPage> &page : m_pageKinds)
        tabs.append({page->tabSymbol(), L(page->tabCaption())});
    auto *tabBar = new SettingsTabBar(tabs, root);
    tabBar->setObjectName(QStringLiteral("tabBar"));
    tabBar->setGeometry(0, 0, windowWidth, toolbarHeight);
    tabBar->setSelectedIndex(m_selectedTab);
    connect(tabBar, &SettingsTabBar::tabClicked, this, &SettingsWindowController::showPage);
    m_tabBar = tabBar;

    m_pageScroll->setParent(root);
    m_pageScroll->setGeometry(0, toolbarHeight, windowWidth, windowHeight - toolbarHeight - statusHeight);
    m_pageScroll->setFrameShape(QFrame::NoFrame);
    m_pageScroll->setWidgetResizable(true);
    m_pageScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pageScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pageScroll->viewport()->setAutoFillBackground(false);
    m_pageScroll->show();

    QLabel *statusLabel = m_context->statusLabel();
    statusLabel->setWordWrap(true);
    statusLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusLabel->setFont(SettingsStyle::font(11.5));
    SettingsStyle::setTextColor(statusLabel, SettingsStyle::secondaryLabel());
    m_context->setStatus(L(kTipKey));
    auto *statusBar = new SettingsStatusBar(statusLabel, root);
    statusBar->setGeometry(0, windowHeight - statusHeight, windowWidth, statusHeight);

    m_pages.clear();
    for (int i = 0; i < int(m_pageKinds.size()); ++i) {
        QWidget *built = m_pageKinds[i]->build(cardWidth);
        built->setObjectName(QStringLiteral("page%1").arg(i));
        built->setParent(root);
        built->hide();
        m_pages.append(built);
    }
    showPage(m_selectedTab);
    return root;
}

void SettingsWindowController::refresh()
{
    m_window->setWindowTitle(L(kTitleKey));
    m_settings->refresh(m_context->host().settings());
    for (const std::unique_ptr<SettingsPage> &page : m_pageKinds)
        page->refresh();
}

void SettingsWindowController::rebuildInterface()
{
    if (!m_window)
        return;
    const QPoint topLeft = m_window->pos();
    // Hiding the focused control makes Qt pass the focus on as if Tab had
    // been pressed, which would ring a tab that is not selected.
    const QPointer<QWidget> focused = m_window->focusWidget();
    // The long-lived controls leave the old pages first, so that releasing
    // those pages never takes a control with them; the pages themselves go
    // once the event loop turns, after the handler that changed the language
    // (a control of one of them) has returned.
    collectControls();
    QWidget *content = buildContent();
    QWidget *previous = m_window->replaceContent(content);
    m_content = content;
    if (previous)
        previous->deleteLater();
    m_window->move(topLeft);
    m_window->setWindowTitle(L(kTitleKey));
    refresh();
    m_context->setStatus(L(kLanguageSetKey, L10n::current().displayName()));
    placeFocus(focused);
}

void SettingsWindowController::placeFocus(QWidget *preferred)
{
    if (!m_window)
        return;
    // The control that had the focus keeps it where it is shown still;
    // otherwise the selected tab takes it. Neither came from the keyboard,
    // so neither shows a ring.
    if (preferred && preferred->window() == m_window.get() && preferred->isVisibleTo(m_window.get())) {
        preferred->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_tabBar && m_selectedTab >= 0 && m_selectedTab < m_tabBar->buttons().size())
        m_tabBar->buttons().at(m_selectedTab)->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- showing

void SettingsWindowController::showWindow()
{
    // Stacked above the launcher: transient for its window, so a window
    // manager keeps it on top of that full-screen window, and on top of
    // ordinary windows by its level.
    if (QWidget *launcher = m_context->host().launcherWindow()) {
        launcher->winId();
        m_window->winId();
        if (QWindow *handle = m_window->windowHandle())
            handle->setTransientParent(launcher->windowHandle());
        // Without a window manager that honours transient windows, the
        // launcher coming up again would cover this window.
        if (m_watchedLauncher != launcher) {
            if (m_watchedLauncher)
                m_watchedLauncher->removeEventFilter(this);
            launcher->installEventFilter(this);
            m_watchedLauncher = launcher;
        }
    }
    WindowLevel::set(m_window.get(), kWindowLevel);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    refresh();
    showHotKeyNoticeOnce();
}

bool SettingsWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedLauncher && m_window && m_window->isVisible() &&
        (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)) {
        // Raised, not activated: the launcher keeps the keyboard.
        QPointer<SettingsWindow> window(m_window.get());
        QMetaObject::invokeMethod(
            this,
            [window] {
                if (window && window->isVisible())
                    window->raise();
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void SettingsWindowController::showHotKeyNoticeOnce()
{
    if (!m_context->hotKeyNoticeDue())
        return;
    m_context->dismissHotKeyNotice();
    if (m_context->host().hotKeyHeldElsewhere())
        m_context->setStatus(hotKeyTakenText(m_context->host().settings().hotKey));
}

void SettingsWindowController::close()
{
    m_settings->commitPendingSlider();
    m_window->hide();
    if (onClose)
        onClose();
}

QWidget *SettingsWindowController::window() const
{
    return m_window.get();
}

bool SettingsWindowController::isVisible() const
{
    return m_window && m_window->isVisible();
}

QString SettingsWindowController::windowLine() const
{
    const QRect frame = m_window->frameGeometry();
    return QStringLiteral("[windows] settings x=%1 y=%2 w=%3 h=%4 id=%5")
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height())
        .arg(quint64(m_window->winId()));
}

QString SettingsWindowController::statusText() const
{
    return m_context->statusText();
}

void SettingsWindowController::showPage(int index)
{
    if (index < 0 || index >= m_pages.size() || !m_pages[index])
        return;
    m_selectedTab = index;
    if (m_tabBar)
        m_tabBar->setSelectedIndex(index);
    // A control of the page that goes would pass its focus on as if Tab
    // had been pressed: the newly selected tab takes it instead.
    if (QWidget *focused = m_window ? m_window->focusWidget() : nullptr;
        focused && m_pageScroll->widget() && m_pageScroll->widget()->isAncestorOf(focused))
        placeFocus(nullptr);
    if (QWidget *shown = m_pageScroll->takeWidget()) {
        shown->hide();
        shown->setParent(m_pageScroll->parentWidget());
    }
    m_pageScroll->setWidget(m_pages[index]);
    m_pages[index]->show();
    m_pageScroll->verticalScrollBar()->setValue(0);
}

void SettingsWindowController::selectTabForAutomation(int index)
{
    showPage(index);
    // The layout pass a person's click would be followed by.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    Log::write("[settings] tab=%d pages=%d", m_selectedTab, int(m_pages.size()));
}

void SettingsWindowController::refreshInputStatus()
{
    m_advancedPage->refreshInputStatus();
}
