#include "replaytimeline.h"

#include <algorithm>

namespace {
constexpr qint64 kMaxDueNs = ReplayTimeline::kMaxDueNs;
constexpr qint64 kMaxDueUs = kMaxDueNs / 1000;

// When frame `atNs` of round `round` is due at `speed`: worked out in double,
// which cannot overflow, and saturated before it becomes an integer again.
qint64 replayDueNs(qint64 round, qint64 roundNs, qint64 atNs, double speed)
{
    if (speed <= 0)
        return 0;
    const double due = (double(round) * double(roundNs) + double(atNs)) / speed;
    return due < double(kMaxDueNs) ? qint64(due) : kMaxDueNs;
}
} // namespace

bool ReplayTimeline::add(qint64 timeUs, quint16 id, const QVector<uint8_t> &data, bool send)
{
    ReplayFrame frame;
    if (data.size() > int(frame.data.size()))
        return false;
    if (m_intoUs < 0) {
        m_intoUs = 0;
    } else if (timeUs > m_lastUs) {
        // Saved times lie within 10^12 s of the epoch: the difference fits.
        const qint64 gapUs = timeUs - m_lastUs;
        m_intoUs = gapUs < kMaxDueUs - m_intoUs ? m_intoUs + gapUs : kMaxDueUs;
    }
    m_lastUs = timeUs;
    if (!send || m_intoUs < m_startAtUs)
        return true;
    if (m_frames.size() >= kMaxFrames)
        return false;
    if (m_firstKeptUs < 0)
        m_firstKeptUs = m_intoUs;
    frame.atNs = (m_intoUs - m_firstKeptUs) * 1000;
    frame.id = id;
    frame.size = quint8(data.size());
    std::copy(data.cbegin(), data.cend(), frame.data.begin());
    m_frames.append(frame);
    return true;
}

ReplayCapture readReplayCapture(QIODevice &device, CanSaveFormat format, qint64 startAtUs,
                                bool withReceived)
{
    // Streamed into the compact frames: the capture's text is never held whole.
    ReplayTimeline timeline(startAtUs);
    ReplayCapture replay;
    const CaptureFile capture =
        readCaptureFile(device, format, CaptureUse::Replay, [&](const CanFrame &frame) {
            const bool send = withReceived || frame.direction == CanDirection::Sent;
            replay.tooMany =
                replay.tooMany || !timeline.add(frame.timeUs, frame.id, frame.dataVector(), send);
        });
    replay.problem = capture.problem;
    replay.line = capture.line;
    replay.atByte = capture.atByte;
    replay.readFailed = capture.readFailed;
    replay.frames = timeline.frames();
    return replay;
}

CanTxWorker::Schedule replaySchedule(const QVector<ReplayFrame> &frames, double speed, int loops)
{
    const qint64 roundNs = frames.isEmpty() ? 0 : frames.last().atNs;
    return [=](qint64 index, ScheduledCanFrame &frame) {
        if (frames.isEmpty() || index >= qint64(frames.size()) * loops)
            return false;
        const qint64 round = index / frames.size();
        const ReplayFrame &kept = frames.at(int(index % frames.size()));
        frame.atNs = replayDueNs(round, roundNs, kept.atNs, speed);
        frame.id = kept.id;
        frame.data.resize(kept.size);
        std::copy(kept.data.cbegin(), kept.data.cbegin() + kept.size, frame.data.begin());
        return true;
    };
}
