// The delegate's status item, its menus and their commands, and the opening
// of applications.
#include "app_delegate.h"

#include "shell/dock_menu.h"
#include "shell/launcher_controller.h"
#include "shell/status_menu.h"

#include "tiles/icon_provider.h"

#include "tray_watcher.h"

#include "foundation/log.h"
#include "localization/l10n.h"

#include <QAction>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace {

// The about box's description: two counts, applications then pages.
const QString kAboutDescriptionKey = QStringLiteral("全屏应用启动器：分页浏览、文件夹、搜索与布局导入。\n\n%d 个应用 · %d 页");

// A three-by-three grid of rounded squares, drawn for any tray size.
QIcon gridIcon()
{
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const double gap = side / 8.0;
        const double cell = (side - 4 * gap) / 3.0;
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const QRectF square(gap + column * (cell + gap), gap + row * (cell + gap), cell, cell);
                painter.setBrush(QColor(255, 255, 255, 235));
                painter.drawRoundedRect(square, cell * 0.25, cell * 0.25);
            }
        }
        // A dark rim keeps the white grid visible on light panels.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(0, 0, 0, 110), std::max(1.0, side / 24.0)));
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const QRectF square(gap + column * (cell + gap), gap + row * (cell + gap), cell, cell);
                painter.drawRoundedRect(square, cell * 0.25, cell * 0.25);
            }
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

void AppDelegate::setupStatusItem()
{
    // The menu is built also without a tray: it is what a tray would show.
    rebuildStatusMenu();
    if (systemTrayAvailable()) {
        installTrayIcon();
        return;
    }
    Log::write("[status] tray=unavailable");
    // A panel that starts after the launcher (both started at login) brings
    // its tray later; without waiting for it the launcher would stay without
    // its status item for the whole session. The watcher says when it comes.
    if (!m_platform.trayWatcher)
        return;
    m_platform.trayWatcher->watch();
    // A tray that came between the look above and the start of watching is
    // no change to the watcher: it is there already.
    if (m_platform.trayWatcher->isTrayAvailable()) {
        Log::write("[status] tray=available");
        installTrayIcon();
        return;
    }
    m_trayArrival = connect(m_platform.trayWatcher, &TrayWatcher::trayAvailabilityChanged, this, [this](bool available) {
        if (!available || m_trayIcon)
            return;
        disconnect(m_trayArrival);
        Log::write("[status] tray=available");
        installTrayIcon();
    });
}

bool AppDelegate::systemTrayAvailable() const
{
    return m_platform.systemTrayAvailable ? m_platform.systemTrayAvailable()
                                          : QSystemTrayIcon::isSystemTrayAvailable();
}

QString AppDelegate::statusToolTipText()
{
    const Settings::HotKeyPreset hotKey = session().settings().hotKey;
    return session().hotKeyHeldElsewhere() ? StatusMenu::toolTipForHeldKey(hotKey) : StatusMenu::toolTip(hotKey);
}

void AppDelegate::updateStatusToolTip()
{
    m_statusToolTip = statusToolTipText();
    if (m_trayIcon)
        m_trayIcon->setToolTip(m_statusToolTip);
}

void AppDelegate::installTrayIcon()
{
    m_trayIcon = std::make_unique<QSystemTrayIcon>(gridIcon());
    QPointer<AppDelegate> self(this);
    // A plain click opens the same menu as the context click, as a
    // status-bar item does.
    connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this, [self](QSystemTrayIcon::ActivationReason reason) {
        if (self && reason == QSystemTrayIcon::Trigger && self->m_statusMenu)
            self->m_statusMenu->popup(QCursor::pos());
    });
    m_trayIcon->setToolTip(m_statusToolTip);
    m_trayIcon->setContextMenu(m_statusMenu.get());
    m_trayIcon->show();
}

void AppDelegate::rebuildStatusMenu()
{
    QPointer<AppDelegate> self(this);
    auto command = [self](void (AppDelegate::*member)()) {
        return [self, member] {
            if (self)
                (self.data()->*member)();
        };
    };
    StatusMenu::Actions actions;
    actions.showLauncher = command(&AppDelegate::showLauncher);
    actions.showSettings = command(&AppDelegate::showSettings);
    actions.importNative = command(&AppDelegate::importNative);
    actions.rescan = command(&AppDelegate::rescan);
    actions.showAbout = command(&AppDelegate::showAbout);
    actions.quit = command(&AppDelegate::quit);

    std::unique_ptr<QMenu> menu = StatusMenu::build(actions);
    m_statusToolTip = statusToolTipText();
    if (m_trayIcon) {
        m_trayIcon->setToolTip(m_statusToolTip);
        m_trayIcon->setContextMenu(menu.get());
    }
    // The old menu may be the one being tracked right now (a language switch
    // from the settings window while it is open): let it go when idle.
    if (m_statusMenu)
        m_statusMenu.release()->deleteLater();
    m_statusMenu = std::move(menu);
}

std::unique_ptr<QMenu> AppDelegate::applicationDockMenu()
{
    QPointer<AppDelegate> self(this);
    LauncherSession &model = session();
    DockMenu::Source source;
    source.pinned = model.pinned();
    source.apps = model.apps();
    source.app = [self](const QString &id) -> std::optional<AppItem> {
        return self ? self->session().app(id) : std::nullopt;
    };
    source.cachedIcon = [self](const AppItem &app) -> std::optional<QImage> {
        return self ? self->icons().cachedIcon(app) : std::nullopt;
    };
    DockMenu::Actions actions;
    actions.showLauncher = [self] {
        if (self)
            self->showLauncher();
    };
    actions.showSettings = [self] {
        if (self)
            self->showSettings();
    };
    actions.openAppFromMenu = [self](QAction *item) {
        if (self)
            self->openAppFromMenu(item);
    };
    return DockMenu::build(source, actions);
}

// ----------------------------------------------------------------- commands

void AppDelegate::showLauncher()
{
    launcher().show();
}

void AppDelegate::rescan()
{
    session().rescan();
}

void AppDelegate::quit()
{
    if (m_platform.terminate)
        m_platform.terminate();
}

void AppDelegate::importNative()
{
    LauncherSession &model = session();
    if (model.importNativeLayout() && model.lastImportSummary()) {
        if (m_platform.showInformation)
            m_platform.showInformation(L(QStringLiteral("已导入系统启动台布局")), model.lastImportSummary()->statusText());
        return;
    }
    if (m_platform.beep)
        m_platform.beep();
}

void AppDelegate::showAbout()
{
    LauncherSession &model = session();
    // The name is the same in every language.
    const QString informative =
        L(kAboutDescriptionKey, int(model.apps().size()), int(model.layout().pages.size()));
    if (m_platform.showInformation)
        m_platform.showInformation(QStringLiteral("Tessellon"), informative);
}

void AppDelegate::openAppFromMenu(QAction *item)
{
    if (item == nullptr)
        return;
    const QVariant represented = item->data();
    if (represented.typeId() != QMetaType::QString)
        return;
    // The application may have gone since the menu was built.
    const std::optional<AppItem> app = session().app(represented.toString());
    if (!app)
        return;
    open(*app);
}

void AppDelegate::open(const AppItem &app)
{
    launcher().hide();
    if (m_platform.openApplication)
        m_platform.openApplication(app);
}
