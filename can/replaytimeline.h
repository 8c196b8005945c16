#pragma once

#include "cantxworker.h"
#include "capturefile.h"

#include <QVector>

#include <array>
#include <cstdint>

class QIODevice;

// A frame of a replay as held until it is sent: a capture of millions of
// frames costs no heap block per frame.
struct ReplayFrame
{
    qint64 atNs = 0;
    quint16 id = 0;
    quint8 size = 0;
    std::array<uint8_t, 8> data{};
};
// A vector of millions of them grows by realloc, not by copying.
Q_DECLARE_TYPEINFO(ReplayFrame, Q_PRIMITIVE_TYPE);

// A replay's frames built from a capture read in file order: each frame due
// its recorded gap after the one before it, a time that goes back counting as
// no gap, so that every frame is sent. The frames less than `startAtUs` into
// the capture are left out; the first one kept is due at once. Due times are
// saturated at kMaxDueNs.
class ReplayTimeline
{
public:
    // About 31 years: no frame is waited for longer.
    static constexpr qint64 kMaxDueNs = 1000000000000000000;
    // 1.2 GB of frames held for sending; a capture with more is refused.
    static constexpr int kMaxFrames = 50000000;

    explicit ReplayTimeline(qint64 startAtUs = 0) : m_startAtUs(startAtUs) {}

    // Takes the next frame of the capture, recorded at `timeUs`. False when
    // it cannot be held: kMaxFrames are kept already, or more than 8 bytes.
    // A frame not to be sent (`send` false) still counts for the time.
    bool add(qint64 timeUs, quint16 id, const QVector<uint8_t> &data, bool send = true);
    const QVector<ReplayFrame> &frames() const { return m_frames; }

private:
    qint64 m_startAtUs;
    qint64 m_lastUs = 0;
    qint64 m_intoUs = -1; // how far into the capture the last frame lies
    qint64 m_firstKeptUs = -1;
    QVector<ReplayFrame> m_frames;
};

// A capture read for a replay: its frames, or why it cannot be replayed.
struct ReplayCapture
{
    QVector<ReplayFrame> frames;
    // The first line the box cannot send, and its number (in a binary
    // capture, `atByte`, the byte offset of its object).
    CaptureProblem problem = CaptureProblem::None;
    qint64 line = 0;
    bool atByte = false;
    // The file could not be read to its end.
    bool readFailed = false;
    // More than ReplayTimeline::kMaxFrames frames to send.
    bool tooMany = false;
};

// Reads the whole capture from `device` once, a block at a time, and keeps
// the frames from `startAtUs` into it on; nothing of a file with a problem
// is to be sent. Without `withReceived` only the frames recorded as sent are
// kept, at their recorded times.
ReplayCapture readReplayCapture(QIODevice &device, CanSaveFormat format, qint64 startAtUs = 0,
                                bool withReceived = true);

// `frames` (ascending times, the first due at once) played `loops` times,
// each round right after the last; the gaps divided by `speed`, all due at
// once for a speed of 0. A due time past ReplayTimeline::kMaxDueNs, however
// slow the speed or many the loops, waits that long.
CanTxWorker::Schedule replaySchedule(const QVector<ReplayFrame> &frames, double speed, int loops);
