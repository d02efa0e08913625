#include "termination_signals.h"

#include "foundation/child_process.h"
#include "foundation/log.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The pipe is process-wide because the signal handler can reach nothing else.
int g_pipe[2] = {-1, -1};
bool g_busy = false;
constexpr std::array<int, 2> kSignals = {SIGTERM, SIGINT};
struct sigaction g_previous[kSignals.size()];

extern "C" void onSignal(int signal)
{
    // Only async-signal-safe calls here.
    const int savedErrno = errno;
    // A child the main thread waits on ends now, so that the loop gets to
    // the pipe promptly.
    ChildProcess::requestStop();
    const unsigned char byte = static_cast<unsigned char>(signal);
    if (g_pipe[1] >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    }
    errno = savedErrno;
}

void closePipe()
{
    for (int &fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    onTerminate = [](int) { QCoreApplication::quit(); };
}

TerminationSignals::~TerminationSignals()
{
    uninstall();
}

bool TerminationSignals::install()
{
    if (m_installed)
        return true;
    if (g_busy) {
        Log::write("[signals] install failed reason=%@", "already-installed");
        return false;
    }
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        Log::write("[signals] install failed reason=%@", QString::fromLocal8Bit(std::strerror(errno)));
        closePipe();
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &action, &g_previous[i]) != 0) {
            Log::write("[signals] install failed reason=%@", QString::fromLocal8Bit(std::strerror(errno)));
            for (size_t j = 0; j < i; ++j)
                ::sigaction(kSignals[j], &g_previous[j], nullptr);
            closePipe();
            return false;
        }
    }
    g_busy = true;
    m_installed = true;
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { drain(); });
    return true;
}

void TerminationSignals::drain()
{
    const QPointer<TerminationSignals> self(this);
    unsigned char bytes[16];
    for (;;) {
        const ssize_t count = ::read(g_pipe[0], bytes, sizeof bytes);
        if (count <= 0)
            break;
        for (ssize_t i = 0; i < count; ++i) {
            Log::write("[signals] received signal=%d", int(bytes[i]));
            // A copy: the callback may destroy this object, and with it onTerminate.
            const auto callback = onTerminate;
            if (callback)
                callback(int(bytes[i]));
            if (!self || !m_installed)
                return; // the callback tore us down
        }
    }
}

void TerminationSignals::uninstall()
{
    if (!m_installed)
        return;
    m_notifier.reset();
    for (size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    closePipe();
    g_busy = false;
    m_installed = false;
}
