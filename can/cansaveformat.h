#pragma once

#include "canframetype.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// The file formats a capture is saved in, and the text of one saved frame.
// Pure functions: the window's save and the command-line monitor share them.

enum class CanSaveFormat
{
    CandumpLog, // "(1733580000.123456) can0 7DF#02010C0000000000"
    Csv,        // "time,id,len,data,dir" with a header line; read: python-can's too
    Asc,        // Vector ASC text
    Trc,        // PEAK TRC text: read 1.x and 2.x, written as 2.1
    Blf,        // Vector binary logging, containers compressed with zlib
    PythonCsv,  // python-can's CSV (base64 data, no direction); read as Csv
};

// The format for a file name by its extension (".log", ".csv", ".asc",
// ".trc" or ".blf", any case); false when the name has none of them.
bool canSaveFormatFor(const QString &fileName, CanSaveFormat *format);

// The format a command line names: "log", "csv", "asc", "trc", "blf" or
// "pycsv" (python-can's CSV); false for any other name.
bool canSaveFormatNamed(const QString &name, CanSaveFormat *format);

// What goes before the first frame of the line formats: the CSV header line,
// nothing for a log. The other formats are written by CaptureEncoder.
QByteArray canSaveHeader(CanSaveFormat format);

// Appends one frame's line, newline included. `timeUs` is microseconds since
// the epoch; `id` is negative for a record too short to carry an identifier:
// the CSV writes it with an empty identifier, the log leaves it out, since a
// line without one stops candump-log readers (python-can, log2asc) at that
// line. Extended frames (all above 7FF, which no standard frame has) are written with
// eight digits as candump does for extended frames. A sent frame's log line
// ends in " T", candump's mark of a transmitted frame, which python-can and
// log2asc read as one; the CSV says "Rx" or "Tx" in its last column.
void appendCanSaveLine(QByteArray &out, CanSaveFormat format, qint64 timeUs, int id,
                       const uint8_t *data, int length, CanDirection direction,
                       bool extended = false);
// The same for one frame.
inline void appendCanSaveLine(QByteArray &out, CanSaveFormat format, const CanFrame &frame)
{
    appendCanSaveLine(out, format, frame.timeUs, frame.id, frame.data, frame.length,
                      frame.direction, frame.extended);
}
