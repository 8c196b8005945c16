#pragma once

#include "cansaveformat.h"

#include <QByteArray>
#include <QVector>

#include <cstdint>

// Reading back a capture this tool saved (a candump -L log or the CSV), so
// that it can be sent again. Pure: no file, no box.

// One frame of a capture: when it was received and what it carried.
struct CapturedFrame
{
    qint64 timeUs = 0; // microseconds since the epoch, as saved
    quint16 id = 0;
    QVector<uint8_t> data;
};

// Why a line cannot be sent again.
enum class CaptureProblem
{
    None,
    Unreadable,   // not a frame line of the format
    IdTooHigh,    // an identifier above 7FF: no standard frame
    TooManyBytes, // more than 8 data bytes
};

struct CaptureFile
{
    // Every frame, in the file's order; empty past a problem.
    QVector<CapturedFrame> frames;
    CaptureProblem problem = CaptureProblem::None;
    // The line of the problem, counted from 1; 0 without one.
    int line = 0;
};

// Reads the whole capture `text` in `format`. The CSV's header line and empty
// lines are skipped; line ends may be "\n" or "\r\n". The first line that
// cannot be sent again ends the reading with its problem and number.
CaptureFile parseCaptureFile(const QByteArray &text, CanSaveFormat format);
