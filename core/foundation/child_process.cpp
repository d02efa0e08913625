#include "child_process.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <algorithm>
#include <atomic>

namespace ChildProcess {

namespace {

std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

// How often a waiting run looks at the stop request.
constexpr int kWaitSliceMs = 20;
constexpr qint64 kMaxErrorBytes = 4096;

} // namespace

void requestStop()
{
    g_stopRequested.store(true, std::memory_order_relaxed);
}

bool stopRequested()
{
    return g_stopRequested.load(std::memory_order_relaxed);
}

void clearStopRequest()
{
    g_stopRequested.store(false, std::memory_order_relaxed);
}

Result run(const QString &executable, const QStringList &arguments, int timeoutMs, qint64 maxOutputBytes)
{
    Result result;
    if (stopRequested()) {
        result.stopped = true;
        result.errorText = QStringLiteral("stopped");
        return result;
    }
    QProcess process;
    process.setProgram(executable);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(timeoutMs)) {
        result.errorText = process.errorString();
        return result;
    }
    result.started = true;
    const QDeadlineTimer deadline(std::max(timeoutMs, 0));
    QByteArray error;
    const auto kill = [&](const QString &why) {
        process.kill();
        process.waitForFinished(1000);
        result.errorText = why;
    };
    for (;;) {
        const int slice = int(std::clamp<qint64>(deadline.remainingTime(), 0, kWaitSliceMs));
        const bool finished = process.waitForFinished(slice) || process.state() == QProcess::NotRunning;
        result.standardOutput += process.readAllStandardOutput();
        if (error.size() < kMaxErrorBytes)
            error += process.readAllStandardError().left(kMaxErrorBytes - error.size());
        else
            process.readAllStandardError();
        if (finished)
            break;
        if (stopRequested()) {
            result.stopped = true;
            kill(QStringLiteral("stopped"));
            return result;
        }
        if (result.standardOutput.size() > maxOutputBytes) {
            kill(QStringLiteral("output larger than %1 bytes").arg(maxOutputBytes));
            result.standardOutput.clear();
            return result;
        }
        if (deadline.hasExpired()) {
            kill(QStringLiteral("timed out"));
            result.standardOutput.clear();
            return result;
        }
    }
    result.standardError = error;
    result.finished = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    if (result.standardOutput.size() > maxOutputBytes) {
        result.finished = false;
        result.errorText = QStringLiteral("output larger than %1 bytes").arg(maxOutputBytes);
        result.standardOutput.clear();
    }
    return result;
}

std::optional<QByteArray> output(const Result &result)
{
    if (!result.started || !result.finished || result.exitCode != 0)
        return std::nullopt;
    return result.standardOutput;
}

} // namespace ChildProcess
