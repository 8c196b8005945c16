#pragma once

// SIGINT and SIGTERM end a running monitor cleanly instead of the process.
// Call once from main, before runCli.
void installStopSignals();

// Becomes readable once a stop signal came; -1 when none were installed.
int stopSignalFd();
