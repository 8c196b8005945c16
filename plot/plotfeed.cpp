#include "plotfeed.h"

#include "dbccodec.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

QString PlotSignal::name() const
{
    if (!message.isEmpty())
        return message + QLatin1Char('.') + signal.name;
    return QStringLiteral("0x%1 %2|%3")
        .arg(QString::number(id, 16).toUpper().rightJustified(3, QLatin1Char('0')))
        .arg(signal.startBit)
        .arg(signal.length);
}

PlotSignal plotSignalOf(const DbcMessage &message, int index)
{
    PlotSignal out;
    out.id = message.id;
    out.message = message.name;
    out.signal = message.signalList[size_t(index)];
    if (out.signal.mux == DbcMux::Multiplexed && message.multiplexer >= 0)
        out.multiplexer = message.signalList[size_t(message.multiplexer)];
    return out;
}

std::optional<PlotSignal> adHocSignal(quint32 id, int startBit, int length, DbcByteOrder order,
                                      bool isSigned, double factor, double offset, QString *error)
{
    auto fail = [error](const char *text) {
        if (error)
            *error = QCoreApplication::translate("PlotFeed", text);
        return std::nullopt;
    };
    if (id > 0x7FF)
        return fail(QT_TRANSLATE_NOOP("PlotFeed", "标识符超出 0x000–0x7FF"));
    if (length < 1 || length > 64)
        return fail(QT_TRANSLATE_NOOP("PlotFeed", "长度须在 1–64 位之间"));
    if (!std::isfinite(factor) || !std::isfinite(offset) || factor == 0)
        return fail(QT_TRANSLATE_NOOP("PlotFeed", "系数须为非零有限数，偏移须为有限数"));
    PlotSignal out;
    out.id = id;
    out.signal.name = QStringLiteral("%1|%2").arg(startBit).arg(length);
    out.signal.startBit = startBit;
    out.signal.length = length;
    out.signal.order = order;
    out.signal.isSigned = isSigned;
    out.signal.factor = factor;
    out.signal.offset = offset;
    if (startBit < 0 || startBit >= kDbcMaxBits || !dbcLayout(out.signal))
        return fail(QT_TRANSLATE_NOOP("PlotFeed", "起始位与长度超出帧的 64 个字节"));
    return out;
}

bool decodePlotSignal(const PlotSignal &signal, const CanFrame &frame, double *value)
{
    // A marked extended frame is never the standard one of its number.
    if (frame.id != signal.id || frame.extended || frame.length < signal.signal.layout.needBytes)
        return false;
    if (signal.multiplexer) {
        const DbcSignal &mux = *signal.multiplexer;
        if (frame.length < mux.layout.needBytes ||
            qint64(dbcRawBits(mux, frame.data)) != signal.signal.muxValue)
            return false;
    }
    *value = dbcPhysical(signal.signal, dbcRawBits(signal.signal, frame.data));
    return true;
}

int PlotFeed::add(const PlotSignal &signal)
{
    const int handle = int(m_entries.size());
    m_entries.push_back(std::make_unique<Entry>(Entry{signal, PlotSeries()}));
    m_byId[signal.id].push_back(handle);
    return handle;
}

void PlotFeed::remove(int handle)
{
    if (!has(handle))
        return;
    std::vector<int> &same = m_byId[m_entries[size_t(handle)]->signal.id];
    same.erase(std::remove(same.begin(), same.end(), handle), same.end());
    m_entries[size_t(handle)].reset();
}

bool PlotFeed::has(int handle) const
{
    return handle >= 0 && size_t(handle) < m_entries.size() && m_entries[size_t(handle)];
}

std::vector<int> PlotFeed::handles() const
{
    std::vector<int> out;
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i])
            out.push_back(int(i));
    return out;
}

void PlotFeed::append(const CanFrame *frames, int count)
{
    for (int k = 0; k < count; ++k) {
        const CanFrame &frame = frames[k];
        if (m_frames++ == 0)
            m_firstUs = m_lastUs = frame.timeUs;
        m_lastUs = std::max(m_lastUs, frame.timeUs);
        const auto it = m_byId.find(frame.id);
        if (it == m_byId.end())
            continue;
        for (int handle : it->second) {
            Entry &entry = *m_entries[size_t(handle)];
            double value;
            if (decodePlotSignal(entry.signal, frame, &value))
                entry.series.append(frame.timeUs, value);
        }
    }
}

void PlotFeed::fill(int handle, const CanFrame *frames, int count)
{
    if (!has(handle))
        return;
    Entry &entry = *m_entries[size_t(handle)];
    for (int k = 0; k < count; ++k) {
        double value;
        if (decodePlotSignal(entry.signal, frames[k], &value))
            entry.series.append(frames[k].timeUs, value);
    }
}

void PlotFeed::clearSamples()
{
    for (auto &entry : m_entries)
        if (entry)
            entry->series.clear();
    m_frames = 0;
    m_firstUs = 0;
    m_lastUs = 0;
}
