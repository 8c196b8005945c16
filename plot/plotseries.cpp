#include "plotseries.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr qint64 kInChunk = PlotSeries::kChunk - 1;
} // namespace

// A block's times are offsets from its first sample's; a block that spans
// more than 71 minutes (a rare signal) keeps them in coarser steps.
struct PlotSeries::Block
{
    qint64 baseUs = 0;
    double min = kInf;
    double max = -kInf;
    uint8_t shift = 0;
};

struct PlotSeries::Chunk
{
    std::vector<uint32_t> offset;
    std::vector<double> value;
    std::vector<Block> blocks;
};

PlotSeries::PlotSeries() = default;
PlotSeries::~PlotSeries() = default;
PlotSeries::PlotSeries(PlotSeries &&) noexcept = default;
PlotSeries &PlotSeries::operator=(PlotSeries &&) noexcept = default;

void PlotSeries::append(qint64 timeUs, double value)
{
    if (m_size > 0 && timeUs < m_lastUs)
        timeUs = m_lastUs;
    const qint64 j = m_size & kInChunk;
    if (j == 0)
        m_chunks.push_back(std::make_unique<Chunk>());
    Chunk &chunk = *m_chunks.back();
    if ((j & (kBlock - 1)) == 0)
        chunk.blocks.push_back(Block{timeUs, kInf, -kInf, 0});
    Block &block = chunk.blocks.back();
    // Unsigned: the time is at or after the base, whatever their signs.
    const quint64 delta = quint64(timeUs) - quint64(block.baseUs);
    while ((delta >> block.shift) > std::numeric_limits<uint32_t>::max()) {
        ++block.shift;
        for (qint64 k = j & ~(kBlock - 1); k < j; ++k)
            chunk.offset[size_t(k)] >>= 1;
    }
    chunk.offset.push_back(uint32_t(delta >> block.shift));
    chunk.value.push_back(value);
    if (!std::isnan(value)) {
        block.min = std::min(block.min, value);
        block.max = std::max(block.max, value);
    }
    m_lastUs = timeUs;
    ++m_size;
}

void PlotSeries::clear()
{
    m_chunks.clear();
    m_size = 0;
    m_lastUs = 0;
}

const PlotSeries::Block &PlotSeries::blockAt(qint64 i) const
{
    return m_chunks[size_t(i >> kChunkBits)]->blocks[size_t((i & kInChunk) >> kBlockBits)];
}

qint64 PlotSeries::timeUs(qint64 i) const
{
    const Chunk &chunk = *m_chunks[size_t(i >> kChunkBits)];
    const qint64 j = i & kInChunk;
    const Block &block = chunk.blocks[size_t(j >> kBlockBits)];
    return qint64(quint64(block.baseUs) + (quint64(chunk.offset[size_t(j)]) << block.shift));
}

double PlotSeries::value(qint64 i) const
{
    return m_chunks[size_t(i >> kChunkBits)]->value[size_t(i & kInChunk)];
}

qint64 PlotSeries::lowerBound(qint64 t) const
{
    qint64 low = 0;
    qint64 high = m_size;
    while (low < high) {
        const qint64 mid = low + (high - low) / 2;
        if (timeUs(mid) < t)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

bool PlotSeries::minMax(qint64 first, qint64 last, double *min, double *max) const
{
    first = std::max<qint64>(first, 0);
    last = std::min(last, m_size);
    double low = kInf;
    double high = -kInf;
    auto take = [&](qint64 i) {
        const double v = value(i);
        if (!std::isnan(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    };
    for (; first < last && (first & (kBlock - 1)) != 0; ++first)
        take(first);
    for (; last - first >= kBlock; first += kBlock) {
        const Block &block = blockAt(first);
        low = std::min(low, block.min);
        high = std::max(high, block.max);
    }
    for (; first < last; ++first)
        take(first);
    if (low > high)
        return false;
    *min = low;
    *max = high;
    return true;
}

size_t PlotSeries::bytes() const
{
    size_t total = sizeof(*this) + m_chunks.capacity() * sizeof(m_chunks[0]);
    for (const auto &chunk : m_chunks)
        total += sizeof(Chunk) + chunk->offset.capacity() * sizeof(uint32_t) +
                 chunk->value.capacity() * sizeof(double) +
                 chunk->blocks.capacity() * sizeof(Block);
    return total;
}

qint64 plotColumnEdge(qint64 fromUs, qint64 toUs, int columns, int c)
{
    if (columns < 1 || c >= columns || toUs <= fromUs)
        return c <= 0 ? fromUs : toUs;
    if (c <= 0)
        return fromUs;
    const long double span = (long double)toUs - (long double)fromUs;
    return fromUs + qint64(std::floor(span * c / columns));
}

std::vector<PlotColumn> plotColumns(const PlotSeries &series, qint64 fromUs, qint64 toUs,
                                    int columns)
{
    columns = std::clamp(columns, 1, kPlotMaxColumns);
    std::vector<PlotColumn> out(static_cast<size_t>(columns));
    if (toUs <= fromUs || series.isEmpty())
        return out;
    qint64 a = series.lowerBound(fromUs);
    for (int c = 0; c < columns; ++c) {
        const qint64 b = series.lowerBound(plotColumnEdge(fromUs, toUs, columns, c + 1));
        PlotColumn &column = out[size_t(c)];
        if (b > a && series.minMax(a, b, &column.min, &column.max)) {
            column.count = b - a;
            qint64 i = a;
            while (std::isnan(series.value(i)))
                ++i;
            column.first = series.value(i);
            i = b - 1;
            while (std::isnan(series.value(i)))
                --i;
            column.last = series.value(i);
        }
        a = b;
    }
    return out;
}

std::vector<QPointF> plotPoints(const PlotSeries &series, qint64 fromUs, qint64 toUs, int columns,
                                qint64 originUs)
{
    std::vector<QPointF> out;
    columns = std::clamp(columns, 1, kPlotMaxColumns);
    if (toUs <= fromUs || series.isEmpty())
        return out;
    auto seconds = [originUs](double timeUs) { return (timeUs - double(originUs)) / 1e6; };
    auto sample = [&](qint64 i) {
        const double v = series.value(i);
        if (!std::isnan(v))
            out.emplace_back(seconds(double(series.timeUs(i))), v);
    };
    const qint64 a = series.lowerBound(fromUs);
    const qint64 b = series.lowerBound(toUs);
    if (a > 0)
        sample(a - 1);
    if (b - a <= 2 * qint64(columns)) {
        for (qint64 i = a; i < b; ++i)
            sample(i);
    } else {
        const std::vector<PlotColumn> cut = plotColumns(series, fromUs, toUs, columns);
        out.reserve(out.size() + 4 * cut.size() + 1);
        for (int c = 0; c < columns; ++c) {
            const PlotColumn &column = cut[size_t(c)];
            if (column.count == 0)
                continue;
            const double x = seconds((double(plotColumnEdge(fromUs, toUs, columns, c)) +
                                      double(plotColumnEdge(fromUs, toUs, columns, c + 1))) /
                                     2);
            for (double v : {column.first, column.min, column.max, column.last})
                if (out.empty() || out.back().x() != x || out.back().y() != v)
                    out.emplace_back(x, v);
        }
    }
    if (b < series.size())
        sample(b);
    return out;
}
