// The firmware transfer loop against the simulated box: 3584 raw reports and
// the block replies up to the last block's reports, timed from the transfer's
// own progress reports; and the time from pulling the
// box out in the middle of a transfer to the failure verdict.
#include "benchfigures.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "otahandle.h"
#include "simbox.h"
#include "simhidbackend.h"

#include <QCoreApplication>
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
    quietBenchmark();
    SimBox box;
    SimHidBackend backend(box);
    setHidBackend(&backend);
    DeviceLink *link = DeviceLink::instance();
    if (link->open() != 0)
        return 1;
    OtaHandle ota(*link);
    QByteArray image(int(OTA_DATA_SIZE), '\0');
    for (uint32_t i = 0; i < OTA_DATA_SIZE; ++i)
        image[int(i)] = char(uint8_t(i * 7));
    ota.setImage(image);
    // The box is back long before the transfer asks for its verdict.
    box.setRestartTimeMs(5);
    ota.setRestartPauseMs(50);

    using Clock = std::chrono::steady_clock;
    std::atomic<int> progress{0};
    std::atomic<Clock::rep> lastReport{0};
    // The image's reports: from the announcement's answer (20 %) to the last
    // block written (85 %).
    std::atomic<Clock::rep> imageStart{0};
    std::atomic<Clock::rep> imageEnd{0};
    QObject::connect(
        &ota, &OtaHandle::sig_send_ota_progress, &ota,
        [&](int value) {
            progress = value;
            lastReport = Clock::now().time_since_epoch().count();
            // 20 % comes twice: the announcement, then the first block.
            if (value == 20 && imageStart.load() == 0)
                imageStart = lastReport.load();
            else if (value == 85)
                imageEnd = lastReport.load();
        },
        Qt::DirectConnection);

    std::vector<double> runs;
    for (int i = 0; i < 9; ++i) {
        imageStart = 0;
        ota.start();
        ota.wait();
        const Clock::duration took = Clock::duration(imageEnd.load() - imageStart.load());
        runs.push_back(std::chrono::duration<double, std::milli>(took).count());
        box.clearWire();
    }
    std::sort(runs.begin(), runs.end());
    std::printf("ota_transfer_ms %.1f ms\n", runs[runs.size() / 2]);
    const bool complete = box.rawReportsReceived() == 3584;

    // Pulled out once block 5 is on its way: the last report is the verdict.
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
