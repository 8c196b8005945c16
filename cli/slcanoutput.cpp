#include "slcanoutput.h"

#include "canframe.h"

#include <unistd.h>

void SlcanOutput::framesRead(const QVector<CanFrame> &frames)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return;
    const bool wasEmpty = m_pending.isEmpty();
    for (const CanFrame &frame : frames) {
        if (m_pending.size() >= kMaxPendingBytes) {
            m_overrun = true;
            break;
        }
        const qint64 ms = m_timestamps ? floorDivide(frame.timeUs, 1000).first : -1;
        appendSlcanFrame(m_pending, frame.id, frame.data, frame.length, ms);
    }
    if (wasEmpty && !m_pending.isEmpty())
        wake();
}

void SlcanOutput::wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}
