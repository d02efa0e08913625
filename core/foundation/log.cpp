#include "log.h"

#include <QMutex>
#include <QMutexLocker>

#include <cstdio>

namespace {

QMutex &logMutex()
{
    static QMutex mutex;
    return mutex;
}

Log::Sink &logSink()
{
    static Log::Sink sink;
    return sink;
}

} // namespace

namespace Log {

void writeLine(const QString &message)
{
    QString line = message;
    line.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    line.replace(QLatin1Char('\n'), QLatin1String("\\n"));

    QMutexLocker locker(&logMutex());
    if (logSink()) {
        logSink()(line);
        return;
    }
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void setSink(Sink sink)
{
    QMutexLocker locker(&logMutex());
    logSink() = std::move(sink);
}

} // namespace Log
