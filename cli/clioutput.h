#pragma once

#include <QString>

class CliContext;

// Standard output carries a command's data alone; these write it and notice
// the first failed write (a full disk, a closed pipe) so the command can end
// cleanly and exit with CLI_OUTPUT_FAILED.

// Writes `text` to the command's output and flushes it; false once any write
// to it has failed (later writes are not tried).
bool writeData(CliContext &cli, const QString &text);

// The same for bytes already UTF-8, written as they are.
bool writeBytes(CliContext &cli, const QByteArray &bytes);

// Flushes what is left; true when every write so far went through.
bool outputWritten(CliContext &cli);

// The message and exit status for output that could not be written.
int outputFailed(CliContext &cli);
