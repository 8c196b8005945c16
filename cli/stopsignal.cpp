#include "stopsignal.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int g_stopPipe[2] = {-1, -1};

void onStopSignal(int)
{
    // The interrupted write (EPIPE) must still see its own errno.
    const int savedErrno = errno;
    const char byte = 1;
    // Nothing to do when the pipe is full: a stop is already pending.
    [[maybe_unused]] const ssize_t n = ::write(g_stopPipe[1], &byte, 1);
    errno = savedErrno;
}
} // namespace

void installStopSignals()
{
    if (g_stopPipe[0] >= 0 || ::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    // A write to a closed pipe then fails with EPIPE, which the output checks see.
    sigaction(SIGPIPE, &action, nullptr);
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
