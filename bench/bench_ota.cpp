// The firmware transfer loop against the simulated box: 3584 raw reports and
// 14 block replies, without the restart pause; and the time from pulling the
// box out in the middle of a transfer to the failure verdict.
#include "devicelink.h"
#include "hidbackend.h"
#include "otahandle.h"
#include "simbox.h"
#include "simhidbackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    SimBox box;
    SimHidBackend backend(box);
    setHidBackend(&backend);
    DeviceLink *link = DeviceLink::instance();
    if (link->open() != 0)
        return 1;
    OtaHandle ota;
    for (uint32_t i = 0; i < OTA_DATA_SIZE; ++i)
        ota.ota_data[i] = uint8_t(i * 7);
    std::vector<double> runs;
    for (int i = 0; i < 9; ++i) {
        ota.send_ota_start();
        QElapsedTimer t;
        t.start();
        ota.send_ota_data();
        runs.push_back(double(t.nsecsElapsed()) / 1e6);
        box.clearWire();
    }
    std::sort(runs.begin(), runs.end());
    std::printf("ota_transfer_ms %.1f ms\n", runs[runs.size() / 2]);
    const bool complete = box.rawReportsReceived() == 3584;

    // Pulled out once block 5 is on its way: the last report is the verdict.
    using Clock = std::chrono::steady_clock;
    std::atomic<int> progress{0};
    std::atomic<Clock::rep> lastReport{0};
    QObject::connect(
        &ota, &OtaHandle::sig_send_ota_progress, &ota,
        [&](int value, const QString &) {
            progress = value;
            lastReport = Clock::now().time_since_epoch().count();
        },
        Qt::DirectConnection);
    std::vector<double> lost;
    for (int i = 0; i < 9; ++i) {
        box.plug();
        if (link->open() != 0)
            return 1;
        progress = 0;
        ota.start();
        while (progress.load() < 40 && ota.isRunning())
            std::this_thread::yield();
        const Clock::time_point pulled = Clock::now();
        box.unplug();
        ota.wait();
        const Clock::duration took = Clock::duration(lastReport.load()) - pulled.time_since_epoch();
        lost.push_back(std::chrono::duration<double, std::milli>(took).count());
    }
    std::sort(lost.begin(), lost.end());
    std::printf("ota_unplug_to_verdict_ms %.2f ms\n", lost[lost.size() / 2]);

    link->reset();
    setHidBackend(nullptr);
    return complete ? 0 : 1;
}
