// A deliberate heap use-after-free inside a slot reached through a queued
// connection. The asan-canary stage runs this with the project's ASan options
// and suppressions and fails unless AddressSanitizer reports it.
#include <QCoreApplication>
#include <QObject>

class FrameLog : public QObject
{
    Q_OBJECT
public:
    FrameLog() : m_bytes(new int[8]()) {}
    // The fault: frees the buffer but keeps the pointer.
    void drop() { delete[] m_bytes; }

signals:
    void frameArrived(int index);

public slots:
    void showFrame(int index)
    {
        m_last = m_bytes[index];
        QCoreApplication::quit();
    }

public:
    int m_last = 0;

private:
    int *m_bytes;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    FrameLog log;
    QObject::connect(&log, &FrameLog::frameArrived, &log, &FrameLog::showFrame,
                     Qt::QueuedConnection);
    log.drop();
    emit log.frameArrived(3);
    app.exec();
    return log.m_last;
}

#include "asan_canary.moc"
