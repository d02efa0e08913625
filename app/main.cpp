#include "shell/app_delegate.h"
#include "shell/launch_options.h"
#include "shell/launcher_controller.h"

#include "foundation/log.h"
#include "single_instance.h"
#include "termination_signals.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <memory>

namespace {

// The one application delegate, for the life of the process.
AppDelegate *appDelegateRef = nullptr;

} // namespace

int main(int argc, char **argv)
{
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
    if (instance.acquire() == SingleInstance::Role::handedOver)
        return 0;

    auto delegate = std::make_unique<AppDelegate>(options);
    appDelegateRef = delegate.get();
    instance.onReopen = [] {
        if (appDelegateRef)
            appDelegateRef->applicationShouldHandleReopen(appDelegateRef->launcher().isVisible());
    };

    // SIGTERM and SIGINT end through the ordinary end of the event loop, so
    // the session is saved. exit() rather than quit(): quit() first asks the
    // windows to close, and the launcher window refuses that.
    TerminationSignals terminationSignals;
    terminationSignals.onTerminate = [](int) { QCoreApplication::exit(0); };
    terminationSignals.install();
    QObject::connect(&application, &QCoreApplication::aboutToQuit, delegate.get(),
                     &AppDelegate::applicationWillTerminate);

    // Start-up runs once the event loop turns, as "launching has finished".
    QTimer::singleShot(0, delegate.get(), &AppDelegate::applicationDidFinishLaunching);
    const int status = application.exec();

    // Widgets go before the application object does.
    appDelegateRef = nullptr;
    delegate.reset();
    return status;
}
