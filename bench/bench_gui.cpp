// How long the window stops answering while the box keeps it waiting:
// "read info" against a box that does not reply, with the real reply
// time-out, until the box is pulled out partway through.
#include "benchfigures.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "mainwindow.h"
#include "simbox.h"
#include "simhidbackend.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>

namespace {
// Longer than one exchange's reply time-out, so that a whole wait is inside.
constexpr int kSilentMs = 12000;
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quietBenchmark();

    QTemporaryDir workDir;
    QDir::setCurrent(workDir.path());

    SimBox box;
    SimHidBackend backend(box);
    setHidBackend(&backend);

    int status = 0;
    {
        MainWindow window;
        window.show();
        auto *connect = window.findChild<QPushButton *>(QStringLiteral("pushButton_connect"));
        auto *read = window.findChild<QPushButton *>(QStringLiteral("pushButton"));
        if (!connect || !read) {
            std::fprintf(stderr, "bench_gui: the window has no connect or read button\n");
            return 1;
        }
        connect->click();
        if (!DeviceLink::instance()->isConnected()) {
            std::fprintf(stderr, "bench_gui: the simulated box did not connect\n");
            return 1;
        }
        runEventLoopFor(50);

        box.setFault(SimBox::Fault::Silent);
        EventLoopStall stall;
        stall.start();
        read->click();
        runEventLoopFor(kSilentMs);
        // Pulled out: the reads still waiting fail at once.
        box.unplug();
        QElapsedTimer left;
        left.start();
        while (!read->isEnabled() && left.elapsed() < 60000)
            runEventLoopFor(5);
        printFigure("gui_max_stall_silent_box_ms", stall.maxMs(), "ms");
        if (!read->isEnabled())
            status = 1;
    }
    DeviceLink::instance()->reset();
    setHidBackend(nullptr);
    return status;
}
