#pragma once

#include <QThread>
#include <QVector>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

// One CAN frame of a send schedule and when it is due, in nanoseconds after
// the schedule's start.
struct ScheduledCanFrame
{
    qint64 atNs = 0;
    quint16 id = 0;
    QVector<uint8_t> data;
};

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
    bool add(qint64 timeUs, quint16 id, const QVector<uint8_t> &data);
    const QVector<ReplayFrame> &frames() const { return m_frames; }

private:
    qint64 m_startAtUs;
    qint64 m_lastUs = 0;
    qint64 m_intoUs = -1; // how far into the capture the last frame lies
    qint64 m_firstKeptUs = -1;
    QVector<ReplayFrame> m_frames;
};

// Sends a schedule of CAN frames on its own thread against absolute deadlines
// on the steady clock: a late frame does not push back the ones after it, and
// a busy event loop elsewhere does not stretch the gaps. A frame due already
// goes out at once, so a schedule of zeros runs as fast as the box takes them.
class CanTxWorker : public QThread
{
    Q_OBJECT
public:
    // Fills in frame number `index` (from 0); false ends the schedule.
    using Schedule = std::function<bool(qint64 index, ScheduledCanFrame &frame)>;

    // One frame every `periodNs`, the first at once; `count` frames, or those
    // due before `untilNs`, or endless when both are negative.
    static Schedule periodic(quint16 id, const QVector<uint8_t> &data, qint64 periodNs,
                             qint64 count, qint64 untilNs);
    // `frames` (ascending times, the first due at once) played `loops` times,
    // each round right after the last; the gaps divided by `speed`, all due at
    // once for a speed of 0.
    // A due time past ReplayTimeline::kMaxDueNs, however slow the speed or
    // many the loops, waits that long.
    static Schedule replay(const QVector<ReplayFrame> &frames, double speed, int loops);

    explicit CanTxWorker(Schedule schedule);
    ~CanTxWorker() override;

    // Ends the schedule early and waits for the thread: at once, since the
    // waits between frames wake up for it.
    void stop();

    // Frames written so far; any thread.
    qint64 sentCount() const { return m_sent.load(); }
    // A frame could not be written (the box is gone); the schedule ended there.
    bool writeFailed() const { return m_writeFailed.load(); }

    // Every CAN frame the host sends goes out here, so that a trace of sent
    // frames needs one hook.
    static bool transmit(quint16 id, const QVector<uint8_t> &data);

    // The sending loop, its clock and its sends given: waits through
    // `waitUntil` (false: stopped) until each frame is due, counted from the
    // start as `now` told it, then sends it through `send` (false: the box is
    // gone). The frames sent.
    using Clock = std::chrono::steady_clock;
    static qint64 runSchedule(const Schedule &schedule,
                              const std::function<Clock::time_point()> &now,
                              const std::function<bool(Clock::time_point)> &waitUntil,
                              const std::function<bool(const ScheduledCanFrame &)> &send);

protected:
    void run() override;

private:
    Schedule m_schedule;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::atomic<qint64> m_sent{0};
    std::atomic<bool> m_writeFailed{false};
};
