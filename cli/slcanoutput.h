#pragma once

#include "framesink.h"
#include "slcan.h"

#include <QByteArray>

#include <mutex>

// What goes to the client: received frames and answers, in the order they
// came. Frames come from whichever thread reads the link; the main loop takes
// everything that is ready in one piece, so a busy bus costs one write per
// batch instead of one per frame.
class SlcanOutput : public FrameSink
{
public:
    explicit SlcanOutput(int wakeFd) : m_wakeFd(wakeFd) {}

    // Any thread, under the link's lock.
    void framesRead(const QVector<CanFrame> &frames) override;

    void answer(const QByteArray &text)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.append(text);
        wake();
    }
    QByteArray take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        QByteArray out;
        out.swap(m_pending);
        return out;
    }
    void setOpen(bool open)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = open;
    }
    void setTimestamps(bool on)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_timestamps = on;
    }
    bool takeOverrun()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const bool overrun = m_overrun;
        m_overrun = false;
        return overrun;
    }
    void wake();

private:
    // Frames waiting for a client that does not read are dropped beyond this
    // (about a second of a busy bus), and F then reports the overrun.
    static constexpr int kMaxPendingBytes = 256 * 1024;

    const int m_wakeFd;
    std::mutex m_mutex;
    QByteArray m_pending;
    bool m_open = false;
    bool m_timestamps = false;
    bool m_overrun = false;
};
