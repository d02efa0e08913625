#pragma once

#include "settings/settings_tab_bar.h"

#include "foundation/notification_center.h"
#include "model/settings.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class PopupButton;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;
class QWidget;
class ScheduledTimer;
class SettingsHost;
class SettingsSlider;
class SettingsWindow;
class TimerScheduler;
class ToggleSwitch;

// The settings window: a fixed-size window with a row of five tabs (General,
// Interface, Apps, Advanced, About), a scrolling page area and a one-line
// status bar. It owns every control of the five pages for its whole life,
// copies the settings into them (refresh), rebuilds its content in place
// when the interface language changes, and turns every use of a control into
// one change through its host. Main thread only.
//
// Controls carry object names ("columnsPopup", "f4Button", ...) so that
// tools and tests find them with findChild().
class SettingsWindowController : public QObject
{
    Q_OBJECT

public:
    // The modal panels and timers the window uses; system() gives the real ones.
    struct Environment
    {
        // Lets the user choose one folder; none when cancelled.
        std::function<std::optional<QString>(QWidget *window)> chooseFolder;
        // Lets the user choose one of the sources, labelled `labels`; the
        // chosen index, or none when cancelled.
        std::function<std::optional<int>(QWidget *window, const QStringList &labels)> chooseLayoutSource;
        // Timers for the sliders' rest; null: TimerScheduler::main().
        TimerScheduler *scheduler = nullptr;
        // Shown on the About page.
        QString version;

        static Environment system();
    };

    static constexpr int windowWidth = 620;
    static constexpr int windowHeight = 730;
    static constexpr int toolbarHeight = 118;
    static constexpr int statusHeight = 46;
    static constexpr int sideInset = 26;
    static constexpr int cardWidth = windowWidth - 2 * sideInset;
    static constexpr int pageCount = 5;
    // A slider writes its value once it has rested this long (keys, wheel).
    static constexpr double sliderRestDelay = 0.4;

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
    // Puts the host's input status (or the "not running" text) into the
    // Advanced page's status line.
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
    void createControls();
    void connectControls();
    QWidget *buildContent();
    void refresh();
    void languageDidChange();
    void rebuildInterface();
    void showPage(int index);
    // Puts the long-lived controls back into the holder, out of any page.
    void collectControls();
    // Gives the focus to `preferred` when it is shown, else to the selected
    // tab, without a focus ring.
    void placeFocus(QWidget *preferred);

    // Page builders (settings_pages.cpp).
    QList<std::pair<QString, QString>> tabItems() const;
    QWidget *page(const QList<QWidget *> &views);
    QWidget *sectionHeader(const QString &title, int width);
    QLabel *hint(const QString &text);
    QWidget *customRow(int height, int width, const std::function<void(QWidget *row)> &fill);
    // A row of a wrapped `note`, `top` pixels of room above and below it.
    QWidget *noteRow(QLabel *note, int width, int top, int minimumHeight);
    void configurePopup(PopupButton *popup, const QStringList &items);
    void configureSlider(SettingsSlider *slider, double minimum, double maximum);
    QWidget *sliderRow(SettingsSlider *slider, QLabel *valueLabel);
    QPushButton *pushButton(const QString &title, void (SettingsWindowController::*action)());
    QWidget *generalPage(int width);
    QWidget *interfacePage(int width);
    QWidget *appsPage(int width);
    QWidget *advancedPage(int width);
    QWidget *aboutPage(int width);

    // Actions (settings_actions.cpp).
    void changeLanguage(int index);
    void changeHotKey(int index);
    void changePinch(int index);
    void changeCorner(int index);
    void changeColumns(int index);
    void changeRows(int index);
    void changeMode(int index);
    void changeSideInset();
    void changeIconScale();
    void changeDim();
    void toggleF4(bool on);
    void toggleAnimate(bool on);
    void toggleLabels(bool on);
    void toggleHidden(bool on);
    void toggleLaunchpadNames(bool on);
    void toggleAdoptGrid(bool on);
    void togglePureUninstall(bool on);
    void toggleEventTap(bool on);
    void toggleHideOnSystem(bool on);
    void requestAccessibility();
    void importNative();
    void importFromSource();
    void reorganize();
    void rescan();
    void addSource();
    void removeSource();
    void reloadSources();
    void setStatus(const QString &text);
    static QString hotKeyTakenText(Settings::HotKeyPreset preset);
    // The first show tells of a hot key that another program held at start.
    void showHotKeyNoticeOnce();
    // A slider's value: applied at once for a look, written once it rests.
    void sliderMoved(SettingsSlider *slider, const std::function<void(Settings &, double)> &assign);
    void sliderRested(SettingsSlider *slider);
    void commitPendingSlider();

    SettingsHost &m_host;
    Environment m_environment;
    std::unique_ptr<SettingsWindow> m_window;
    // Owns the controls while no page holds them (between builds).
    std::unique_ptr<QWidget> m_holder;

    PopupButton *m_columnsPopup = nullptr;
    PopupButton *m_rowsPopup = nullptr;
    PopupButton *m_modePopup = nullptr;
    PopupButton *m_hotKeyPopup = nullptr;
    PopupButton *m_cornerPopup = nullptr;
    PopupButton *m_pinchPopup = nullptr;
    PopupButton *m_languagePopup = nullptr;
    SettingsSlider *m_dimSlider = nullptr;
    SettingsSlider *m_marginSlider = nullptr;
    QLabel *m_marginValueLabel = nullptr;
    SettingsSlider *m_iconSlider = nullptr;
    QLabel *m_iconValueLabel = nullptr;
    ToggleSwitch *m_animateButton = nullptr;
    ToggleSwitch *m_labelsButton = nullptr;
    ToggleSwitch *m_hiddenButton = nullptr;
    ToggleSwitch *m_f4Button = nullptr;
    ToggleSwitch *m_eventTapButton = nullptr;
    ToggleSwitch *m_hideOnSystemButton = nullptr;
    ToggleSwitch *m_adoptGridButton = nullptr;
    ToggleSwitch *m_launchpadNamesButton = nullptr;
    ToggleSwitch *m_pureUninstallButton = nullptr;
    QPushButton *m_accessibilityButton = nullptr;
    QLabel *m_inputStatusLabel = nullptr;
    QListWidget *m_sourcesTable = nullptr;
    QLabel *m_statusLabel = nullptr;
    QLabel *m_emptySourcesLabel = nullptr;
    QScrollArea *m_pageScroll = nullptr;

    bool m_sizingApplied = false;
    int m_selectedTab = 0;
    QPointer<SettingsTabBar> m_tabBar;
    QList<QPointer<QWidget>> m_pages;
    QPointer<QWidget> m_content;

    // The slider whose value waits to be written, and its rest timer.
    QPointer<SettingsSlider> m_pendingSlider;
    std::function<void(Settings &, double)> m_pendingAssign;
    std::unique_ptr<ScheduledTimer> m_sliderRest;

    std::optional<NotificationCenter::Token> m_languageObserver;
    QPointer<QWidget> m_watchedLauncher;
    // The status line's whole text; the label shows it cut to one line.
    QString m_statusText;
    bool m_hotKeyNoticeDue = true;
};
