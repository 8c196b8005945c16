#pragma once

#include "cansaveformat.h"

#include <QString>

#include <optional>

class CliContext;
class QFile;
struct CaptureFile;
enum class CaptureProblem;

// Opens the saved capture `name` for a command that reads one (replay,
// decode, convert): CLI_OK with its format (`given`, else told by the
// extension) and the file open, or the refusal already told, as its exit status.
int openCliCapture(CliContext &cli, const QString &name, CanSaveFormat *format, QFile *file,
                   std::optional<CanSaveFormat> given = std::nullopt);

// What is wrong with a capture's frame, for a message: "is a remote frame".
QString captureProblemText(CaptureProblem problem);
// Where: "line 12" or, in a binary capture, "byte 4096".
QString capturePlaceText(qint64 place, bool atByte);
