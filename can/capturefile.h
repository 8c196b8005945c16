#pragma once

#include "cansaveformat.h"

#include <QByteArray>
#include <QVector>

class QFile;
class QIODevice;
class QString;

#include <cstdint>
#include <functional>

// Reading back a capture (a candump -L log, the tool's CSV or python-can's,
// Vector ASC or BLF, PEAK TRC), so that it can be sent again or looked at in
// a trace. Pure: no file, no box.

// What the capture is read for. A replay refuses the whole file at its first
// line the box cannot send; a view takes every identifier and data length
// a trace holds and passes over the lines it cannot read (a CSV line without
// an identifier among them: no frame has none).
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
    RemoteFrame,  // a remote frame: the box sends data frames only
    ErrorFrame,   // an error frame, which is no frame to send
    FdFrame,      // a CAN FD frame
    ExtendedId,   // a frame marked extended (29 bits): the box sends standard ones
};

struct CaptureFile
{
    // Every frame, in the file's order; for a replay empty past a problem.
    QVector<CanFrame> frames;
    // The first problem, and its line counted from 1 (0 without one); in a
    // binary capture (`atByte`) the byte offset of its object instead.
    CaptureProblem problem = CaptureProblem::None;
    qint64 line = 0;
    bool atByte = false;
    // For a view: how many lines were passed over.
    qint64 skipped = 0;
    // Frames read, whether kept in `frames` or handed over one by one.
    qint64 frameCount = 0;
    // The file could not be read to its end (an I/O error).
    bool readFailed = false;
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
                            const std::function<void(const CanFrame &)> &take);
// The same, read from `device` a block at a time: a capture of any size costs
// no more memory than its longest line (a line over 4 KiB is unreadable) or,
// in BLF, its largest object.
CaptureFile readCaptureFile(QIODevice &device, CanSaveFormat format, CaptureUse use,
                            const std::function<void(const CanFrame &)> &take);

enum class CaptureOpen
{
    Opened,
    NotAFile, // a FIFO, a device, a directory: refused before a byte is read
    Failed,   // missing or not readable, `why` says why
};

// Opens the capture at `path` into `file` for reading, without waiting on
// it: only a regular file is opened, anything else is refused at once.
CaptureOpen openCaptureFile(const QString &path, QFile *file, QString *why);
