#include "settings_window_controller.h"

#include "settings_button.h"
#include "settings_host.h"
#include "settings_slider.h"
#include "settings_status_bar.h"
#include "settings_style.h"
#include "settings_tab_bar.h"
#include "settings_tab_button.h"
#include "settings_window.h"
#include "popup_button.h"
#include "toggle_switch.h"

#include "foundation/log.h"
#include "localization/app_language.h"
#include "localization/l10n.h"
#include "model/settings.h"
#include "model/pinch_gesture.h"

#include "timer_scheduler.h"
#include "window_level.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWindow>

#include <type_traits>

namespace {

const QString kTitleKey = QStringLiteral("Tessellon 设置");
const QString kGrantKey = QStringLiteral("授权…");
const QString kEmptySourcesKey = QStringLiteral("默认扫描 /Applications、/System/Applications、~/Applications 等目录");
const QString kTipKey = QStringLiteral("提示：改动即时生效；多源导入只读 sqlite / plist，不修改来源数据。");
const QString kLanguageSetKey = QStringLiteral("界面语言已设为 %@");
const QString kNotRunningKey = QStringLiteral("输入通道未启动");

// The settings window sits above the launcher, which floats two levels above
// the main menu.
constexpr int kWindowLevel = WindowLevel::mainMenu + 5;

template <typename Case>
int indexOf(const QList<Case> &cases, Case value)
{
    const qsizetype index = cases.indexOf(value);
    return index < 0 ? 0 : int(index);
}

QString percent(double value)
{
    return QString::asprintf("%.0f%%", value * 100);
}

} // namespace

SettingsWindowController::SettingsWindowController(SettingsHost &host, Environment environment)
    : m_host(host), m_environment(std::move(environment)), m_holder(std::make_unique<QWidget>())
{
    createControls();
    connectControls();

    m_window = std::make_unique<SettingsWindow>(windowWidth, windowHeight);
    m_window->setWindowTitle(L(kTitleKey));
    m_window->onCloseRequest = [this] {
        commitPendingSlider();
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
            self->languageDidChange();
    });
}

SettingsWindowController::~SettingsWindowController()
{
    if (m_languageObserver)
        NotificationCenter::defaultCenter().removeObserver(*m_languageObserver);
    if (m_watchedLauncher)
        m_watchedLauncher->removeEventFilter(this);
    m_sliderRest.reset();
    // The controls belong to the holder or to a page of the window; the
    // window goes first, then the holder with whatever it still holds.
    collectControls();
    m_window.reset();
    m_holder.reset();
}

SettingsWindowController::Environment SettingsWindowController::Environment::system()
{
    Environment environment;
#ifdef TESSELLON_VERSION
    environment.version = QStringLiteral(TESSELLON_VERSION);
#endif
    return environment;
}

// ------------------------------------------------------------------ controls

void SettingsWindowController::createControls()
{
    QWidget *holder = m_holder.get();
    const auto popup = [holder](const char *name) {
        auto *control = new PopupButton(holder);
        control->setObjectName(QString::fromLatin1(name));
        return control;
    };
    const auto slider = [holder](const char *name) {
        auto *control = new SettingsSlider(holder);
        control->setObjectName(QString::fromLatin1(name));
        return control;
    };
    const auto toggle = [holder](const char *name) {
        auto *control = new ToggleSwitch(holder);
        control->setObjectName(QString::fromLatin1(name));
        return control;
    };
    const auto label = [holder](const char *name, const QString &text) {
        auto *control = new QLabel(text, holder);
        control->setObjectName(QString::fromLatin1(name));
        control->setTextFormat(Qt::PlainText);
        return control;
    };

    m_columnsPopup = popup("columnsPopup");
    m_rowsPopup = popup("rowsPopup");
    m_modePopup = popup("modePopup");
    m_hotKeyPopup = popup("hotKeyPopup");
    m_cornerPopup = popup("cornerPopup");
    m_pinchPopup = popup("pinchPopup");
    m_languagePopup = popup("languagePopup");
    m_dimSlider = slider("dimSlider");
    m_marginSlider = slider("marginSlider");
    m_marginValueLabel = label("marginValueLabel", QStringLiteral("16%"));
    m_iconSlider = slider("iconSlider");
    m_iconValueLabel = label("iconValueLabel", QStringLiteral("100%"));
    m_animateButton = toggle("animateButton");
    m_labelsButton = toggle("labelsButton");
    m_hiddenButton = toggle("hiddenButton");
    m_f4Button = toggle("f4Button");
    m_eventTapButton = toggle("eventTapButton");
    m_hideOnSystemButton = toggle("hideOnSystemButton");
    m_adoptGridButton = toggle("adoptGridButton");
    m_launchpadNamesButton = toggle("launchpadNamesButton");
    m_pureUninstallButton = toggle("pureUninstallButton");
    m_accessibilityButton = new SettingsButton(L(kGrantKey), holder);
    m_accessibilityButton->setObjectName(QStringLiteral("accessibilityButton"));
    m_inputStatusLabel = label("inputStatusLabel", QString());
    m_sourcesTable = new QListWidget(holder);
    m_sourcesTable->setObjectName(QStringLiteral("sourcesTable"));
    m_statusLabel = label("statusLabel", QString());
    m_emptySourcesLabel = label("emptySourcesLabel", L(kEmptySourcesKey));
    m_emptySourcesLabel->setWordWrap(true);
    m_pageScroll = new QScrollArea(holder);
    m_pageScroll->setObjectName(QStringLiteral("pageScroll"));
}

void SettingsWindowController::connectControls()
{
    // activated(): the user's choice only, also of the item already chosen.
    connect(m_languagePopup, &QComboBox::activated, this, &SettingsWindowController::changeLanguage);
    connect(m_hotKeyPopup, &QComboBox::activated, this, &SettingsWindowController::changeHotKey);
    connect(m_pinchPopup, &QComboBox::activated, this, &SettingsWindowController::changePinch);
    connect(m_cornerPopup, &QComboBox::activated, this, &SettingsWindowController::changeCorner);
    connect(m_columnsPopup, &QComboBox::activated, this, &SettingsWindowController::changeColumns);
    connect(m_rowsPopup, &QComboBox::activated, this, &SettingsWindowController::changeRows);
    connect(m_modePopup, &QComboBox::activated, this, &SettingsWindowController::changeMode);

    // clicked(): a click or a key press, not setChecked().
    const auto toggle = [this](ToggleSwitch *control, void (SettingsWindowController::*action)(bool)) {
        connect(control, &QAbstractButton::clicked, this, [this, action](bool on) { (this->*action)(on); });
    };
    toggle(m_f4Button, &SettingsWindowController::toggleF4);
    toggle(m_animateButton, &SettingsWindowController::toggleAnimate);
    toggle(m_labelsButton, &SettingsWindowController::toggleLabels);
    toggle(m_hiddenButton, &SettingsWindowController::toggleHidden);
    toggle(m_launchpadNamesButton, &SettingsWindowController::toggleLaunchpadNames);
    toggle(m_adoptGridButton, &SettingsWindowController::toggleAdoptGrid);
    toggle(m_pureUninstallButton, &SettingsWindowController::togglePureUninstall);
    toggle(m_eventTapButton, &SettingsWindowController::toggleEventTap);
    toggle(m_hideOnSystemButton, &SettingsWindowController::toggleHideOnSystem);

    // valueChanged() comes from the user only: refresh() blocks signals.
    connect(m_marginSlider, &QAbstractSlider::valueChanged, this, [this] { changeSideInset(); });
    connect(m_iconSlider, &QAbstractSlider::valueChanged, this, [this] { changeIconScale(); });
    connect(m_dimSlider, &QAbstractSlider::valueChanged, this, [this] { changeDim(); });
    for (SettingsSlider *slider : {m_marginSlider, m_iconSlider, m_dimSlider})
        connect(slider, &QAbstractSlider::sliderReleased, this, [this, slider] { sliderRested(slider); });

    connect(m_accessibilityButton, &QPushButton::clicked, this, [this] { requestAccessibility(); });
}

void SettingsWindowController::collectControls()
{
    if (m_pageScroll) {
        if (QWidget *shown = m_pageScroll->takeWidget()) {
            shown->hide();
            shown->setParent(m_content);
        }
    }
    const QList<QWidget *> controls{
        m_columnsPopup, m_rowsPopup, m_modePopup, m_hotKeyPopup, m_cornerPopup, m_pinchPopup, m_languagePopup,
        m_dimSlider, m_marginSlider, m_marginValueLabel, m_iconSlider, m_iconValueLabel, m_animateButton,
        m_labelsButton, m_hiddenButton, m_f4Button, m_eventTapButton, m_hideOnSystemButton, m_adoptGridButton,
        m_launchpadNamesButton, m_pureUninstallButton, m_accessibilityButton, m_inputStatusLabel, m_sourcesTable,
        m_statusLabel, m_emptySourcesLabel, m_pageScroll};
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

    auto *tabBar = new SettingsTabBar(tabItems(), root);
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

    m_statusLabel->setWordWrap(true);
    m_statusLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_statusLabel->setFont(SettingsStyle::font(11.5));
    QPalette statusPalette = m_statusLabel->palette();
    statusPalette.setColor(QPalette::WindowText, SettingsStyle::secondaryLabel());
    m_statusLabel->setPalette(statusPalette);
    setStatus(L(kTipKey));
    auto *statusBar = new SettingsStatusBar(m_statusLabel, root);
    statusBar->setGeometry(0, windowHeight - statusHeight, windowWidth, statusHeight);

    m_pages.clear();
    const QList<QWidget *(SettingsWindowController::*)(int)> builders{
        &SettingsWindowController::generalPage, &SettingsWindowController::interfacePage,
        &SettingsWindowController::appsPage, &SettingsWindowController::advancedPage,
        &SettingsWindowController::aboutPage};
    for (int i = 0; i < builders.size(); ++i) {
        QWidget *built = (this->*builders[i])(cardWidth);
        built->setObjectName(QStringLiteral("page%1").arg(i));
        built->setParent(root);
        built->hide();
        m_pages.append(built);
    }
    showPage(m_selectedTab);
    m_sizingApplied = true;
    return root;
}

void SettingsWindowController::refresh()
{
    const Settings settings = m_host.settings();
    m_window->setWindowTitle(L(kTitleKey));
    m_accessibilityButton->setText(L(kGrantKey));
    m_emptySourcesLabel->setText(L(kEmptySourcesKey));

    // Copying the settings in is no use of the controls: nothing may write.
    const QList<QObject *> controls{
        m_languagePopup, m_columnsPopup, m_rowsPopup, m_modePopup, m_hotKeyPopup, m_cornerPopup, m_pinchPopup,
        m_dimSlider, m_marginSlider, m_iconSlider, m_animateButton, m_labelsButton, m_hiddenButton, m_f4Button,
        m_eventTapButton, m_hideOnSystemButton, m_adoptGridButton, m_launchpadNamesButton, m_pureUninstallButton,
        m_sourcesTable};
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    blockers.reserve(controls.size());
    for (QObject *control : controls)
        blockers.push_back(std::make_unique<QSignalBlocker>(control));

    m_languagePopup->setCurrentIndex(indexOf(AppLanguage::allCases(), settings.language));
    m_columnsPopup->setCurrentIndex(std::max(0, settings.columns - 4));
    m_rowsPopup->setCurrentIndex(std::max(0, settings.rows - 3));
    m_modePopup->setCurrentIndex(indexOf(Settings::ViewMode::allCases(), settings.viewMode));
    m_hotKeyPopup->setCurrentIndex(indexOf(Settings::HotKeyPreset::allCases(), settings.hotKey));
    m_cornerPopup->setCurrentIndex(indexOf(Settings::HotCorner::allCases(), settings.hotCorner));
    m_dimSlider->setDoubleValue(settings.dim);
    m_marginSlider->setDoubleValue(settings.sideInset);
    m_marginValueLabel->setText(percent(settings.sideInset));
    m_iconSlider->setDoubleValue(settings.iconScale);
    m_iconValueLabel->setText(percent(settings.iconScale));
    m_animateButton->setChecked(settings.animate);
    m_labelsButton->setChecked(settings.showLabels);
    m_hiddenButton->setChecked(settings.showHidden);
    m_f4Button->setChecked(settings.enableF4Shortcut);
    m_eventTapButton->setChecked(settings.useEventTap);
    m_hideOnSystemButton->setChecked(settings.hideOnSystemEvents);
    m_adoptGridButton->setChecked(settings.adoptImportGrid);
    m_launchpadNamesButton->setChecked(settings.useLaunchpadNames);
    m_pureUninstallButton->setChecked(settings.pureUninstall);
    m_pinchPopup->setCurrentIndex(indexOf(PinchGesture::allCases(), settings.pinchGesture));
    blockers.clear();

    refreshInputStatus();
    m_emptySourcesLabel->setVisible(m_host.customSources().isEmpty());
    reloadSources();
}

void SettingsWindowController::languageDidChange()
{
    rebuildInterface();
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
    setStatus(L(kLanguageSetKey, L10n::current().displayName()));
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
    if (QWidget *launcher = m_host.launcherWindow()) {
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

void SettingsWindowController::close()
{
    commitPendingSlider();
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
    return m_statusText;
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
    const std::optional<QString> status = m_host.inputStatus();
    QString text = status ? *status : L(kNotRunningKey);
    // The host's text also ends a sentence; standing alone it starts as one.
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    m_inputStatusLabel->setText(text);
    m_inputStatusLabel->setToolTip(text);
}
