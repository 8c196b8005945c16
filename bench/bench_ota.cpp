// The firmware transfer loop against the simulated box: 3584 raw reports and
// 14 block replies, without the restart pause.
#include "devicelink.h"
#include "hidbackend.h"
#include "otahandle.h"
#include "simbox.h"
#include "simhidbackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <algorithm>
#include <cstdio>
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
    link->reset();
    setHidBackend(nullptr);
    return box.rawReportsReceived() == 3584 ? 0 : 1;
}
