#pragma once

#include "cansaveformat.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// Writes frames in any of the save formats, a batch at a time, so that both
// a save from memory and a recording while capturing write the same files.

// The bytes of a capture file, frame by frame. Pure: no file. The header is
// written with the first frame, whose time is the file's start (ASC, TRC and
// BLF keep times from a start).
class CaptureEncoder
{
public:
    explicit CaptureEncoder(CanSaveFormat format);

    // Appends `frame` (the header first, for the first frame). False, with
    // nothing appended, for a frame the format cannot hold: more than eight
    // data bytes in ASC, TRC or BLF.
    bool add(QByteArray &out, const CanFrame &frame);
    // Appends what is held back: BLF's objects, packed into a container.
    void flush(QByteArray &out);
    // Appends the end of the file (the header of a file without frames, the
    // end of ASC's trigger block), after what is held back.
    void finish(QByteArray &out);
    // BLF's file header with the size, counts and stop time known at the end,
    // to be written over the first `fileSize` bytes' header; empty for the
    // other formats.
    QByteArray finalHeader(qint64 fileSize) const;

    CanSaveFormat format() const { return m_format; }

private:
    void begin(QByteArray &out, qint64 startUs);

    const CanSaveFormat m_format;
    bool m_begun = false;
    qint64 m_startUs = 0;
    qint64 m_lastUs = 0;
    qint64 m_count = 0;
    // BLF: objects not yet packed, and the bytes they came to unpacked.
    QByteArray m_objects;
    qint64 m_unpackedBytes = 0;
};

// Writes frames to `out` through a CaptureEncoder: frames are buffered and
// written in blocks; flush() hands everything so far to the device.
class CaptureWriter
{
public:
    CaptureWriter(QIODevice &out, CanSaveFormat format);

    // False once a write failed (errorString() says why).
    bool write(const CanFrame &frame);
    bool write(const CanFrame *frames, int count);
    bool flush();
    // Writes the end of the file and, where the format keeps counts in its
    // header and the device can seek, that header again. The device stays open.
    bool close();

    // The bytes of the file so far, those still buffered included.
    qint64 size() const { return m_written + m_buffer.size(); }
    // Frames the format cannot hold, left out.
    qint64 leftOut() const { return m_leftOut; }
    QString errorString() const;

private:
    bool writeBuffer();

    QIODevice &m_out;
    CaptureEncoder m_encoder;
    QByteArray m_buffer;
    qint64 m_written = 0;
    qint64 m_leftOut = 0;
    bool m_failed = false;
};
