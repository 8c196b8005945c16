#include "canrxthread.h"
#include "commands.h"
#include "devicelink.h"
#include "frameclock.h"
#include "testsupport.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <vector>

// The receive thread: what it forwards, how it stops, and how it shares the link.
class TestCanRxThread : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void forwardsOnlyFramesInOrder();
    void stopWithoutIncomingFramesReturns();
    void startStopStartRunsAgain();
    void exchangesGetTheirOwnRepliesWhileItRuns();
    void exchangesSurviveFlowingFrames();
    void unplugEmitsNothingAndReplugFlowsAgain();

private:
    void startCollecting();
    std::unique_ptr<SimFixture> m_sim;
    std::unique_ptr<CanRxThread> m_thread;
    QList<QVector<uint8_t>> m_frames; // identifier low, high, then the data
    QList<qint64> m_stamps;
};

void TestCanRxThread::initTestCase()
{
    qRegisterMetaType<QVector<CanFrame>>("QVector<CanFrame>");
}

void TestCanRxThread::init()
{
    m_sim = std::make_unique<SimFixture>();
    QCOMPARE(DeviceLink::instance()->open(), 0);
    m_thread = std::make_unique<CanRxThread>(*DeviceLink::instance());
    m_frames.clear();
    m_stamps.clear();
    // Queued to this thread, as the window receives them.
    connect(
        m_thread.get(), &CanRxThread::send_can_rx, this,
        [this](const QVector<CanFrame> &frames) {
            for (const CanFrame &f : frames) {
                m_frames.append(QVector<uint8_t>{uint8_t(f.id), uint8_t(f.id >> 8)} +
                                f.dataVector());
                m_stamps.append(f.timeUs);
            }
        },
        Qt::QueuedConnection);
}

void TestCanRxThread::cleanup()
{
    m_thread.reset();
    m_sim.reset();
    // Frames still queued from this test must not reach the next one.
    QCoreApplication::processEvents();
}

void TestCanRxThread::startCollecting()
{
    m_thread->start();
    QTRY_VERIFY(m_thread->isRunning());
}

// Replies and reports too short for a frame are dropped (see the frames of
// TestDeviceLink::inputFrameDecoding); the frames keep their order.
void TestCanRxThread::forwardsOnlyFramesInOrder()
{
    m_sim->box.queueInputReport(hexBytes("08 07 05 23 01 11 22 33"));
    m_sim->box.queueInputReport(inputFrame(CMD_CAN_RX_ENABLE, hexBytes("01")));
    m_sim->box.queueInputReport(hexBytes("08 02 05"));
    m_sim->box.queueInputReport(hexBytes("08 03 05 7f"));
    m_sim->box.queueInputReport(hexBytes("08 04 05 e8 07"));
    m_sim->box.queueInputReport(hexBytes("08 05 05 df 07 01"));
    const qint64 before = frameReadTimeUs();
    startCollecting();
    QTRY_COMPARE(m_frames.size(), 3);
    // Each carries the microsecond it was read, in reading order.
    const qint64 after = frameReadTimeUs();
    QVERIFY(before <= m_stamps.first());
    QVERIFY(std::is_sorted(m_stamps.begin(), m_stamps.end()));
    QVERIFY(m_stamps.last() <= after);
    QCOMPARE(vectorBytes(m_frames.at(0)), hexBytes("23 01 11 22 33"));
    QCOMPARE(vectorBytes(m_frames.at(1)), hexBytes("e8 07"));
    QCOMPARE(vectorBytes(m_frames.at(2)), hexBytes("df 07 01"));
    // Idle slices emit nothing.
    QTest::qWait(100);
    QCOMPARE(m_frames.size(), 3);
    // The stamps count real microseconds and stay on the wall clock.
    QVERIFY(frameReadTimeUs() - after >= 100000);
    QVERIFY(qAbs(frameReadTimeUs() - QDateTime::currentMSecsSinceEpoch() * 1000) < 1000000);
}

void TestCanRxThread::stopWithoutIncomingFramesReturns()
{
    startCollecting();
    QTest::qWait(50);
    m_thread->stop();
    QVERIFY(m_thread->isFinished());
    // The link is free and usable afterwards.
    const LinkReply reply = DeviceLink::instance()->exchange(CMD_CAN_RX_ENABLE, {0});
    QVERIFY(reply.answered());
    QCOMPARE(int(reply.packet.getCmd()), int(CMD_CAN_RX_ENABLE));
}

void TestCanRxThread::startStopStartRunsAgain()
{
    LogCapture log;
    startCollecting();
    m_thread->stop();
    m_sim->box.queueCanFrame(bytesVector(hexBytes("01 02 03")));
    startCollecting();
    QTRY_COMPARE(m_frames.size(), 1);
    m_thread->stop();
    QCOMPARE(log.lines().count(QStringLiteral("can thread run")), 2);
}

void TestCanRxThread::exchangesGetTheirOwnRepliesWhileItRuns()
{
    startCollecting();
    const uint8_t codes[] = {CMD_PROBE, CMD_GET_HARDWARE_ID, CMD_GET_CAN_TIME, CMD_GET_SOFTWARE_ID};
    for (int i = 0; i < 200; ++i) {
        const uint8_t code = codes[i % 4];
        const LinkReply reply = DeviceLink::instance()->exchange(code);
        QVERIFY(reply.answered());
        QCOMPARE(int(reply.packet.getCmd()), int(code));
        QVERIFY(!reply.payload().isEmpty());
    }
    QCoreApplication::processEvents();
    QVERIFY(m_frames.isEmpty());
}

// A full bus must neither starve a request nor take its reply: the reader
// gives way to a waiting request, the request reads the frames ahead of its
// reply, and every frame reaches the receiver once, in order.
void TestCanRxThread::exchangesSurviveFlowingFrames()
{
    DeviceLink *link = DeviceLink::instance();
    link->setFrameSink(m_thread.get());
    QVERIFY(link->exchange(CMD_CAN_RX_ENABLE, {1}).answered());
    std::atomic<int> readerFrames{0};
    connect(
        m_thread.get(), &CanRxThread::send_can_rx, m_thread.get(),
        [&](const QVector<CanFrame> &frames) {
            if (QThread::currentThread() == m_thread.get())
                readerFrames += frames.size();
        },
        Qt::DirectConnection);
    m_sim->box.queueCanBurst(1000000);
    startCollecting();
    QTRY_VERIFY(readerFrames.load() > 1000);

    for (int i = 0; i < 400; ++i) {
        m_sim->box.setCanTime(uint8_t(i));
        const LinkReply reply = link->exchange(CMD_GET_CAN_TIME);
        QCOMPARE(reply.payload(), QVector<uint8_t>{uint8_t(i)});
    }

    m_thread->stop();
    QVERIFY(link->exchange(CMD_CAN_RX_ENABLE, {0}).answered());
    link->clearFrameSink(m_thread.get());
    QCoreApplication::processEvents();
    QCOMPARE(quint64(m_frames.size()), m_sim->box.generatedFramesRead());
    for (int n = 0; n < m_frames.size(); ++n)
        if (m_frames.at(n).value(2) != uint8_t(n))
            QFAIL(qPrintable(QStringLiteral("frame %1 out of order").arg(n)));
}

void TestCanRxThread::unplugEmitsNothingAndReplugFlowsAgain()
{
    startCollecting();
    m_sim->box.unplug();
    const int readsBefore = m_sim->backend.readsAsked();
    QTest::qWait(300);
    QCOMPARE(m_frames.size(), 0);
    QVERIFY(m_thread->isRunning());
    // Each failed read waits longer before the next: a handful in 300 ms, not
    // a loop spinning on the link's lock.
    const int readsWhileGone = m_sim->backend.readsAsked() - readsBefore;
    QVERIFY2(readsWhileGone < 50, qPrintable(QString::number(readsWhileGone)));
    m_sim->box.plug();
    QCOMPARE(DeviceLink::instance()->open(), 0);
    m_sim->box.queueCanFrame(bytesVector(hexBytes("23 01 aa")));
    QTRY_COMPARE_WITH_TIMEOUT(m_frames.size(), 1, 3000);
    QCOMPARE(vectorBytes(m_frames.at(0)), hexBytes("23 01 aa"));
    m_thread->stop();
}

QTEST_GUILESS_MAIN(TestCanRxThread)
#include "tst_canrxthread.moc"
