#include "shell/app_alert.h"
#include "shell/app_delegate.h"
#include "session/launch_options.h"
#include "shell/launcher_controller.h"

#include "foundation/log.h"
#include "font_warm_up.h"
#include "localization/localization_catalog.h"
#include "single_instance.h"
#include "input_platform.h"
#include "tray_watcher.h"
#include "window_decorator.h"
#include "window_stacking.h"
#include "window_under_pointer.h"
#include "x11/linux_desktop.h"
#include "termination_signals.h"

#include <QApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <thread>

namespace {

// The one application delegate, for the life of the process.
AppDelegate *appDelegateRef = nullptr;

// Qt aborts with a page about platform plugins when its X11 platform finds no
// server. Only that platform is checked (the first of QT_QPA_PLATFORM's list,
// or -platform; X11 when neither names one): offscreen and the others need no
// display. The text says what went wrong: no display named at all, or one
// named that does not answer. Empty when the display is there.
QString x11DisplayProblem(int argc, char **argv)
{
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    QByteArray display;
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0)
            platform = argv[i + 1];
        else if (qstrcmp(argv[i], "-display") == 0)
            display = argv[i + 1];
    }
    const QByteArray first = platform.split(';').first().trimmed();
    if (!first.isEmpty() && !first.startsWith("xcb"))
        return {};
    if (linuxDisplayAvailable(QString::fromLocal8Bit(display)))
        return {};
    const QByteArray named = display.isEmpty() ? qgetenv("DISPLAY") : display;
    if (named.isEmpty())
        return QStringLiteral("no X display: set DISPLAY to a running X server or run under Xvfb (xvfb-run tessellon)");
    return QStringLiteral("cannot open X display %1: is its X server running, and may this user connect to it?")
        .arg(QString::fromLocal8Bit(named));
}

} // namespace

int main(int argc, char **argv)
{
    // Before anything else: help starts no launcher and reaches no running one.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (LaunchOptions::wantsHelp(arguments)) {
        std::fputs(qUtf8Printable(LaunchOptions::usage()), stdout);
        return 0;
    }

    if (const QString problem = x11DisplayProblem(argc, argv); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(problem));
        return 1;
    }

    // What the first frame needs and a worker can read while the application
    // object is built: the font configuration and the translated texts.
    std::jthread warmUp([] {
        loadFontConfiguration();
        LocalizationCatalog::tables();
    });
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessellon"));
    // The launcher hides its window rather than closing it, and the last
    // alert closing must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    const LaunchOptions options = LaunchOptions::parse(QCoreApplication::arguments());
    // Parsing goes on past what it cannot read; say what that was.
    for (const QString &problem : LaunchOptions::problems(QCoreApplication::arguments()))
        Log::write("[options] %@; ignored", problem);

    // One running launcher per state: a second start hands over to the first
    // (as a click on the Dock icon would) and ends.
    SingleInstance instance(
        SingleInstance::socketPathFor(options.effectiveStateDirectory().value_or(QDir::homePath())));
    // The running launcher carries out this start's imports, "--settings"
    // and "--show"; any other option is said to be left undone.
    instance.setHandOverArguments(LaunchOptions::forHandOver(QCoreApplication::arguments(), QDir::currentPath()));
    if (instance.acquire() == SingleInstance::Role::handedOver) {
        const QStringList notApplied = LaunchOptions::notHandedOver(QCoreApplication::arguments());
        if (notApplied.isEmpty())
            return 0;
        std::fprintf(stderr, "tessellon is already running; these options were not applied: %s\n",
                     qUtf8Printable(notApplied.join(QStringLiteral(", "))));
        return 2;
    }

    // The desktop's input outlives the delegate whose triggers use it.
    const std::unique_ptr<InputPlatform> input = makeLinuxInputPlatform();
    // So does the tray watcher, which starts watching only when asked.
    const std::unique_ptr<TrayWatcher> trayWatcher = makeLinuxTrayWatcher();
    // Alerts ask the X server whether the launcher really covers them.
    const std::unique_ptr<WindowStacking> stacking = makeLinuxWindowStacking();
    AppAlert::useStacking(stacking.get());
    AppDelegate::Platform platform = AppDelegate::Platform::system();
    platform.useInputPlatform(*input);
    platform.trayWatcher = trayWatcher.get();
    platform.launcherEnvironment.decorator = makeLinuxWindowDecorator();
    platform.launcherEnvironment.windowUnderPointer = makeLinuxWindowUnderPointer();
    auto delegate = std::make_unique<AppDelegate>(options, std::move(platform));
    appDelegateRef = delegate.get();
    instance.onReopenWithArguments = [](const QStringList &arguments) {
        if (appDelegateRef)
            appDelegateRef->handleLaterStart(LaunchOptions::parse(QStringList{QStringLiteral("tessellon")} + arguments));
    };

    // SIGTERM and SIGINT end through the ordinary end of the event loop, so
    // the session is saved. exit() rather than quit(): quit() first asks the
    // windows to close, and the launcher window refuses that.
    TerminationSignals terminationSignals;
    terminationSignals.onTerminate = [](int) { QCoreApplication::exit(0); };
    terminationSignals.install();
    QObject::connect(&application, &QCoreApplication::aboutToQuit, delegate.get(),
                     &AppDelegate::applicationWillTerminate);

    // The first window is the font configuration's first user. A worker that
    // has not finished yet (a busy machine) is waited for: fontconfig would
    // otherwise read the whole configuration a second time for this thread.
    warmUp.join();
    // The window goes up now; the rest of start-up runs from the event loop.
    delegate->applicationWillFinishLaunching();
    const int status = application.exec();

    // Widgets go before the application object does.
    appDelegateRef = nullptr;
    delegate.reset();
    AppAlert::useStacking(nullptr);
    return status;
}
