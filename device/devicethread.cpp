#include "devicethread.h"

#include <QVariant>

DeviceThread::DeviceThread(QObject *parent) : QObject(parent), m_worker(new QObject)
{
    m_thread.setObjectName(QStringLiteral("deviceThread"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

DeviceThread::~DeviceThread()
{
    stop();
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void DeviceThread::post(std::function<void()> job)
{
    if (m_stopping.load())
        return;
    QMetaObject::invokeMethod(
        m_worker,
        [this, job = std::move(job)] {
            if (!m_stopping.load())
                job();
        },
        Qt::QueuedConnection);
}

void DeviceThread::stop()
{
    m_stopping.store(true);
}
