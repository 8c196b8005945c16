#include "cantxworker.h"

#include "boxcommands.h"

#include <chrono>

CanTxWorker::Schedule CanTxWorker::periodic(quint16 id, const QVector<uint8_t> &data,
                                            qint64 periodNs, qint64 count, qint64 untilNs)
{
    return [=](qint64 index, ScheduledCanFrame &frame) {
        if (count >= 0 && index >= count)
            return false;
        frame.atNs = index * periodNs;
        if (untilNs >= 0 && frame.atNs >= untilNs)
            return false;
        frame.id = id;
        frame.data = data;
        return true;
    };
}

CanTxWorker::Schedule CanTxWorker::replay(const QVector<ScheduledCanFrame> &frames, double speed,
                                          int loops)
{
    const qint64 roundNs = frames.isEmpty() ? 0 : frames.last().atNs;
    return [=](qint64 index, ScheduledCanFrame &frame) {
        if (frames.isEmpty() || index >= qint64(frames.size()) * loops)
            return false;
        const qint64 round = index / frames.size();
        frame = frames.at(int(index % frames.size()));
        frame.atNs = speed > 0 ? qint64(double(round * roundNs + frame.atNs) / speed) : 0;
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

void CanTxWorker::run()
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    ScheduledCanFrame frame;
    for (qint64 index = 0; m_schedule(index, frame); ++index) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            const Clock::time_point due = start + std::chrono::nanoseconds(frame.atNs);
            m_wake.wait_until(lock, due, [this] { return m_stopping; });
            if (m_stopping)
                return;
        }
        if (!transmit(frame.id, frame.data)) {
            m_writeFailed = true;
            return;
        }
        ++m_sent;
    }
}
