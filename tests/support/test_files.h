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

// The ceiling of a wait that normally ends on a signal (a log line, a file, an
// event), scaled by the one factor TESSELLON_TEST_TIME_SCALE (default 1): a
// machine slower or busier than usual raises it there, never in each test.
int testCeilingMs(int milliseconds);

// Runs the event loop until `done` holds or the ceiling of `timeoutMs` has
// passed: a server or a child process answers on its own schedule. False on
// the timeout.
template <typename Predicate>
bool waitFor(Predicate done, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(testCeilingMs(timeoutMs));
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}
