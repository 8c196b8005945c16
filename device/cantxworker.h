#pragma once

#include <QThread>
#include <QVector>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class DeviceLink;

// One CAN frame of a send schedule and when it is due, in nanoseconds after
// the schedule's start.
struct ScheduledCanFrame
{
    qint64 atNs = 0;
    quint16 id = 0;
    QVector<uint8_t> data;
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
    // A replay's schedule comes from replaySchedule() (replaytimeline.h).

    CanTxWorker(DeviceLink &link, Schedule schedule);
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
    static bool transmit(DeviceLink &link, quint16 id, const QVector<uint8_t> &data);

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
    DeviceLink &m_link;
    Schedule m_schedule;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::atomic<qint64> m_sent{0};
    std::atomic<bool> m_writeFailed{false};
};
