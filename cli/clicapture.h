#pragma once

#include "cansaveformat.h"

#include <QString>

class CliContext;
class QFile;

// Opens the saved capture `name` for a command that reads one (replay,
// decode): CLI_OK with its format and the file open, or the refusal already
// told, as its exit status.
int openCliCapture(CliContext &cli, const QString &name, CanSaveFormat *format, QFile *file);
