#include "canrxthread.h"

#include "devicelink.h"
#include "devicelog.h"

#include <algorithm>

namespace {
constexpr int kFirstBackoffMs = 20;
constexpr int kMaxBackoffMs = 500;
constexpr int kPauseStepMs = 10;
} // namespace

CanRxThread::CanRxThread(DeviceLink &link) : QThread(nullptr), m_link(link)
{
    // Queued connections to send_can_rx are refused unless the type is known
    // by then, and the window connects before start-up registers it.
    qRegisterMetaType<QVector<CanFrame>>("QVector<CanFrame>");
}

CanRxThread::~CanRxThread()
{
    stop();
}

void CanRxThread::stop()
{
    requestInterruption();
    wait();
}

void CanRxThread::run()
{
    qCDebug(lcDevice) << "can thread run";
    int backoffMs = 0;
    while (!isInterruptionRequested()) {
        const int result = m_link.receiveFrame(*this);
        if (result > 0) {
            backoffMs = 0;
        } else if (result < 0) {
            // The box is gone (or busy with an upgrade): wait longer each time
            // instead of turning failed reads into empty frames.
            if (backoffMs == 0)
                emit sig_read_failed();
            backoffMs = backoffMs == 0 ? kFirstBackoffMs : std::min(backoffMs * 2, kMaxBackoffMs);
            if (!pauseAfterFailure(backoffMs))
                break;
        }
    }
}

void CanRxThread::framesRead(const QVector<CanFrame> &frames)
{
    qCDebug(lcCanFrames) << frames.size();
    emit send_can_rx(frames);
}

void CanRxThread::frameSent(const CanFrame &frame)
{
    emit send_can_rx({frame});
}

bool CanRxThread::pauseAfterFailure(int ms)
{
    for (int waited = 0; waited < ms; waited += kPauseStepMs) {
        if (isInterruptionRequested())
            return false;
        msleep(kPauseStepMs);
    }
    return !isInterruptionRequested();
}
