#pragma once

#include "cliexit.h"
#include "stopsignal.h"

#include <QStringList>

class QIODevice;

// Runs one votkbox-cli command line (without the program name): data go to
// `out`, messages and progress to `err`. Needs a QCoreApplication.
// `errIsTerminal` turns the upgrade's progress lines into a bar.
int runCli(const QStringList &args, QIODevice *out, QIODevice *err, bool errIsTerminal = false);
