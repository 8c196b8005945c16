#include "cantxworker.h"
#include "devicelink.h"
#include "replydecode.h"
#include "testsupport.h"

#include <QtTest>

// The sending worker on the simulated box: what reaches the box, in which
// order, and that a box gone away ends it.
class TestCanTxWorker : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void periodSendsItsFramesForTheTimeGiven();
    void unplugEndsThePeriodicSending();
    void replaySendsEveryFrameInOrderForEachLoop();

private:
    std::unique_ptr<SimFixture> m_sim;
};

void TestCanTxWorker::init()
{
    m_sim = std::make_unique<SimFixture>();
    QCOMPARE(DeviceLink::instance()->open(), 0);
}

void TestCanTxWorker::cleanup()
{
    m_sim.reset();
}

void TestCanTxWorker::periodSendsItsFramesForTheTimeGiven()
{
    const QVector<uint8_t> data{0x02, 0x01, 0x0C};
    CanTxWorker worker(CanTxWorker::periodic(0x7DF, data, 10000000, -1, 1000000000));
    worker.start();
    QVERIFY(worker.wait(30000));
    QVERIFY(!worker.writeFailed());
    const QList<QVector<uint8_t>> sent = m_sim->box.sentCanFrames();
    // The frames due within one second of a 10 ms period, not one more.
    QCOMPARE(sent.size(), 100);
    QCOMPARE(worker.sentCount(), 100);
    for (const QVector<uint8_t> &frame : sent)
        QCOMPARE(frame, canFramePayload(0x7DF, data));
}

void TestCanTxWorker::unplugEndsThePeriodicSending()
{
    CanTxWorker worker(CanTxWorker::periodic(0x123, {0x55}, 5000000, -1, -1));
    worker.start();
    QTRY_VERIFY(worker.sentCount() >= 3);
    m_sim->box.unplug();
    QVERIFY(worker.wait(10000));
    QVERIFY(worker.writeFailed());
    QCOMPARE(qint64(m_sim->box.sentCanFrames().size()), worker.sentCount());
}

void TestCanTxWorker::replaySendsEveryFrameInOrderForEachLoop()
{
    const QVector<ScheduledCanFrame> frames{
        {0, 0x100, {0x01}},
        {2000000, 0x7FF, {}},
        {2000000, 0x001, {1, 2, 3, 4, 5, 6, 7, 8}},
        {5000000, 0x2A0, {0xFF, 0x00}},
    };
    CanTxWorker worker(CanTxWorker::replay(frames, 0, 3));
    worker.start();
    QVERIFY(worker.wait(30000));
    QList<QVector<uint8_t>> expected;
    for (int loop = 0; loop < 3; ++loop)
        for (const ScheduledCanFrame &frame : frames)
            expected << canFramePayload(frame.id, frame.data);
    QCOMPARE(m_sim->box.sentCanFrames(), expected);
}

QTEST_GUILESS_MAIN(TestCanTxWorker)
#include "tst_cantxworker.moc"
