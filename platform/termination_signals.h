#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into an ordinary call on the main thread, so that
// a terminated launcher ends through the application's own shutdown (the
// session is saved) instead of dying inside a signal handler. The handler only
// writes the signal number into a pipe; the pipe's notifier, served by the
// main event loop, calls onTerminate. One instance at a time per process.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    // Restores the handlers that were in place before install().
    ~TerminationSignals() override;

    // Installs the handlers. False (with one "[signals]" line) when another
    // instance is installed or the pipe or a handler cannot be set up.
    bool install();
    bool isInstalled() const { return m_installed; }

    // Called on the main thread with the signal number. Default: ask the
    // application to quit, which runs its normal shutdown.
    std::function<void(int signal)> onTerminate;

private:
    void drain();
    void uninstall();

    bool m_installed = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
