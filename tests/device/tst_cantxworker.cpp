#include "cantxworker.h"
#include "devicelink.h"
#include "replaytimeline.h"
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
    void periodicDeadlinesHoldWhateverASendCosts_data();
    void periodicDeadlinesHoldWhateverASendCosts();
    void unplugEndsThePeriodicSending();
    void replaySendsEveryFrameInOrderForEachLoop();
    void replayScheduleFollowsTheFileOrder_data();
    void replayScheduleFollowsTheFileOrder();

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
    CanTxWorker worker(*DeviceLink::instance(),
                       CanTxWorker::periodic(0x7DF, data, 10000000, -1, 1000000000));
    worker.start();
    QVERIFY(worker.wait(30000));
    QVERIFY(!worker.writeFailed());
    const QList<QVector<uint8_t>> sent = m_sim->box.sentCanFrames();
    // The frames due within one second of a 10 ms period, not one more.
    QCOMPARE(sent.size(), 100);
    QCOMPARE(worker.sentCount(), 100);
    for (const QVector<uint8_t> &frame : sent)
        QCOMPARE(frame, canFramePayload(0x7DF, data));
    // However short the time, the first frame goes at once.
    ScheduledCanFrame first;
    QVERIFY(CanTxWorker::periodic(0x7DF, data, 10000000, -1, 0)(0, first));
}

void TestCanTxWorker::periodicDeadlinesHoldWhateverASendCosts_data()
{
    QTest::addColumn<int>("sendUs");
    QTest::addColumn<QList<int>>("sentAtUs"); // when each send begins
    // A 1 ms period on a clock that moves only when the loop waits or sends.
    QTest::newRow("quick box") << 100 << QList<int>{0, 1000, 2000, 3000, 4000};
    QTest::newRow("a send takes most of the period")
        << 900 << QList<int>{0, 1000, 2000, 3000, 4000};
    // A frame late already goes at once, and the ones after keep their times.
    QTest::newRow("slow box catches up") << 1500 << QList<int>{0, 1500, 3000, 4500, 6000};
}

void TestCanTxWorker::periodicDeadlinesHoldWhateverASendCosts()
{
    QFETCH(int, sendUs);
    QFETCH(QList<int>, sentAtUs);
    using Clock = CanTxWorker::Clock;
    Clock::time_point now = Clock::time_point() + std::chrono::hours(1);
    const Clock::time_point start = now;
    QList<int> sends;
    int waits = 0;
    const qint64 sent = CanTxWorker::runSchedule(
        CanTxWorker::periodic(0x123, {0x55}, 1000000, 5, -1), [&] { return now; },
        [&](Clock::time_point due) {
            ++waits;
            now = std::max(now, due);
            return true;
        },
        [&](const ScheduledCanFrame &) {
            sends << int(
                std::chrono::duration_cast<std::chrono::microseconds>(now - start).count());
            now += std::chrono::microseconds(sendUs);
            return true;
        });
    QCOMPARE(sent, qint64(5));
    QCOMPARE(waits, 5);
    QCOMPARE(sends, sentAtUs);
}

void TestCanTxWorker::unplugEndsThePeriodicSending()
{
    CanTxWorker worker(*DeviceLink::instance(),
                       CanTxWorker::periodic(0x123, {0x55}, 5000000, -1, -1));
    worker.start();
    QTRY_VERIFY(worker.sentCount() >= 3);
    m_sim->box.unplug();
    QVERIFY(worker.wait(10000));
    QVERIFY(worker.writeFailed());
    QCOMPARE(qint64(m_sim->box.sentCanFrames().size()), worker.sentCount());
}

void TestCanTxWorker::replaySendsEveryFrameInOrderForEachLoop()
{
    const QVector<ReplayFrame> frames{
        {0, 0x100, 1, {0x01}},
        {2000000, 0x7FF, 0, {}},
        {2000000, 0x001, 8, {1, 2, 3, 4, 5, 6, 7, 8}},
        {5000000, 0x2A0, 2, {0xFF, 0x00}},
    };
    CanTxWorker worker(*DeviceLink::instance(), replaySchedule(frames, 0, 3));
    worker.start();
    QVERIFY(worker.wait(30000));
    QList<QVector<uint8_t>> expected;
    for (int loop = 0; loop < 3; ++loop)
        for (const ReplayFrame &frame : frames)
            expected << canFramePayload(
                frame.id, QVector<uint8_t>(frame.data.cbegin(), frame.data.cbegin() + frame.size));
    QCOMPARE(m_sim->box.sentCanFrames(), expected);
}

void TestCanTxWorker::replayScheduleFollowsTheFileOrder_data()
{
    QTest::addColumn<QList<qint64>>("recordedUs"); // the capture's times, in file order
    QTest::addColumn<qint64>("startAtUs");
    QTest::addColumn<double>("speed");
    QTest::addColumn<int>("loops");
    QTest::addColumn<QStringList>("due"); // "frame@ns", frames counted in the file from 0

    const qint64 s = 1000000;
    const QString max = QString::number(ReplayTimeline::kMaxDueNs);
    QTest::newRow("recorded gaps") << QList<qint64>{10 * s, 10 * s + s / 2, 11 * s} << qint64(0)
                                   << 1.0 << 1 << QStringList{"0@0", "1@500000000", "2@1000000000"};
    QTest::newRow("a time that goes back is no gap")
        << QList<qint64>{10 * s, 5 * s, 10 * s + s / 2} << qint64(0) << 1.0 << 1
        << QStringList{"0@0", "1@0", "2@5500000000"};
    QTest::newRow("equal times") << QList<qint64>{s, s, s} << qint64(0) << 1.0 << 1
                                 << QStringList{"0@0", "1@0", "2@0"};
    // S seconds into the capture as it plays, not S seconds of its clock.
    QTest::newRow("start-at past a time that goes back")
        << QList<qint64>{10 * s, 10 * s + s / 5, 5 * s, 5 * s + s / 2, 6 * s} << s / 2 << 1.0 << 1
        << QStringList{"3@0", "4@500000000"};
    QTest::newRow("twice as fast, twice over")
        << QList<qint64>{0, s} << qint64(0) << 2.0 << 2
        << QStringList{"0@0", "1@500000000", "0@500000000", "1@1000000000"};
    QTest::newRow("as fast as the box takes them")
        << QList<qint64>{0, s, 3 * s} << qint64(0) << 0.0 << 1 << QStringList{"0@0", "1@0", "2@0"};
    QTest::newRow("the fastest speed") << QList<qint64>{0, s, 2 * s} << qint64(0) << 1e6 << 1
                                       << QStringList{"0@0", "1@1000", "2@2000"};
    QTest::newRow("a tiny speed waits no longer than the maximum")
        << QList<qint64>{0, 1000, 20 * s} << qint64(0) << 1e-9 << 1
        << QStringList{"0@0", "1@1000000000000000", "2@" + max};
    QTest::newRow("gaps across the whole range of saved times")
        << QList<qint64>{-999999999999 * s, 999999999999 * s, 999999999999 * s + 1} << qint64(0)
        << 1.0 << 1 << QStringList{"0@0", "1@" + max, "2@" + max};
    QTest::newRow("rounds of a long capture")
        << QList<qint64>{0, 900000000 * s} << qint64(0) << 1.0 << 3
        << QStringList{
               "0@0",     "1@900000000000000000", "0@900000000000000000", "1@" + max, "0@" + max,
               "1@" + max};
}

// Pure: the due times the worker would wait for, without sending.
void TestCanTxWorker::replayScheduleFollowsTheFileOrder()
{
    QFETCH(QList<qint64>, recordedUs);
    QFETCH(qint64, startAtUs);
    QFETCH(double, speed);
    QFETCH(int, loops);
    QFETCH(QStringList, due);

    ReplayTimeline timeline(startAtUs);
    for (int i = 0; i < recordedUs.size(); ++i)
        QVERIFY(timeline.add(recordedUs.at(i), quint16(i), {uint8_t(i)}));
    const CanTxWorker::Schedule schedule = replaySchedule(timeline.frames(), speed, loops);
    QStringList scheduled;
    ScheduledCanFrame frame;
    for (qint64 index = 0; schedule(index, frame); ++index) {
        QCOMPARE(frame.data, QVector<uint8_t>{uint8_t(frame.id)});
        scheduled << QStringLiteral("%1@%2").arg(frame.id).arg(frame.atNs);
    }
    QCOMPARE(scheduled, due);
}

QTEST_GUILESS_MAIN(TestCanTxWorker)
#include "tst_cantxworker.moc"
