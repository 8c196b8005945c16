#include "canrxmodel.h"
#include "plotfeed.h"
#include "plotfiles.h"
#include "plotpane.h"
#include "plotseries.h"
#include "plotwindow.h"

#include <QBuffer>
#include <QtTest>

#include <cmath>
#include <random>

// The signal plot: its per-column reduction keeps every extreme, the CSV
// reads back, the window follows new frames and keeps them while paused, and
// its time axis after zooming, panning, fitting and cursors.
class TestPlot : public QObject
{
    Q_OBJECT
private slots:
    void columnsHoldTheirExtremes_data();
    void columnsHoldTheirExtremes();
    void csvReadsBack_data();
    void csvReadsBack();
    void layoutFileReadsBack_data();
    void layoutFileReadsBack();
    void followAndPause();
    void viewAfterZoomFitAndCursors_data();
    void viewAfterZoomFitAndCursors();
};

using Samples = QVector<QPair<qint64, double>>;
Q_DECLARE_METATYPE(Samples)

namespace {
const double kNaN = std::nan("");

// `n` samples `stepUs` apart from `startUs`, each value(i).
template <typename F> Samples samples(int n, qint64 startUs, qint64 stepUs, F value)
{
    Samples out;
    for (int i = 0; i < n; ++i)
        out.append({startUs + i * stepUs, double(value(i))});
    return out;
}

PlotSeries seriesOf(const Samples &s)
{
    PlotSeries series;
    for (const auto &p : s)
        series.append(p.first, p.second);
    return series;
}

// A frame of identifier 0x100 whose byte 0 is `value`.
CanFrame frame(qint64 timeUs, uint8_t value)
{
    CanFrame f;
    f.timeUs = timeUs;
    f.id = 0x100;
    f.setData(&value, 1);
    return f;
}

PlotSignal byteZero()
{
    return *adHocSignal(0x100, 0, 8, DbcByteOrder::Intel, false, 1, 0, nullptr);
}
} // namespace

void TestPlot::columnsHoldTheirExtremes_data()
{
    QTest::addColumn<Samples>("samples");
    QTest::addColumn<qint64>("fromUs");
    QTest::addColumn<qint64>("toUs");
    QTest::addColumn<int>("columns");

    // 1000 samples 1 µs apart over 7 columns: edges at 142, 285, 428, ...
    auto spikeAt = [](int at, double height) {
        return samples(1000, 0, 1, [=](int i) { return i == at ? height : 0.0; });
    };
    QTest::newRow("spike on a column's first sample") << spikeAt(142, 100) << 0LL << 1000LL << 7;
    QTest::newRow("spike on a column's last sample") << spikeAt(141, 100) << 0LL << 1000LL << 7;
    QTest::newRow("dip on a block's first sample") << spikeAt(128, -5) << 0LL << 1000LL << 3;
    QTest::newRow("dip on a block's last sample") << spikeAt(191, -5) << 0LL << 1000LL << 3;
    QTest::newRow("spike on the range's last sample") << spikeAt(999, 7) << 0LL << 1000LL << 4;
    QTest::newRow("flat run") << samples(5000, 10, 3, [](int) { return 5.0; }) << 0LL << 15010LL
                              << 13;
    Samples gaps = samples(100, 0, 10, [](int i) { return double(i); });
    gaps += samples(100, 100000, 10, [](int i) { return -double(i); });
    QTest::newRow("gap of empty columns") << gaps << 0LL << 101000LL << 50;
    QTest::newRow("NaN samples, a column of only NaN")
        << samples(900, 0, 1, [](int i) { return i % 3 == 0 || (i >= 300 && i < 400) ? kNaN : i; })
        << 0LL << 900LL << 9;
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 100);
    QTest::newRow("many samples a column")
        << samples(200000, 1000, 7, [&](int) { return noise(random); }) << 5000LL << 1300000LL
        << 37;
    QTest::newRow("range past the samples' ends")
        << samples(300, 0, 100, [](int i) { return i % 17; }) << -5000LL << 40000LL << 11;
    QTest::newRow("same time, several samples")
        << samples(640, 0, 0, [](int i) { return double(i % 50); }) << 0LL << 1LL << 1;
}

void TestPlot::columnsHoldTheirExtremes()
{
    QFETCH(Samples, samples);
    QFETCH(qint64, fromUs);
    QFETCH(qint64, toUs);
    QFETCH(int, columns);

    const PlotSeries series = seriesOf(samples);
    const std::vector<PlotColumn> cut = plotColumns(series, fromUs, toUs, columns);
    QCOMPARE(int(cut.size()), columns);
    for (int c = 0; c < columns; ++c) {
        const qint64 a = plotColumnEdge(fromUs, toUs, columns, c);
        const qint64 b = plotColumnEdge(fromUs, toUs, columns, c + 1);
        double low = INFINITY;
        double high = -INFINITY;
        for (const auto &p : samples)
            if (p.first >= a && p.first < b && !std::isnan(p.second)) {
                low = std::min(low, p.second);
                high = std::max(high, p.second);
            }
        const PlotColumn &column = cut[size_t(c)];
        const QByteArray where = "column " + QByteArray::number(c);
        QVERIFY2((column.count > 0) == (low <= high), where);
        if (column.count > 0) {
            QVERIFY2(column.min == low, where);
            QVERIFY2(column.max == high, where);
        }
    }
    // The points drawn reach the same extremes.
    double low = INFINITY;
    double high = -INFINITY;
    for (const auto &p : samples)
        if (p.first >= fromUs && p.first < toUs && !std::isnan(p.second)) {
            low = std::min(low, p.second);
            high = std::max(high, p.second);
        }
    bool seenLow = low > high;
    bool seenHigh = low > high;
    for (const QPointF &p : plotPoints(series, fromUs, toUs, columns, 0)) {
        seenLow = seenLow || p.y() == low;
        seenHigh = seenHigh || p.y() == high;
    }
    QVERIFY(seenLow && seenHigh);
}

void TestPlot::csvReadsBack_data()
{
    QTest::addColumn<Samples>("first");
    QTest::addColumn<Samples>("second");
    QTest::addColumn<qint64>("fromUs");
    QTest::addColumn<qint64>("toUs");

    QTest::newRow("interleaved in time")
        << samples(50, 1000, 20, [](int i) { return i * 0.1; })
        << samples(40, 1005, 25, [](int i) { return -1e-300 * i + 123456789.125; }) << 0LL
        << 100000LL;
    QTest::newRow("range cuts both ends")
        << samples(100, 0, 1000, [](int i) { return std::pow(2.0, i % 60) + 0.3; })
        << samples(100, 500, 1000, [](int i) { return -i / 3.0; }) << 10000LL << 60000LL;
    QTest::newRow("before the zero, NaN left empty")
        << samples(10, -5000, 999, [](int i) { return i == 4 ? kNaN : i; }) << Samples()
        << -100000LL << 100000LL;
}

void TestPlot::csvReadsBack()
{
    QFETCH(Samples, first);
    QFETCH(Samples, second);
    QFETCH(qint64, fromUs);
    QFETCH(qint64, toUs);

    const PlotSeries a = seriesOf(first);
    const PlotSeries b = seriesOf(second);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writePlotCsv(buffer, {{"A", "km/h", &a}, {"B,2", "", &b}}, fromUs, toUs, 0));

    QList<QByteArray> lines = buffer.data().split('\n');
    QCOMPARE(lines.takeFirst(), QByteArray("time,signal,value,unit"));
    QCOMPARE(lines.takeLast(), QByteArray());
    QMap<QString, Samples> read;
    qint64 previous = std::numeric_limits<qint64>::min();
    for (const QByteArray &line : lines) {
        const bool quoted = line.contains("\"B,2\"");
        QList<QByteArray> f = QByteArray(line).replace("\"B,2\"", "B").split(',');
        QCOMPARE(f.size(), 4);
        const qint64 us = qint64(std::llround(f[0].toDouble() * 1e6));
        QVERIFY2(us >= previous, line); // in time order
        previous = us;
        const double value = f[2].isEmpty() ? kNaN : f[2].toDouble();
        read[quoted ? "B" : QString(f[1])].append({us, value});
        QCOMPARE(f[3], QByteArray(quoted ? "" : "km/h"));
    }
    const std::pair<QString, Samples> expected[] = {{"A", first}, {"B", second}};
    for (const auto &e : expected) {
        Samples inRange;
        for (const auto &p : e.second)
            if (p.first >= fromUs && p.first <= toUs)
                inRange.append(p);
        const Samples got = read.value(e.first);
        QCOMPARE(got.size(), inRange.size());
        for (int i = 0; i < got.size(); ++i) {
            QCOMPARE(got[i].first, inRange[i].first);
            QVERIFY(got[i].second == inRange[i].second ||
                    (std::isnan(got[i].second) && std::isnan(inRange[i].second)));
        }
    }
}

void TestPlot::layoutFileReadsBack_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("panes"); // -1: refused with a reason

    PlotLayoutSignal db;
    db.message = "EngineStatus";
    db.signal = "EngineSpeed";
    db.colour = "#ff0000";
    PlotLayoutSignal byHand;
    byHand.id = 0x7E8;
    byHand.startBit = 15;
    byHand.length = 12;
    byHand.order = DbcByteOrder::Motorola;
    byHand.isSigned = true;
    byHand.factor = 0.25;
    byHand.offset = -40;
    byHand.hidden = true;
    QTest::newRow("written, read back") << plotLayoutText({{db, byHand}, {byHand}, {}}) << 3;
    QTest::newRow("not JSON") << QByteArray("panes: 1") << -1;
    QTest::newRow("another JSON file") << QByteArray(R"({"panes": []})") << -1;
    QTest::newRow("a pane not a list") << QByteArray(R"({"votkbox_plot": 1, "panes": [3]})") << -1;
    QTest::newRow("a signal without a name")
        << QByteArray(R"({"votkbox_plot": 1, "panes": [[{"message": "M"}]]})") << -1;
    QByteArray many = R"({"votkbox_plot": 1, "panes": [)";
    for (int i = 0; i < 1000; ++i)
        many += i ? ",[]" : "[]";
    QTest::newRow("too many panes") << many + "]}" << -1;
}

void TestPlot::layoutFileReadsBack()
{
    QFETCH(QByteArray, text);
    QFETCH(int, panes);

    QString error;
    const std::optional<PlotLayout> layout = parsePlotLayout(text, &error);
    QCOMPARE(layout ? int(layout->size()) : -1, panes);
    QCOMPARE(error.isEmpty(), layout.has_value());
    if (layout) // every field kept
        QCOMPARE(plotLayoutText(*layout), text);
}

// Frames that come while following are shown; while paused the view stays
// and they are kept, shown once following again.
void TestPlot::followAndPause()
{
    CanRxModel store;
    for (int i = 0; i < 100; ++i)
        store.append(frame(1000000 + i * 100000LL, uint8_t(i)));
    PlotWindow window(&store, nullptr);
    window.resize(800, 500);
    const int handle = window.addSignal(byteZero(), 0);
    QCOMPARE(window.feed().series(handle).size(), 100);
    window.redraw();
    QCOMPARE(window.viewTo(), 10.0); // the first ten seconds

    window.appendFrames({frame(13000000, 1), frame(14000000, 2)});
    window.redraw();
    QCOMPARE(window.viewTo(), 13.0);
    QCOMPARE(window.viewFrom(), 3.0);
    QCOMPARE(window.pane(0)->timeAxis().maxValue(), 13.0);

    window.setFollowing(false);
    QVector<CanFrame> later;
    for (int i = 0; i < 50; ++i)
        later.append(frame(20000000 + i * 1000, uint8_t(i)));
    // An extended frame of the same number is another frame: not plotted.
    later.insert(1, frame(20000500, 99));
    later[1].extended = true;
    window.appendFrames(later);
    window.redraw();
    QCOMPARE(window.viewTo(), 13.0);
    QCOMPARE(window.pane(0)->timeAxis().maxValue(), 13.0);
    QCOMPARE(window.feed().series(handle).size(), 152);

    window.setFollowing(true);
    QCOMPARE(window.viewTo(), 19.049);
    QVERIFY(window.pane(0)->pointsDrawn() > 50);
}

void TestPlot::viewAfterZoomFitAndCursors_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<double>("valueTop"); // the value axis's top at most

    // Samples every 0.1 s from 0 to 99.9 s, value t / 10 s, with one
    // spike of 1000 at 50 s.
    QTest::newRow("fit") << "fit" << 0.0 << 99.900001 << 2000.0;
    QTest::newRow("zoom in around a point") << "fit zoom:0.5@20" << 10.0 << 59.9500005 << 2000.0;
    QTest::newRow("zoom past the spike leaves it off the value axis")
        << "fit zoom:0.1@0" << 0.0 << 9.9900001 << 10.0;
    QTest::newRow("pan") << "fit zoom:0.1@0 pan:5" << 5.0 << 14.9900001 << 10.0;
    QTest::newRow("cursors keep the view")
        << "fit zoom:0.1@0 cursor0:2 cursor1:35" << 0.0 << 9.9900001 << 10.0;
    QTest::newRow("nonsense zoom changes nothing")
        << "fit zoom:-1@0 zoom:nan@0" << 0.0 << 99.900001 << 2000.0;
}

void TestPlot::viewAfterZoomFitAndCursors()
{
    QFETCH(QString, steps);
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(double, valueTop);

    CanRxModel store;
    PlotWindow window(&store, nullptr);
    window.resize(900, 500);
    window.show();
    QVector<CanFrame> frames;
    for (int i = 0; i < 1000; ++i)
        frames.append(frame(i * 100000LL, i == 500 ? 250 : uint8_t(i / 100)));
    // As the CAN tab does: stored, then handed on.
    store.append(frames);
    window.appendFrames(frames);
    PlotSignal scaled = byteZero();
    scaled.signal.factor = 4; // the spike is 1000
    window.addSignal(scaled, 0);
    window.addPane();
    window.addSignal(byteZero(), 1);

    for (const QString &step : steps.split(' ')) {
        const QStringList p = step.split(QRegularExpression(QStringLiteral("[:@]")));
        if (p[0] == "fit")
            window.fitAll();
        else if (p[0] == "zoom")
            window.zoom(p[1].toDouble(), p[2].toDouble());
        else if (p[0] == "pan")
            window.pan(p[1].toDouble());
        else if (p[0].startsWith("cursor"))
            window.setCursor(p[0].right(1).toInt(), p[1].toDouble());
    }
    QVERIFY(!window.isFollowing());
    for (int i = 0; i < window.paneCount(); ++i) {
        const QwtInterval axis = window.pane(i)->timeAxis();
        QVERIFY2(std::abs(axis.minValue() - from) < 1e-6,
                 qPrintable(QString::number(axis.minValue())));
        QVERIFY2(std::abs(axis.maxValue() - to) < 1e-6,
                 qPrintable(QString::number(axis.maxValue())));
    }
    QVERIFY2(window.pane(0)->valueAxis().maxValue() <= valueTop,
             qPrintable(QString::number(window.pane(0)->valueAxis().maxValue())));
    if (steps.contains("cursor1")) {
        const QString text = window.cursorText();
        QVERIFY2(text.contains(QStringLiteral("Δt = 33.000000 s")), qPrintable(text));
        // Byte 0 is 0 at 2 s and 3 at 35 s; four times that in the scaled one.
        QVERIFY2(text.contains(QStringLiteral("Δ0|8 = 12")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Δ0|8 = 3")), qPrintable(text));
    }
}

QTEST_MAIN(TestPlot)
#include "tst_plot.moc"
