#include "stopsignal.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int g_stopPipe[2] = {-1, -1};
bool g_brokenPipeStops = false;
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void onStopSignal(int signalNumber)
{
    // The interrupted write (EPIPE) must still see its own errno.
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // Nothing to do when the pipe is full: a stop is already pending.
    [[maybe_unused]] const ssize_t n = ::write(g_stopPipe[1], &number, 1);
    errno = savedErrno;
}
} // namespace

bool installStopSignals(BrokenPipe brokenPipe)
{
    if (g_stopPipe[0] >= 0 || ::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kStopSignals)
        ::sigaction(number, &action, nullptr);
    g_brokenPipeStops = brokenPipe == BrokenPipe::Stops;
    if (g_brokenPipeStops)
        ::sigaction(SIGPIPE, &action, nullptr);
    return true;
}

void removeStopSignals()
{
    if (g_stopPipe[0] < 0)
        return;
    for (int number : kStopSignals)
        ::signal(number, SIG_DFL);
    if (g_brokenPipeStops)
        ::signal(SIGPIPE, SIG_DFL);
    ::close(g_stopPipe[0]);
    ::close(g_stopPipe[1]);
    g_stopPipe[0] = g_stopPipe[1] = -1;
}

int stopSignalFd()
{
    return g_stopPipe[0];
}

std::unique_ptr<QSocketNotifier> stopSignalNotifier()
{
    if (g_stopPipe[0] < 0)
        return nullptr;
    return std::make_unique<QSocketNotifier>(g_stopPipe[0], QSocketNotifier::Read);
}

int takeStopSignal()
{
    unsigned char number = 0;
    if (g_stopPipe[0] < 0 || ::read(g_stopPipe[0], &number, 1) != 1)
        return -1;
    return int(number);
}
