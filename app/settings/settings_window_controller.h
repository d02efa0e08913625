#pragma once

#include "settings/settings_context.h"
#include "settings/settings_tab_bar.h"

#include "foundation/notification_center.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AdvancedPage;
class QScrollArea;
class QWidget;
class SettingControls;
class SettingsHost;
class SettingsPage;
class SettingsWindow;

// The settings window: a fixed-size window with a row of five tabs (General,
// Interface, Apps, Advanced, About), a scrolling page area and a one-line
// status bar. It keeps the five pages (each its own class, the setting rows
// of the settings table among their own rows) and the table's controls for
// its whole life, copies the settings into them (refresh), and rebuilds its
// content in place when the interface language changes. Main thread only.
//
// Controls carry object names ("columnsPopup", "f4Button", ...) so that
// tools and tests find them with findChild().
class SettingsWindowController : public QObject
{
    Q_OBJECT

public:
    // The modal panels and timers the window uses; system() gives the real ones.
    using Environment = SettingsEnvironment;

    static constexpr int windowWidth = 620;
    static constexpr int windowHeight = 730;
    static constexpr int toolbarHeight = 118;
    static constexpr int statusHeight = 46;
    static constexpr int sideInset = 26;
    static constexpr int cardWidth = windowWidth - 2 * sideInset;
    static constexpr int pageCount = 5;

    explicit SettingsWindowController(SettingsHost &host, Environment environment = Environment::system());
    ~SettingsWindowController() override;

    SettingsWindowController(const SettingsWindowController &) = delete;
    SettingsWindowController &operator=(const SettingsWindowController &) = delete;

    // Shows the window above the launcher, activates it and refreshes every control.
    void showWindow();
    // Hides the window (it is kept for the next show), then runs onClose.
    void close();
    // Shows page `index` (ignored outside the pages), lays the window out and
    // logs "[settings] tab=%d pages=%d".
    void selectTabForAutomation(int index);
    // Puts the host's input status (or the "not running" text) beside the
    // Advanced page's permission button.
    void refreshInputStatus();

    std::function<void()> onClose;

    QWidget *window() const;
    bool isVisible() const;
    // "[windows] settings x=%d y=%d w=%d h=%d id=%d" for the window as it is.
    QString windowLine() const;
    int selectedTab() const { return m_selectedTab; }
    // The page views of the current content, in tab order.
    const QList<QPointer<QWidget>> &pages() const { return m_pages; }
    SettingsTabBar *tabBar() const { return m_tabBar; }
    QString statusText() const;

protected:
    // Raises the window again whenever the launcher comes up under it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildContent();
    void refresh();
    void rebuildInterface();
    void showPage(int index);
    // Puts the long-lived controls back into the holder, out of any page.
    void collectControls();
    // Gives the focus to `preferred` when it is shown, else to the selected
    // tab, without a focus ring.
    void placeFocus(QWidget *preferred);
    // The first show tells of a hot key that another program held at start.
    void showHotKeyNoticeOnce();

    // Owns the long-lived controls while no page holds them (between builds).
    std::unique_ptr<QWidget> m_holder;
    std::unique_ptr<SettingsContext> m_context;
    std::unique_ptr<SettingControls> m_settings;
    // General, Interface, Apps, Advanced, About: the tabs' order.
    std::vector<std::unique_ptr<SettingsPage>> m_pageKinds;
    AdvancedPage *m_advancedPage = nullptr;
    std::unique_ptr<SettingsWindow> m_window;
    QScrollArea *m_pageScroll = nullptr;

    int m_selectedTab = 0;
    QPointer<SettingsTabBar> m_tabBar;
    QList<QPointer<QWidget>> m_pages;
    QPointer<QWidget> m_content;

    std::optional<NotificationCenter::Token> m_languageObserver;
    QPointer<QWidget> m_watchedLauncher;
};
