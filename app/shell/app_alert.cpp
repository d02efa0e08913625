#include "shell/app_alert.h"

#include "foundation/log.h"
#include "localization/l10n.h"
#include "window_stacking.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace {

WindowStacking *serverStacking = nullptr;

AppAlert::WindowState stateOf(const QWidget *window)
{
    AppAlert::WindowState state;
    state.visible = window->isVisible();
    state.alpha = window->windowOpacity();
    state.level = WindowLevel::of(window);
    state.frame = QRectF(window->frameGeometry());
    return state;
}

// The alert's window and every other top-level window of the application.
bool watchdogFires(QDialog &alert)
{
    QWidget *window = alert.window();
    QScreen *screen = window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    double area = 0;
    if (screen != nullptr) {
        const QRect frame = screen->geometry();
        area = double(frame.width()) * double(frame.height());
    }
    // A hidden window covers nothing; only the shown ones are looked up.
    QList<const QWidget *> windows{window};
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible())
            windows.append(other);
    }
    const std::optional<QList<int>> places =
        serverStacking != nullptr ? serverStacking->places(windows) : std::nullopt;
    QList<AppAlert::WindowState> states;
    for (qsizetype i = 0; i < windows.size(); ++i) {
        AppAlert::WindowState state = stateOf(windows.at(i));
        if (places && i < places->size())
            state.stacked = places->at(i);
        states.append(state);
    }
    const AppAlert::WindowState alertState = states.takeFirst();
    if (AppAlert::watchdogShouldAbort(alertState, area, states))
        return true;
    // Said, so that a kept alert can be told from a watchdog that never ran.
    Log::write("[AppAlert] kept visible=1 covered=0 order=%@", places ? "server" : "level");
    return false;
}

} // namespace

bool AppAlert::isCovered(const WindowState &alert, double screenArea, const QList<WindowState> &others)
{
    if (!(screenArea > 0))
        return false;
    for (const WindowState &other : others) {
        const double area = other.frame.width() * other.frame.height();
        const bool stackedApart = alert.stacked >= 0 && other.stacked >= 0 && alert.stacked != other.stacked;
        const bool above = stackedApart ? other.stacked > alert.stacked : other.level > alert.level;
        if (other.visible && other.alpha > visibleAlpha && above && area >= coveringShare * screenArea)
            return true;
    }
    return false;
}

bool AppAlert::watchdogShouldAbort(const WindowState &alert, double screenArea, const QList<WindowState> &others)
{
    const bool covered = isCovered(alert, screenArea, others);
    if (alert.visible && !covered)
        return false;
    Log::write("[AppAlert] 弹窗不可见或被全屏覆盖层压住（visible=%@ covered=%@），中止模态会话",
               alert.visible ? "1" : "0", covered ? "1" : "0");
    return true;
}

void AppAlert::useStacking(WindowStacking *stacking)
{
    serverStacking = stacking;
}

int AppAlert::run(QDialog &alert, TimerScheduler &scheduler)
{
    if (auto *box = qobject_cast<AlertBox *>(&alert); box != nullptr && box->buttons().isEmpty())
        box->addButton(L(QStringLiteral("好")));
    // A modal dialog sits at the modal-panel level unless its owner gave it
    // another (WindowLevel::of).
    alert.setModal(true);

    bool aborted = false;
    const QPointer<QDialog> guard(&alert);
    auto watchdog = scheduler.schedule(watchdogDelay, false, [guard, &aborted] {
        // Invalidated when exec() returns, so the run is still going here.
        if (guard && watchdogFires(*guard)) {
            aborted = true;
            guard->done(AppAlert::abortResponse);
        }
    });
    const int response = alert.exec();
    watchdog->invalidate();
    return aborted ? abortResponse : response;
}

int AppAlert::information(const QString &message, const QString &informative, AlertBox::Style style,
                          const std::optional<QString> &button, TimerScheduler &scheduler)
{
    AlertBox alert;
    alert.setMessageText(message);
    alert.setInformativeText(informative);
    alert.setAlertStyle(style);
    alert.addButton(button.value_or(L(QStringLiteral("好"))));
    return run(alert, scheduler);
}
