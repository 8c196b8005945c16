// The simulated box over time: frames in flight, the CAN stream, the reads
// that wait for them, unplugging and the restart after an upgrade.
#include "simbox.h"

#include "commands.h"
#include "simboxdetail.h"

#include <algorithm>
#include <cstring>

using namespace simbox_detail;

void SimBox::sendInFlightLocked(Clock::time_point now)
{
    if (!m_canReporting || (m_canRate <= 0 && m_burstLeft == 0))
        return;
    for (int i = 0; i < m_framesInFlight; ++i) {
        if (m_burstLeft > 0)
            --m_burstLeft;
        else
            ++m_rateFramesDone; // the stream's next frames, sent early
        m_outgoing.push_back({now, nextGeneratedFrameLocked()});
    }
}

bool SimBox::nextRateDueLocked(Clock::time_point now, Clock::time_point &due) const
{
    (void)now;
    if (!m_canReporting || m_canRate <= 0)
        return false;
    const double next = double(m_rateFramesDone + 1) / m_canRate;
    due = m_rateStart +
          std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(next));
    return true;
}

QByteArray SimBox::nextGeneratedFrameLocked()
{
    // A plausible bus: a few identifiers, a counter and a slowly changing value.
    static const quint16 ids[] = {0x0C9, 0x1A0, 0x2F1, 0x3E9, 0x7DF, 0x7E8};
    const quint64 n = m_generated++;
    const quint16 id = ids[n % (sizeof(ids) / sizeof(ids[0]))];
    QVector<uint8_t> payload = {uint8_t(id & 0xFF), uint8_t(id >> 8)};
    for (int i = 0; i < 8; ++i)
        payload.append(uint8_t((n >> (8 * (i % 4))) + i));
    return frame(CMD_CAN_FRAME, payload);
}

void SimBox::arriveLocked(const QByteArray &report)
{
    if (m_session == 0)
        return; // nobody has the node open: the report goes nowhere
    if (int(m_hostQueue.size()) >= kHostQueueReports) {
        ++m_dropped;
        return;
    }
    m_hostQueue.push_back(report);
}

// Moves everything the box has sent by `now` to the host, in the order sent.
void SimBox::advanceLocked(Clock::time_point now)
{
    for (;;) {
        Clock::time_point due;
        const bool rateDue = nextRateDueLocked(now, due) && due <= now;
        const bool sentDue = !m_outgoing.empty() && m_outgoing.front().readyAt <= now;
        if (sentDue && (!rateDue || m_outgoing.front().readyAt <= due)) {
            arriveLocked(m_outgoing.front().frame);
            m_outgoing.pop_front();
        } else if (rateDue) {
            ++m_rateFramesDone;
            if (int(m_hostQueue.size()) >= kHostQueueReports && m_session != 0) {
                // Lost on arrival: count it without building it, so a host
                // that stops reading for long costs little.
                ++m_generated;
                ++m_dropped;
            } else {
                arriveLocked(nextGeneratedFrameLocked());
            }
        } else {
            break;
        }
    }
    // The backlog goes out one frame per frame taken, so it never overflows
    // the host's queue by itself.
    if (m_burstLeft > 0 && m_canReporting && m_session != 0 && m_hostQueue.empty()) {
        --m_burstLeft;
        m_hostQueue.push_back(nextGeneratedFrameLocked());
    }
}

SimBox::Clock::time_point SimBox::nextArrivalLocked() const
{
    Clock::time_point next = Clock::time_point::max();
    if (!m_outgoing.empty())
        next = m_outgoing.front().readyAt;
    Clock::time_point due;
    if (nextRateDueLocked(Clock::now(), due))
        next = std::min(next, due);
    return next;
}

int SimBox::hostRead(quint64 session, uint8_t *data, size_t length, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline =
        timeoutMs < 0 ? Clock::time_point::max() : start + std::chrono::milliseconds(timeoutMs);
    const bool instant = m_instantTimeouts && timeoutMs >= kInstantThresholdMs;
    for (;;) {
        if (!m_plugged || session == 0 || session != m_session)
            return -1;
        const Clock::time_point now = Clock::now();
        advanceLocked(now);
        if (!m_hostQueue.empty()) {
            const QByteArray &out = m_hostQueue.front();
            const size_t n = std::min<size_t>(length, size_t(out.size()));
            std::memcpy(data, out.constData(), n);
            m_hostQueue.pop_front();
            return int(n);
        }
        if (now >= deadline)
            return 0;
        // In instant mode a reply read gives up at once unless something the
        // box has sent (a delayed reply, say) arrives within the time-out.
        if (instant && (m_outgoing.empty() || m_outgoing.front().readyAt > deadline))
            return 0;
        m_cond.wait_until(lock, std::min(deadline, nextArrivalLocked()));
    }
}

void SimBox::unplugLocked(bool restart)
{
    m_plugged = false;
    m_session = 0;
    m_outgoing.clear();
    m_hostQueue.clear();
    m_burstLeft = 0;
    m_goingAway = false;
    m_canReporting = false;
    m_rawRemaining = 0;
    if (restart && m_restartTimeMs >= 0) {
        m_restarting = true;
        m_backAt = Clock::now() + std::chrono::milliseconds(m_restartTimeMs);
        m_timerCond.notify_all();
    }
}

void SimBox::checkRestartLocked(Clock::time_point now)
{
    if (m_restarting && now >= m_backAt) {
        m_restarting = false;
        m_plugged = true;
    }
}

void SimBox::restartTimerLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_shutdown) {
        if (m_goingAway) {
            m_timerCond.wait_until(lock, m_goAwayAt);
            if (m_shutdown)
                break;
            if (m_goingAway && Clock::now() >= m_goAwayAt) {
                // The reset takes the node away whether or not the host has
                // read the finish reply yet.
                const bool was = m_plugged;
                unplugLocked(true);
                if (was) {
                    lock.unlock();
                    m_cond.notify_all();
                    notify(false);
                    lock.lock();
                }
            }
        } else if (m_restarting) {
            m_timerCond.wait_until(lock, m_backAt);
            if (m_shutdown)
                break;
            const bool was = m_plugged;
            checkRestartLocked(Clock::now());
            if (!was && m_plugged) {
                lock.unlock();
                notify(true);
                lock.lock();
            }
        } else {
            m_timerCond.wait(lock);
        }
    }
}
