#pragma once

#include "cansaveformat.h"

#include <QByteArray>
#include <QVector>

#include <cstdint>
#include <functional>

// Reading back a capture this tool saved (a candump -L log or the CSV), so
// that it can be sent again or looked at in a trace. Pure: no file, no box.

// One frame of a capture: when it was received and what it carried.
struct CapturedFrame
{
    qint64 timeUs = 0; // microseconds since the epoch, as saved
    quint16 id = 0;
    QVector<uint8_t> data;
    CanDirection direction = CanDirection::Received;
    // False for a record too short to carry an identifier, which the CSV
    // saves with an empty one; only a view reads such lines.
    bool hasId = true;
};

// What the capture is read for. A replay refuses the whole file at its first
// line the box cannot send; a view takes every identifier and record length
// a trace holds and passes over the lines it cannot read.
enum class CaptureUse
{
    Replay,
    View,
};

// Why a line cannot be sent again.
enum class CaptureProblem
{
    None,
    Unreadable,   // not a frame line of the format
    IdTooHigh,    // an identifier above 7FF (a view: above FFFF)
    TooManyBytes, // more than 8 data bytes (a view: more than 64)
};

struct CaptureFile
{
    // Every frame, in the file's order; for a replay empty past a problem.
    QVector<CapturedFrame> frames;
    // The first problem, and its line counted from 1 (0 without one).
    CaptureProblem problem = CaptureProblem::None;
    int line = 0;
    // For a view: how many lines were passed over.
    int skipped = 0;
    // Frames read, whether kept in `frames` or handed over one by one.
    int frameCount = 0;
};

// Reads the whole capture `text` in `format`. The CSV's header line and empty
// lines are skipped; line ends may be "\n" or "\r\n". For a replay the first
// line that cannot be sent again ends the reading with its problem and number.
CaptureFile parseCaptureFile(const QByteArray &text, CanSaveFormat format,
                             CaptureUse use = CaptureUse::Replay);

// Reads as parseCaptureFile does, but hands each frame to `take` as it is
// read instead of keeping it (`frames` stays empty), so that a large capture
// is never held twice. A replay's reading stops at its problem, after the
// frames before it were handed over.
CaptureFile readCaptureFile(const QByteArray &text, CanSaveFormat format, CaptureUse use,
                            const std::function<void(const CapturedFrame &)> &take);
