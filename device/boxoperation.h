#pragma once

#include <QObject>
#include <QVariant>

#include <functional>
#include <memory>

class DeviceThread;

// One piece of box work (a few exchanges) run on the device thread: start()
// returns at once, finished(result) comes later on this object's thread. An
// operation destroyed before then never reports.
class BoxOperation : public QObject
{
    Q_OBJECT
public:
    // Runs on the device thread; may end early once the thread is stopping.
    using Work = std::function<QVariant(const DeviceThread &)>;

    BoxOperation(DeviceThread &thread, Work work, QObject *parent = nullptr);

    // False, and nothing queued, while the previous run has not finished.
    bool start();
    bool isRunning() const { return m_running; }

signals:
    void finished(QVariant result);

private:
    struct Outcome;
    void jobDone(quint64 id);

    DeviceThread &m_thread;
    Work m_work;
    quint64 m_id = 0;
    bool m_running = false;
    // Shared with the job, which may outlive this operation.
    std::shared_ptr<Outcome> m_outcome;
};
