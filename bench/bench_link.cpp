// Figures of the link against the simulated box: one request/reply exchange,
// the same while the receive thread reads 9000 frames/s, and how long the
// receive thread takes to stop while frames flow.
#include "benchfigures.h"
#include "canrxthread.h"
#include "commands.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "simbox.h"
#include "simhidbackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QThread>

#include <algorithm>
#include <cstdio>
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

    std::vector<double> exchange;
    for (int i = 0; i < 20000; ++i) {
        QElapsedTimer t;
        t.start();
        link->exchange(CMD_PROBE);
        exchange.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    std::printf("exchange_us_p50 %.1f us\n", percentile(exchange, 0.5));

    link->exchange(CMD_CAN_RX_ENABLE, {1});
    box.setCanRate(8000);
    CanRxThread rx(*link);
    quint64 frames = 0;
    QObject::connect(&rx, &CanRxThread::send_can_rx, &app,
                     [&](const QVector<CanFrame> &batch) { frames += quint64(batch.size()); });
    // A request while the receive thread is busy with a full bus: it waits
    // for the lock and reads the frames in flight ahead of its reply.
    box.setCanRate(9000);
    rx.start();
    std::vector<double> flowing;
    for (int i = 0; i < 2000; ++i) {
        QElapsedTimer t;
        t.start();
        link->exchange(CMD_GET_CAN_TIME);
        flowing.push_back(double(t.nsecsElapsed()) / 1000.0);
        QCoreApplication::processEvents();
    }
    rx.stop();
    std::printf("exchange_us_p50_flowing9000 %.1f us\n", percentile(flowing, 0.5));
    std::printf("exchange_us_p99_flowing9000 %.1f us\n", percentile(flowing, 0.99));

    box.setCanRate(8000);
    std::vector<double> stops;
    for (int i = 0; i < 200; ++i) {
        rx.start();
        QElapsedTimer run;
        run.start();
        while (run.elapsed() < 10)
            QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        rx.stop();
        stops.push_back(double(t.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    std::printf("rx_stop_ms_p99 %.2f ms\n", percentile(stops, 0.99));
    link->reset();
    setHidBackend(nullptr);
    return frames > 0 ? 0 : 1;
}
