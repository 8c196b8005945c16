// Recording while capturing: the simulated box at a busy bus's rate, through
// the receive thread and the window's CAN tab into "Record to file…" as ASC.
// Prints the frames a second that reached the file and the frames lost on the
// way (read from the box but not in the file, or dropped by the box). The run
// lasts VOTKBOX_BENCH_RECORD_S seconds, 10 unless set (60 for the long run).
#include "benchfigures.h"
#include "canrxmodel.h"
#include "canrxthread.h"
#include "cantab.h"
#include "capturefile.h"
#include "commands.h"
#include "devicelink.h"
#include "filechooser.h"
#include "hidbackend.h"
#include "mainwindow.h"
#include "simbox.h"
#include "simhidbackend.h"
#include "windowparts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr double kRate = 9000; // above a 1 Mbit/s bus at its busiest
constexpr int kDefaultSeconds = 10;
constexpr int kDrainLimitMs = 30000;
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quietBenchmark();
    bool ok = false;
    int seconds = qEnvironmentVariableIntValue("VOTKBOX_BENCH_RECORD_S", &ok);
    if (!ok || seconds <= 0)
        seconds = kDefaultSeconds;

    QTemporaryDir workDir;
    QDir::setCurrent(workDir.path());
    const QString path = workDir.filePath(QStringLiteral("drive.asc"));
    saveFileChooser() = [path](QWidget *, const QString &, const QString &, const QString &,
                               QString *) { return path; };

    SimBox box;
    SimHidBackend backend(box);
    setHidBackend(&backend);
    DeviceLink *link = DeviceLink::instance();
    if (link->open() != 0) {
        std::fprintf(stderr, "bench_record: the simulated box did not open\n");
        return 1;
    }
    int status = 0;
    {
        MainWindow window(*link);
        window.show();
        auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
        auto *canTab = window.findChild<CanTab *>();
        if (!tabs || !canTab) {
            std::fprintf(stderr, "bench_record: the window has no CAN tab\n");
            return 1;
        }
        tabs->setCurrentIndex(1);
        QCoreApplication::processEvents();
        if (!box.canReporting())
            link->exchange(CMD_CAN_RX_ENABLE, {1});
        if (!canRxThreadOf(window).isRunning())
            canRxThreadOf(window).start();
        runEventLoopFor(200);

        CanRxModel &model = canRxModelOf(window);
        const quint64 generatedBefore = box.generatedFramesRead();
        const quint64 droppedBefore = box.droppedReports();
        const quint64 receivedBefore = model.received();
        QMetaObject::invokeMethod(&window, "on_action_record_triggered", Qt::DirectConnection);
        if (!canTab->isRecording()) {
            std::fprintf(stderr, "bench_record: the recording did not start\n");
            return 1;
        }
        QElapsedTimer timer;
        timer.start();
        box.setCanRate(kRate);
        runEventLoopFor(seconds * 1000);
        box.setCanRate(0);
        const double rateSeconds = double(timer.nsecsElapsed()) / 1e9;
        // The frames on their way reach the table, and the file, before it ends.
        quint64 received = model.received();
        do {
            received = model.received();
            runEventLoopFor(300);
        } while (model.received() != received && timer.elapsed() < kDrainLimitMs + seconds * 1000);
        const quint64 generated = box.generatedFramesRead() - generatedBefore;
        QMetaObject::invokeMethod(&window, "on_action_stop_recording_triggered",
                                  Qt::DirectConnection);
        QElapsedTimer ending;
        ending.start();
        while (canTab->hasRecorder() && ending.elapsed() < kDrainLimitMs)
            runEventLoopFor(50);

        QFile file(path);
        qint64 recorded = 0;
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "bench_record: no recording\n");
            status = 1;
        } else {
            readCaptureFile(file, CanSaveFormat::Asc, CaptureUse::View,
                            [&](const CanFrame &) { ++recorded; });
        }
        const qint64 windowReceived = qint64(model.received() - receivedBefore);
        printFigure("record_seconds", rateSeconds, "s");
        printFigure("record_fps_asc", double(recorded) / rateSeconds, "fps");
        // Frames the window took but the file lacks; the box's own drops
        // (frames the receive thread never saw) beside them.
        printFigure("record_frames_lost_asc", double(windowReceived - recorded), "frames", 0);
        printFigure("record_box_dropped_reports", double(box.droppedReports() - droppedBefore),
                    "reports", 0);
        printFigure("record_frames_generated", double(generated), "frames", 0);
        canRxThreadOf(window).stop();
        QCoreApplication::processEvents();
    }
    setHidBackend(nullptr);
    return status;
}
