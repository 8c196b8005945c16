// The signal plot: a full redraw of one signal of ten million samples on a
// pane 1600 pixels wide, the redraws a second of a window following four
// signals while 9000 frames a second arrive, and the memory a sample takes.
// Prints "name value unit" lines.
#include "benchfigures.h"
#include "plotfeed.h"
#include "plotpane.h"
#include "plotwindow.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cmath>

namespace {
constexpr int kPoints = 10000000;
constexpr int kWidth = 1600;
constexpr int kFramesPerSecond = 9000;

// Frame `i` of identifier `id`: a slow sine with noise in bytes 0-1.
CanFrame frame(qint64 timeUs, uint16_t id, int i)
{
    CanFrame f;
    f.timeUs = timeUs;
    f.id = id;
    const int v = int(20000 + 15000 * std::sin(i * 1e-5) + (i * 7919) % 997);
    const uint8_t data[8] = {uint8_t(v), uint8_t(v >> 8), 0, 0, 0, 0, 0, 0};
    f.setData(data, 8);
    return f;
}

PlotSignal wordSignal(quint32 id)
{
    return *adHocSignal(id, 0, 16, DbcByteOrder::Intel, false, 0.1, 0, nullptr);
}

// Counts the paints of a widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void redrawTenMillion()
{
    PlotFeed feed;
    const int handle = feed.add(wordSignal(0x100));
    std::vector<CanFrame> batch(4096);
    const qint64 stepUs = 111; // 9000 frames a second
    for (int i = 0; i < kPoints;) {
        const int n = std::min(int(batch.size()), kPoints - i);
        for (int k = 0; k < n; ++k, ++i)
            batch[size_t(k)] = frame(i * stepUs, 0x100, i);
        feed.append(batch.data(), n);
    }
    const PlotSeries &series = feed.series(handle);
    printFigure("plot_bytes_per_point", double(series.bytes()) / double(series.size()), "B", 2);

    PlotPane pane(&feed);
    pane.addCurve(handle, Qt::blue);
    pane.resize(kWidth + 200, 500);
    pane.show();
    QCoreApplication::processEvents();
    pane.resize(pane.width() + kWidth - pane.canvas()->contentsRect().width(), 500);
    QCoreApplication::processEvents();
    const qint64 last = series.timeUs(series.size() - 1) + 1;
    std::vector<double> ms;
    for (int r = 0; r < 21; ++r) {
        QElapsedTimer timer;
        timer.start();
        // Alternating ranges, so that nothing is reused from the last one.
        pane.setView(r % 2 ? 0 : 1, last, 0);
        QCoreApplication::processEvents();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    printFigure("plot_redraw_ms_10m_points", percentile(ms, 0.5), "ms");
}

void liveRedraws()
{
    PlotWindow window(nullptr, nullptr);
    window.resize(1600, 900);
    window.show();
    window.addPane();
    for (int s = 0; s < 4; ++s)
        window.addSignal(wordSignal(0x100 + quint32(s)), s / 2);
    // A minute of history before.
    const qint64 stepUs = 1000000 / kFramesPerSecond;
    qint64 nowUs = 0;
    int n = 0;
    QVector<CanFrame> history;
    for (; n < 60 * kFramesPerSecond; ++n, nowUs += stepUs)
        history.append(frame(nowUs, uint16_t(0x100 + n % 4), n));
    window.appendFrames(history);

    PaintCounter counter;
    window.pane(0)->canvas()->installEventFilter(&counter);
    // Frames arrive in batches every 5 ms, at 9000 a second, as the
    // receive thread hands them over.
    QElapsedTimer clock;
    QTimer feeder;
    feeder.setInterval(5);
    qint64 fedUs = 0;
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        const qint64 dueUs = clock.nsecsElapsed() / 1000;
        QVector<CanFrame> batch;
        for (; fedUs < dueUs; fedUs += stepUs, ++n, nowUs += stepUs)
            batch.append(frame(nowUs, uint16_t(0x100 + n % 4), n));
        window.appendFrames(batch);
    });
    constexpr int kRunMs = 3000;
    clock.start();
    feeder.start();
    runEventLoopFor(kRunMs);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    printFigure("plot_live_redraws_per_s", counter.paints / seconds, "1/s");
    printFigure("plot_live_frames_per_s", double(fedUs / stepUs) / seconds, "1/s", 0);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    quietBenchmark();
    redrawTenMillion();
    liveRedraws();
    return 0;
}
