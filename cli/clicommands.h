#pragma once

#include <QStringList>

class QIODevice;

// Exit status of votkbox-cli.
enum CliExit
{
    CLI_OK = 0,
    CLI_USAGE = 1,
    CLI_NO_BOX = 2,
    CLI_NO_ANSWER = 3,
    CLI_REFUSED = 4,
    CLI_UPGRADE_FAILED = 5,
};

// Runs one votkbox-cli command line (without the program name): results go to
// `out`, messages to `err`. Needs a QCoreApplication. `outIsTerminal` turns
// the upgrade's progress lines into a bar.
int runCli(const QStringList &args, QIODevice *out, QIODevice *err, bool outIsTerminal = false);

// SIGINT and SIGTERM end a running monitor cleanly instead of the process.
// Call once from main, before runCli.
void installStopSignals();
