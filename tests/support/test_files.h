#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>

// The whole content of a file, or "<missing>" when it cannot be read, so that
// a comparison with the expected bytes names the fault.
QByteArray readAll(const QString &path);

// Writes `bytes` to `path`, replacing what was there and making the folders on
// the way; fails the running test when the file cannot be written.
void writeFile(const QString &path, const QByteArray &bytes);

// Runs the event loop until `done` holds or `timeoutMs` have passed: a server
// or a child process answers on its own schedule. False on the timeout.
template <typename Predicate>
bool waitFor(Predicate done, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}
