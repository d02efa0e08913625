#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Runs a tool as a child process with an argument list (never through a
// shell) and returns its standard output once it exits with status 0.
// Standard input is empty and standard error goes to the null device, so a
// chatty child can never block on a full pipe. A child still running after
// `timeoutMs` is killed and counts as a failure.
namespace ChildProcess {

struct Result
{
    bool started = false;
    bool finished = false; // exited by itself within the time limit
    int exitCode = -1;
    QByteArray standardOutput;
    QString errorText; // why it could not start, when it did not
};

Result run(const QString &executable, const QStringList &arguments, int timeoutMs = 5000);

// Output of a run that started, finished in time and exited with status 0.
std::optional<QByteArray> output(const Result &result);

} // namespace ChildProcess
