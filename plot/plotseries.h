#pragma once

#include <QPointF>
#include <QtGlobal>

#include <cstdint>
#include <memory>
#include <vector>

// One plotted signal's samples, (time, value), in time order. Kept compactly
// (about 12.5 bytes a sample) in chunks, so that ten million samples need no
// copy to grow, with the minimum and maximum of every block of samples, so
// that reducing a range to pixel columns reads a few blocks per column
// instead of every sample.
class PlotSeries
{
public:
    static constexpr int kBlockBits = 6;
    static constexpr qint64 kBlock = qint64(1) << kBlockBits;
    static constexpr int kChunkBits = 16;
    static constexpr qint64 kChunk = qint64(1) << kChunkBits;

    PlotSeries();
    ~PlotSeries();
    PlotSeries(PlotSeries &&) noexcept;
    PlotSeries &operator=(PlotSeries &&) noexcept;

    // Adds a sample. A time before the last one's is taken as the last one's,
    // so that the series stays in order (a capture may have gone back in time).
    // NaN values are kept and left out of every minimum and maximum.
    void append(qint64 timeUs, double value);
    void clear();

    qint64 size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    qint64 timeUs(qint64 i) const;
    double value(qint64 i) const;
    // The first sample at or after `timeUs`; size() when none is.
    qint64 lowerBound(qint64 timeUs) const;
    // The smallest and largest value of samples [first, last); false when
    // none of them has one.
    bool minMax(qint64 first, qint64 last, double *min, double *max) const;
    // Memory held, the unused room of the last chunk too.
    size_t bytes() const;

private:
    struct Chunk;
    struct Block;
    const Block &blockAt(qint64 i) const;

    std::vector<std::unique_ptr<Chunk>> m_chunks;
    qint64 m_size = 0;
    qint64 m_lastUs = 0;
};

// What a pixel column of a range holds: the smallest and largest value of
// its samples and the first and last of them (NaN ones left out).
struct PlotColumn
{
    qint64 count = 0; // samples with a value
    double min = 0;
    double max = 0;
    double first = 0;
    double last = 0;
};

// Where column `c` of `columns` equal columns over [fromUs, toUs) starts;
// column `columns` starts at toUs.
qint64 plotColumnEdge(qint64 fromUs, qint64 toUs, int columns, int c);

// The range [fromUs, toUs) cut into `columns` columns (1 to kPlotMaxColumns;
// an empty or reversed range gives empty columns). Reads about two blocks
// and two binary searches per column, whatever the samples' count.
std::vector<PlotColumn> plotColumns(const PlotSeries &series, qint64 fromUs, qint64 toUs,
                                    int columns);

constexpr int kPlotMaxColumns = 1 << 16;

// The points to draw for [fromUs, toUs) on `columns` pixel columns, x in
// seconds since `originUs`: every sample when they are few, else per column
// its first, smallest, largest and last value; and the samples just outside
// the range, so that the line reaches its edges.
std::vector<QPointF> plotPoints(const PlotSeries &series, qint64 fromUs, qint64 toUs, int columns,
                                qint64 originUs);
