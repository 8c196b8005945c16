#pragma once

#include "cliexit.h"
#include "stopsignal.h"

#include <QStringList>

class QIODevice;

// Runs one votkbox-cli command line (without the program name): results go to
// `out`, messages to `err`. Needs a QCoreApplication. `outIsTerminal` turns
// the upgrade's progress lines into a bar.
int runCli(const QStringList &args, QIODevice *out, QIODevice *err, bool outIsTerminal = false);
