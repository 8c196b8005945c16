#include "devicethread.h"

#include <QThread>

#include <utility>

DeviceThread::DeviceThread(QObject *parent) : QObject(parent)
{
    m_thread.reset(QThread::create([this] { run(); }));
    m_thread->setObjectName(QStringLiteral("deviceThread"));
    m_thread->start();
}

DeviceThread::~DeviceThread()
{
    stop();
    m_thread->wait();
}

void DeviceThread::post(std::function<void()> job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping.load())
            return;
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void DeviceThread::stop(std::function<void()> last)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping.store(true);
        m_jobs.clear();
        if (last)
            m_last = std::move(last);
    }
    m_wake.notify_one();
}

void DeviceThread::run()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping.load() || !m_jobs.empty(); });
            if (m_stopping.load()) {
                job = std::exchange(m_last, nullptr);
                if (!job)
                    return;
            } else {
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
        }
        job();
    }
}
