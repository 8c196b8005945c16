// How long the window stops answering while the box keeps it waiting:
// connecting to a box that does not reply, then "read info" against one,
// with the real reply time-out, until the box is pulled out partway through.
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

// Serves events until `button` is enabled again, when the box work has ended; false after `ms`.
bool waitForButton(QPushButton *button, int ms)
{
    QElapsedTimer left;
    left.start();
    while (!button->isEnabled() && left.elapsed() < ms)
        runEventLoopFor(5);
    return button->isEnabled();
}
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
        MainWindow window(*DeviceLink::instance());
        window.show();
        auto *connect = window.findChild<QPushButton *>(QStringLiteral("pushButton_connect"));
        auto *read = window.findChild<QPushButton *>(QStringLiteral("pushButton"));
        if (!connect || !read) {
            std::fprintf(stderr, "bench_gui: the window has no connect or read button\n");
            return 1;
        }
        box.setFault(SimBox::Fault::Silent);
        EventLoopStall stall;
        stall.start();
        // The probe waits out its whole reply time-out.
        connect->click();
        if (!waitForButton(connect, 60000)) {
            std::fprintf(stderr, "bench_gui: the connect to a silent box did not end\n");
            return 1;
        }
        box.clearFaults();
        connect->click();
        if (!waitForButton(read, 60000) || connect->isEnabled() ||
            !DeviceLink::instance()->isConnected()) {
            std::fprintf(stderr, "bench_gui: the simulated box did not connect\n");
            return 1;
        }
        runEventLoopFor(50);

        box.setFault(SimBox::Fault::Silent);
        read->click();
        runEventLoopFor(kSilentMs);
        // Pulled out: the reads still waiting fail at once.
        box.unplug();
        waitForButton(read, 60000);
        printFigure("gui_max_stall_silent_box_ms", stall.maxMs(), "ms");
        if (!read->isEnabled())
            status = 1;
    }
    DeviceLink::instance()->reset();
    setHidBackend(nullptr);
    return status;
}
