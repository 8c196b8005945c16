#include "stopsignal.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int g_stopPipe[2] = {-1, -1};

void onStopSignal(int)
{
    const char byte = 1;
    // Nothing to do when the pipe is full: a stop is already pending.
    [[maybe_unused]] const ssize_t n = ::write(g_stopPipe[1], &byte, 1);
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
    // The terminal going away ends a running bridge the same way.
    sigaction(SIGHUP, &action, nullptr);
}

int stopSignalFd()
{
    return g_stopPipe[0];
}
