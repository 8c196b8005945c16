#include "cantxworker.h"

#include "boxcommands.h"

#include <algorithm>
#include <chrono>

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

CanTxWorker::CanTxWorker(DeviceLink &link, Schedule schedule)
    : m_link(link), m_schedule(std::move(schedule))
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

bool CanTxWorker::transmit(DeviceLink &link, quint16 id, const QVector<uint8_t> &data)
{
    return BoxCommands::sendCanFrame(link, id, data).sent;
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
        if (!transmit(m_link, frame.id, frame.data)) {
            m_writeFailed = true;
            return false;
        }
        ++m_sent;
        return true;
    };
    runSchedule(m_schedule, &Clock::now, waitUntil, send);
}
