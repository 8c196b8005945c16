#include "boxoperation.h"

#include "devicethread.h"

#include <atomic>

namespace {
// Tells the results of operations sharing the device thread apart.
quint64 nextJobId()
{
    static std::atomic<quint64> last{0};
    return ++last;
}
} // namespace

BoxOperation::BoxOperation(DeviceThread &thread, Work work, QObject *parent)
    : QObject(parent), m_thread(thread), m_work(std::move(work))
{
    // Queued: the result crosses from the device thread to this one.
    connect(&m_thread, &DeviceThread::jobDone, this, &BoxOperation::jobDone, Qt::QueuedConnection);
}

bool BoxOperation::start()
{
    if (m_running)
        return false;
    m_running = true;
    m_id = nextJobId();
    DeviceThread *thread = &m_thread;
    m_thread.post([thread, id = m_id, work = m_work] { emit thread->jobDone(id, work(*thread)); });
    return true;
}

void BoxOperation::jobDone(quint64 id, const QVariant &result)
{
    if (!m_running || id != m_id)
        return;
    m_running = false;
    emit finished(result);
}
