#pragma once

#include <memory>

class QSocketNotifier;

// The one self-pipe of the stop signals, for both programs: SIGINT, SIGTERM
// and SIGHUP (a logout, a dropped SSH session) no longer end the process but
// write their number to the pipe, and everything else runs on the event loop.
// With BrokenPipe::Stops (the CLI) SIGPIPE, a reader of standard output that
// went away, does the same. One per process.
enum class BrokenPipe
{
    Default, // SIGPIPE ends the process, as it does without these handlers
    Stops,   // a write to a closed pipe fails with EPIPE, which the output checks see
};

// False when the pipe could not be made or the handlers are set up already.
bool installStopSignals(BrokenPipe brokenPipe);
// The default handlers come back and the pipe is closed.
void removeStopSignals();

// Becomes readable once a stop signal came and stays so until the signals
// are taken; -1 when none were installed. A command that can stop (monitor,
// the slcan bridge) watches it and ends cleanly; one that must not be cut
// (an upgrade) ignores it until it is done.
int stopSignalFd();

// A notifier that fires when a stop signal comes; null when none were installed.
std::unique_ptr<QSocketNotifier> stopSignalNotifier();

// The number of a stop signal that came, taken from the pipe; -1 when none
// is waiting.
int takeStopSignal();
