#pragma once

#include <memory>

class QSocketNotifier;

// SIGINT, SIGTERM, SIGHUP (a dropped SSH session) and SIGPIPE (a reader of
// standard output that went away) no longer end the process: they only make
// the stop pipe readable. A command that can stop (monitor, the slcan bridge)
// watches it and ends cleanly; one that must not be cut (an upgrade) ignores
// it until it is done. Call once from main, before runCli.
void installStopSignals();

// Becomes readable once a stop signal came; -1 when none were installed.
int stopSignalFd();

// A notifier that fires when a stop signal comes; null when none were installed.
std::unique_ptr<QSocketNotifier> stopSignalNotifier();
