// Received CAN frames through the whole path: simulated box -> receive thread
// -> queued signal -> MainWindow::receive_can_rx -> table. Prints one line per
// figure, "name value unit". Only frames that reached the table are counted.
// The table keeps its default row limit (ten million rows), so at ten million
// rows the oldest give way while frames come.
#include "benchfigures.h"
#include "canfilter.h"
#include "canrxmodel.h"
#include "canrxthread.h"
#include "cmdpacket.h"
#include "commands.h"
#include "devicelink.h"
#include "frameclock.h"
#include "hidbackend.h"
#include "loadeddbc.h"
#include "mainwindow.h"
#include "plotpane.h"
#include "plotwindow.h"
#include "simbox.h"
#include "simhidbackend.h"
#include "windowparts.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
constexpr int kFloodFrames = 100000;
constexpr int kPrefillRows = 1000000;
constexpr int kLargeRows = 10000000;
constexpr double kSustainedRate = 9000; // above a 1 Mbit/s bus at its busiest
constexpr int kSustainedMs = 5000;
constexpr int kWarmUpMs = 500;
constexpr qint64 kPhaseLimitMs = 180000;

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

double threadCpuUs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
}

// Counts the rows the table gains and when they arrive, and how long the
// event loop goes without serving a 1 ms timer.
// Counts a widget's paints.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(int *paints) : m_paints(paints) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++*m_paints;
        return false;
    }

private:
    int *m_paints;
};

class Probe : public QObject
{
public:
    explicit Probe(QAbstractItemModel *model)
    {
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first, int last) {
                    const qint64 now = m_clock.nsecsElapsed();
                    if (m_rows == 0)
                        m_first = now;
                    m_last = now;
                    m_rows += last - first + 1;
                });
        m_clock.start();
        m_stall.start();
    }

    void reset()
    {
        m_rows = 0;
        m_first = m_last = 0;
        m_stall.start();
    }

    // Runs the event loop until `rows` rows arrived or the limit passed.
    bool waitForRows(qint64 rows, qint64 limitMs)
    {
        QElapsedTimer t;
        t.start();
        while (m_rows < rows && t.elapsed() < limitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return m_rows >= rows;
    }

    // Frames per second between the first and the last arrival.
    double fps() const
    {
        return m_rows > 1 && m_last > m_first ? double(m_rows - 1) * 1e9 / double(m_last - m_first)
                                              : 0.0;
    }
    qint64 rows() const { return m_rows; }
    double maxStallMs() { return m_stall.maxMs(); }

private:
    QElapsedTimer m_clock;
    EventLoopStall m_stall;
    qint64 m_rows = 0;
    qint64 m_first = 0;
    qint64 m_last = 0;
};

CanFrame sampleFrame(int n)
{
    CanFrame frame;
    frame.id = 0x7DF;
    frame.length = 8;
    for (int i = 0; i < 8; ++i)
        frame.data[i] = uint8_t((n >> (8 * (i % 4))) + i);
    frame.timeUs = frameReadTimeUs();
    return frame;
}

// Fills the table to `rows` rows through the slot itself, in batches as the
// receive thread hands them over.
void fillTo(MainWindow &window, int rows)
{
    constexpr int kBatch = 256;
    QVector<CanFrame> batch;
    for (int n = canRxModelOf(window).stored(); n < rows;) {
        batch.clear();
        for (; n < rows && batch.size() < kBatch; ++n)
            batch.append(sampleFrame(n));
        QMetaObject::invokeMethod(&window, "receive_can_rx", Qt::DirectConnection,
                                  Q_ARG(QVector<CanFrame>, batch));
        // A pass of the event loop between batches, as the thread's come.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
    runEventLoopFor(200);
}

// Frames per second that reached the table with the box at its busiest
// steady rate; also the longest stall of the event loop meanwhile. Counted
// as frames stored, so the view's batching does not blur the window's edges.
double sustained(SimBox &box, Probe &probe, const CanRxModel &model, double *stallMs)
{
    runEventLoopFor(200);
    box.setCanRate(kSustainedRate);
    runEventLoopFor(kWarmUpMs);
    probe.reset();
    const quint64 before = model.received();
    QElapsedTimer window;
    window.start();
    runEventLoopFor(kSustainedMs);
    const quint64 stored = model.received() - before;
    const double seconds = double(window.nsecsElapsed()) / 1e9;
    *stallMs = probe.maxStallMs();
    box.setCanRate(0);
    return double(stored) / seconds;
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
    DeviceLink *link = DeviceLink::instance();
    if (link->open() != 0) {
        std::fprintf(stderr, "bench_rx: the simulated box did not open\n");
        return 1;
    }

    int status = 0;
    {
        MainWindow window(*link);
        window.show();
        QTableView *table = window.findChild<QTableView *>(QStringLiteral("table_can_rx"));
        QTabWidget *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
        if (!table || !tabs) {
            std::fprintf(stderr, "bench_rx: the window has no receive table\n");
            return 1;
        }
        // Entering the CAN tab switches reporting on and starts the thread.
        tabs->setCurrentIndex(1);
        QCoreApplication::processEvents();
        // The box sends nothing while its reporting is off.
        if (!box.canReporting())
            link->exchange(CMD_CAN_RX_ENABLE, {1});
        if (!canRxThreadOf(window).isRunning())
            canRxThreadOf(window).start();
        CanRxModel &model = canRxModelOf(window);
        Probe probe(table->model());

        // 1. Flood into an empty table.
        probe.reset();
        box.queueCanBurst(kFloodFrames);
        if (!probe.waitForRows(kFloodFrames, kPhaseLimitMs)) {
            std::fprintf(stderr, "bench_rx: flood into empty table: %lld of %d frames\n",
                         probe.rows(), kFloodFrames);
            status = 1;
        }
        printFigure("rx_fps_rows0", probe.fps(), "fps");

        // 2. Fill the table to a million rows through the slot itself.
        runEventLoopFor(200);
#ifdef __GLIBC__
        malloc_trim(0);
#endif
        const qint64 rssBefore = residentBytes();
        const int rowsBefore = model.rowCount();
        fillTo(window, kPrefillRows);
        const qint64 rssAfter = residentBytes();
        const int added = model.rowCount() - rowsBefore;

        // 3. Flood into the full table.
        probe.reset();
        const double cpuStart = threadCpuUs();
        box.queueCanBurst(kFloodFrames);
        if (!probe.waitForRows(kFloodFrames, kPhaseLimitMs)) {
            std::fprintf(stderr, "bench_rx: flood into full table: %lld of %d frames\n",
                         probe.rows(), kFloodFrames);
            status = 1;
        }
        const double cpuUs = threadCpuUs() - cpuStart;
        const double floodStallMs = probe.maxStallMs();
        printFigure("rx_fps_rows1m", probe.fps(), "fps");
        printFigure("rx_us_per_frame_rows1m", probe.rows() > 0 ? cpuUs / double(probe.rows()) : 0.0,
                    "us");
        printFigure("rx_bytes_per_row", added > 0 ? double(rssAfter - rssBefore) / added : 0.0,
                    "bytes");

        // Saving the table as a candump log, the way "保存" writes it.
        {
            QSaveFile file(workDir.filePath(QStringLiteral("capture.log")));
            QElapsedTimer saveTimer;
            saveTimer.start();
            const int rows = model.rowCount();
            const bool saved =
                file.open(QIODevice::WriteOnly) &&
                model.write(file, CanSaveFormat::CandumpLog, rows, [](int) { return true; }) ==
                    CanRxModel::WriteResult::Written &&
                file.commit();
            if (!saved) {
                std::fprintf(stderr, "bench_rx: saving the table failed\n");
                status = 1;
            }
            printFigure("rx_save_log_ms_per_1m_rows", double(saveTimer.elapsed()) * 1e6 / rows,
                        "ms");
        }

        // 4. A steady bus at its busiest, with the table over a million rows.
        double stallMs = 0;
        const double fps1m = sustained(box, probe, model, &stallMs);
        printFigure("rx_max_stall_ms", stallMs, "ms");
        printFigure("rx_fps_sustained_rows1m", fps1m, "fps");
        const quint64 droppedAt1m = box.droppedReports();
        // A flood outruns the window by design; its stall is shown for comparison.
        printFigure("rx_max_stall_flood_rows1m_ms", floodStallMs, "ms");

        // 5. The same at ten million rows, the default limit: every new frame
        // pushes the oldest out.
        fillTo(window, kLargeRows);
        const double fps10m = sustained(box, probe, model, &stallMs);
        printFigure("rx_fps_sustained_rows10m", fps10m, "fps");
        printFigure("rx_max_stall_rows10m_ms", stallMs, "ms");
        printFigure("rx_rows_rows10m", model.rowCount(), "rows");
        printFigure("rx_rss_rows10m_mb", double(residentBytes()) / (1024.0 * 1024.0), "MB");
        // Reports the box could not hand over: frames lost before the table.
        printFigure("rx_box_dropped_reports_rows1m", double(droppedAt1m), "reports");
        printFigure("rx_box_dropped_reports", double(box.droppedReports()), "reports");

        // 6. A filter over the ten million stored frames, one that nearly
        // every frame passes (the largest view), then the same steady bus
        // through it.
        QElapsedTimer filterTimer;
        filterTimer.start();
        model.setIdFilter(CanIdFilter::parse(QStringLiteral("7E8"), CanIdFilter::Mode::Hide));
        printFigure("rx_filter_ms_rows10m", double(filterTimer.nsecsElapsed()) / 1e6, "ms");
        const double fps10mFiltered = sustained(box, probe, model, &stallMs);
        printFigure("rx_fps_sustained_rows10m_filtered", fps10mFiltered, "fps");
        printFigure("rx_max_stall_rows10m_filtered_ms", stallMs, "ms");

        // 7. The same bus again with the example database loaded: the rows on
        // screen show their message and decoded signals.
        model.setIdFilter(std::nullopt);
        loadedDbc()->load({QStringLiteral(VOTKBOX_SOURCE_DIR "/docs/examples/votkbox-demo.dbc")});
        if (model.columnCount() != CanRxModel::ColumnCount) {
            std::fprintf(stderr, "bench_rx: the database shows no decoded columns\n");
            status = 1;
        }
        const double fps10mDbc = sustained(box, probe, model, &stallMs);
        printFigure("rx_fps_sustained_rows10m_dbc", fps10mDbc, "fps");
        printFigure("rx_max_stall_rows10m_dbc_ms", stallMs, "ms");
        loadedDbc()->clear();

        // 8. The same unfiltered, with a signal plot following four signals,
        // one of them over the ten million rows; its redraws a second.
        QMetaObject::invokeMethod(&window, "on_action_signal_plot_triggered", Qt::DirectConnection);
        auto *plot = window.findChild<PlotWindow *>();
        if (!plot) {
            std::fprintf(stderr, "bench_rx: no plot window\n");
            return 1;
        }
        plot->resize(1600, 900);
        plot->addPane();
        // The stored rows' identifier and three of the box's.
        const quint32 plotIds[] = {0x7DF, 0x0C9, 0x1A0, 0x2F1};
        for (int s = 0; s < 4; ++s)
            plot->addSignal(
                *adHocSignal(plotIds[s], 8, 16, DbcByteOrder::Intel, false, 1, 0, nullptr), s / 2);
        int paints = 0;
        PaintCounter counter(&paints);
        plot->pane(0)->canvas()->installEventFilter(&counter);
        QElapsedTimer plotTimer;
        plotTimer.start();
        const double fps10mPlot = sustained(box, probe, model, &stallMs);
        const double plotSeconds = double(plotTimer.nsecsElapsed()) / 1e9;
        printFigure("rx_fps_sustained_rows10m_plot", fps10mPlot, "fps");
        printFigure("rx_max_stall_rows10m_plot_ms", stallMs, "ms");
        printFigure("plot_live_redraws_per_s_rows10m", paints / plotSeconds, "1/s");

        canRxThreadOf(window).stop();
        QCoreApplication::processEvents();
    }
    setHidBackend(nullptr);
    return status;
}
