#include "boxoperation.h"

#include "devicethread.h"

#include <atomic>
#include <mutex>

namespace {
// Tells the results of operations sharing the device thread apart.
quint64 nextJobId()
{
    static std::atomic<quint64> last{0};
    return ++last;
}
} // namespace

// The result, handed from the device thread under its own lock.
struct BoxOperation::Outcome
{
    std::mutex mutex;
    QVariant result;
};

BoxOperation::BoxOperation(DeviceThread &thread, Work work, QObject *parent)
    : QObject(parent), m_thread(thread), m_work(std::move(work))
{
    // Queued: the news crosses from the device thread to this one.
    connect(&m_thread, &DeviceThread::jobDone, this, &BoxOperation::jobDone, Qt::QueuedConnection);
}

bool BoxOperation::start()
{
    if (m_running)
        return false;
    m_running = true;
    m_id = nextJobId();
    m_outcome = std::make_shared<Outcome>();
    DeviceThread *thread = &m_thread;
    m_thread.post([thread, id = m_id, work = m_work, outcome = m_outcome] {
        QVariant result = work(*thread);
        {
            std::lock_guard<std::mutex> lock(outcome->mutex);
            outcome->result = std::move(result);
        }
        emit thread->jobDone(id);
    });
    return true;
}

void BoxOperation::jobDone(quint64 id)
{
    if (!m_running || id != m_id)
        return;
    m_running = false;
    QVariant result;
    {
        std::lock_guard<std::mutex> lock(m_outcome->mutex);
        result = std::move(m_outcome->result);
    }
    m_outcome.reset();
    emit finished(result);
}
