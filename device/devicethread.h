#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QThread;

// The thread the box's commands run on, so that a box slow to answer, or
// silent, holds up no window. Jobs run one at a time, in the order posted.
class DeviceThread : public QObject
{
    Q_OBJECT
public:
    explicit DeviceThread(QObject *parent = nullptr);
    // Stops, then waits for the job under way: at most its exchange's time-out.
    ~DeviceThread() override;

    // Queues `job` on the device thread; nothing runs once stop() was called.
    void post(std::function<void()> job);
    // Jobs not yet started are dropped; a running one sees stopRequested()
    // and ends after its current exchange. `last`, when given, still runs
    // after it: the box is left as the window found it.
    void stop(std::function<void()> last = nullptr);
    bool stopRequested() const { return m_stopping.load(); }

signals:
    // Emitted on the device thread once the job of `id` has its result.
    void jobDone(quint64 id);

private:
    void run();

    // Jobs go over under this lock rather than through the thread's event
    // queue, so that what they carry is handed over visibly.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    std::function<void()> m_last;
    std::atomic<bool> m_stopping{false};
    std::unique_ptr<QThread> m_thread;
};
