#include "slcanoutput.h"

#include "canframe.h"

#include <algorithm>
#include <unistd.h>

void SlcanOutput::frameRead(const CmdPacket &report)
{
    const QVector<uint8_t> record = report.getPayload();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return;
    if (m_pending.size() >= kMaxPendingBytes) {
        m_overrun = true;
        return;
    }
    const qint64 ms =
        m_timestamps
            ? std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
                  .count()
            : -1;
    const int skip = std::min(2, record.size());
    const bool wasEmpty = m_pending.isEmpty();
    if (appendSlcanFrame(m_pending, canFrameId(record), record.constData() + skip,
                         record.size() - skip, ms) &&
        wasEmpty)
        wake();
}

void SlcanOutput::wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}
