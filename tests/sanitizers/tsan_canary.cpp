// A deliberate data race: a worker thread counts in a plain int that a slot of
// a QObject resets in the main thread, reached through a queued connection.
// The tsan-canary stage runs this with the project's TSan options and
// suppressions and fails unless the race is reported, so a suppression that
// hides races through slots or Qt's event delivery cannot pass unnoticed.
#include <QCoreApplication>
#include <QObject>

#include <chrono>
#include <thread>

class Tally : public QObject
{
    Q_OBJECT
public:
    int count = 0; // the race: no lock, no atomic

signals:
    void batchStarted();

public slots:
    void resetCount()
    {
        count = 0;
        QCoreApplication::quit();
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Tally tally;
    QObject::connect(&tally, &Tally::batchStarted, &tally, &Tally::resetCount,
                     Qt::QueuedConnection);
    std::thread worker([&tally] {
        emit tally.batchStarted();
        // Keeps counting while the slot runs: nothing orders the two writes.
        for (int i = 0; i < 500; ++i) {
            ++tally.count;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    app.exec();
    worker.join();
    return 0;
}

#include "tsan_canary.moc"
