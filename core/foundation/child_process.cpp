#include "child_process.h"

#include <QProcess>

namespace ChildProcess {

Result run(const QString &executable, const QStringList &arguments, int timeoutMs)
{
    Result result;
    QProcess process;
    process.setProgram(executable);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(timeoutMs)) {
        result.errorText = process.errorString();
        return result;
    }
    result.started = true;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        result.errorText = QStringLiteral("timed out");
        return result;
    }
    result.finished = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.standardOutput = process.readAllStandardOutput();
    return result;
}

std::optional<QByteArray> output(const Result &result)
{
    if (!result.started || !result.finished || result.exitCode != 0)
        return std::nullopt;
    return result.standardOutput;
}

} // namespace ChildProcess
