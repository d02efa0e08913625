#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Runs a tool as a child process with an argument list (never through a
// shell) and returns its standard output once it exits with status 0.
// Standard input is empty; both output channels are read while it runs, so a
// chatty child can never block on a full pipe. A child still running after
// `timeoutMs`, or printing more than `maxOutputBytes`, is killed and counts as
// a failure. So is one running when the process is asked to stop (SIGTERM):
// the wait ends within a few milliseconds instead of at the time limit.
namespace ChildProcess {

struct Result
{
    bool started = false;
    bool finished = false; // exited by itself within the time limit
    bool stopped = false;  // killed because the process is stopping
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError; // its first kilobytes
    QString errorText; // why it could not start or was killed
};

constexpr qint64 kMaxOutputBytes = qint64(64) * 1024 * 1024;

Result run(const QString &executable, const QStringList &arguments, int timeoutMs = 5000,
           qint64 maxOutputBytes = kMaxOutputBytes);

// Async-signal-safe: every running child is killed and no new one starts.
void requestStop();
bool stopRequested();
// For tests that request a stop and go on.
void clearStopRequest();

// Output of a run that started, finished in time and exited with status 0.
std::optional<QByteArray> output(const Result &result);

} // namespace ChildProcess
