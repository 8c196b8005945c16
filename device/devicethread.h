#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>

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
    // and ends after its current exchange.
    void stop();
    bool stopRequested() const { return m_stopping.load(); }

    // Lives on the device thread: jobDone is emitted there.
    QObject *worker() const { return m_worker; }

signals:
    // Emitted on the device thread once the job of `id` has its result.
    void jobDone(quint64 id, QVariant result);

private:
    QThread m_thread;
    QObject *m_worker;
    std::atomic<bool> m_stopping{false};
};
