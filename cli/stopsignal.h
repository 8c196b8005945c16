#pragma once

// SIGINT, SIGTERM and SIGHUP end a running monitor or slcan bridge cleanly
// instead of the process.
// Call once from main, before runCli.
void installStopSignals();

// Becomes readable once a stop signal came; -1 when none were installed.
int stopSignalFd();
