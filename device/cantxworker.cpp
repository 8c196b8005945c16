#include "cantxworker.h"

#include "boxcommands.h"

#include <algorithm>
#include <chrono>

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

bool ReplayTimeline::add(qint64 timeUs, quint16 id, const QVector<uint8_t> &data)
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
    if (m_intoUs < m_startAtUs)
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

CanTxWorker::Schedule CanTxWorker::periodic(quint16 id, const QVector<uint8_t> &data,
                                            qint64 periodNs, qint64 count, qint64 untilNs)
{
    return [=](qint64 index, ScheduledCanFrame &frame) {
        if (count >= 0 && index >= count)
            return false;
        frame.atNs = index * periodNs;
        // The first frame goes at once, however short the time given.
        if (untilNs >= 0 && index > 0 && frame.atNs >= untilNs)
            return false;
        frame.id = id;
        frame.data = data;
        return true;
    };
}

CanTxWorker::Schedule CanTxWorker::replay(const QVector<ReplayFrame> &frames, double speed,
                                          int loops)
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

CanTxWorker::CanTxWorker(Schedule schedule) : m_schedule(std::move(schedule))
{
}

CanTxWorker::~CanTxWorker()
{
    stop();
}

void CanTxWorker::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    wait();
}

bool CanTxWorker::transmit(quint16 id, const QVector<uint8_t> &data)
{
    return BoxCommands::sendCanFrame(id, data).sent;
}

qint64 CanTxWorker::runSchedule(const Schedule &schedule,
                                const std::function<Clock::time_point()> &now,
                                const std::function<bool(Clock::time_point)> &waitUntil,
                                const std::function<bool(const ScheduledCanFrame &)> &send)
{
    const Clock::time_point start = now();
    ScheduledCanFrame frame;
    qint64 sent = 0;
    for (qint64 index = 0; schedule(index, frame); ++index) {
        // Against the start, never the last send: a slow send does not push
        // back the frames after it.
        if (!waitUntil(start + std::chrono::nanoseconds(frame.atNs)) || !send(frame))
            break;
        ++sent;
    }
    return sent;
}

void CanTxWorker::run()
{
    const auto waitUntil = [this](Clock::time_point due) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait_until(lock, due, [this] { return m_stopping; });
        return !m_stopping;
    };
    const auto send = [this](const ScheduledCanFrame &frame) {
        if (!transmit(frame.id, frame.data)) {
            m_writeFailed = true;
            return false;
        }
        ++m_sent;
        return true;
    };
    runSchedule(m_schedule, &Clock::now, waitUntil, send);
}
