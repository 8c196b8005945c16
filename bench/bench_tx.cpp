// Sending on the worker's own clock against the simulated box: the period's
// jitter, the fastest sending and a request's round trip while the receive
// thread reads 9000 frames/s, the timing error of a replay at 1000 frames/s
// and the fastest replay. Times are taken where the
// report reaches the box's side of the HID seam.
#include "benchfigures.h"
#include "canrxthread.h"
#include "cantxworker.h"
#include "commands.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "replaytimeline.h"
#include "simbox.h"
#include "simhidbackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {
constexpr qint64 kPeriodNs = 10000000;
constexpr int kPeriodFrames = 1000; // 10 s
constexpr double kFlowingRate = 9000;
constexpr int kReplayFrames = 100000;
constexpr int kBackToBackFrames = 20000;
constexpr int kExchanges = 400;
constexpr qint64 kReplayGapNs = 1000000; // 1000 frames/s

using Clock = std::chrono::steady_clock;

// Notes when each report is written, as the box would see it arrive.
class TimedBackend : public SimHidBackend
{
public:
    using SimHidBackend::SimHidBackend;
    int write(HidHandle *dev, const unsigned char *data, size_t length) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_recording)
                m_times.push_back(Clock::now());
        }
        return SimHidBackend::write(dev, data, length);
    }
    void record(size_t expected)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_times.clear();
        m_times.reserve(expected);
        m_recording = true;
    }
    std::vector<Clock::time_point> stop()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_recording = false;
        return m_times;
    }

private:
    std::mutex m_mutex;
    bool m_recording = false;
    std::vector<Clock::time_point> m_times;
};

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs the event loop (as the tool does, serving the receive thread's
// signals) until the worker has ended.
void runUntilDone(CanTxWorker &worker)
{
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker.start();
    loop.exec();
    worker.wait();
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    quietBenchmark();
    SimBox box;
    TimedBackend backend(box);
    setHidBackend(&backend);
    DeviceLink *link = DeviceLink::instance();
    if (link->open() != 0)
        return 1;
    const QVector<uint8_t> data{0x02, 0x01, 0x0C};

    // A 10 ms period while a full bus flows in.
    link->exchange(CMD_CAN_RX_ENABLE, {1});
    box.setCanRate(kFlowingRate);
    CanRxThread rx(*link);
    quint64 received = 0;
    QObject::connect(&rx, &CanRxThread::send_can_rx, &app,
                     [&](const QVector<CanFrame> &batch) { received += quint64(batch.size()); });
    rx.start();
    {
        backend.record(kPeriodFrames);
        CanTxWorker worker(*link, CanTxWorker::periodic(0x7DF, data, kPeriodNs, kPeriodFrames, -1));
        runUntilDone(worker);
        const std::vector<Clock::time_point> times = backend.stop();
        std::vector<double> jitter;
        for (size_t i = 1; i < times.size(); ++i)
            jitter.push_back(std::abs(ms(times[i] - times[i - 1]) - double(kPeriodNs) / 1e6));
        printFigure("tx_period_jitter_ms_p99", percentile(jitter, 0.99), "ms", 3);
    }
    // Frames sent back to back while the receive thread reads the same full
    // bus: sending must not wait for the receive loop's reads.
    {
        QElapsedTimer t;
        t.start();
        CanTxWorker worker(*link, CanTxWorker::periodic(0x7DF, data, 0, kBackToBackFrames, -1));
        runUntilDone(worker);
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        printFigure("tx_fps_rx_running", double(worker.sentCount()) / seconds, "frames/s", 3);
    }
    // A request and its reply while the receive thread reads the same bus.
    {
        std::vector<double> rounds;
        for (int i = 0; i < kExchanges; ++i) {
            const Clock::time_point asked = Clock::now();
            link->exchange(CMD_GET_CAN_TIME);
            rounds.push_back(ms(Clock::now() - asked));
        }
        printFigure("exchange_ms_p99_rx_running", percentile(rounds, 0.99), "ms", 3);
    }
    rx.stop();
    box.setCanRate(0);
    link->exchange(CMD_CAN_RX_ENABLE, {0});

    QVector<ReplayFrame> capture;
    capture.reserve(kReplayFrames);
    for (int i = 0; i < kReplayFrames; ++i)
        capture.append({i * kReplayGapNs,
                        quint16(i % 0x800),
                        quint8(data.size()),
                        {data.at(0), data.at(1), data.at(2)}});

    // A 100 000-frame capture at 1000 frames/s, replayed with its gaps.
    {
        backend.record(kReplayFrames);
        CanTxWorker worker(*link, replaySchedule(capture, 1, 1));
        runUntilDone(worker);
        const std::vector<Clock::time_point> times = backend.stop();
        std::vector<double> error;
        for (size_t i = 0; i < times.size(); ++i)
            error.push_back(
                std::abs(ms(times[i] - times[0]) - double(capture.at(int(i)).atNs) / 1e6));
        printFigure("replay_timing_error_ms_p99", percentile(error, 0.99), "ms", 3);
    }

    // The same capture as fast as the box takes it.
    {
        QElapsedTimer t;
        t.start();
        CanTxWorker worker(*link, replaySchedule(capture, 0, 1));
        runUntilDone(worker);
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        printFigure("replay_fps_max", double(worker.sentCount()) / seconds, "frames/s", 3);
    }
    link->reset();
    setHidBackend(nullptr);
    return received > 0 ? 0 : 1;
}
