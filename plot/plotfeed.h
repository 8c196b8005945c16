#pragma once

#include "canframetype.h"
#include "dbcdatabase.h"
#include "plotseries.h"

#include <QString>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

// A signal to plot: a database's or one defined by hand, decoded with the
// database's codec either way.
struct PlotSignal
{
    quint32 id = 0;
    QString message; // empty for one defined by hand
    DbcSignal signal;
    // For a multiplexed signal: its message's multiplexer.
    std::optional<DbcSignal> multiplexer;

    // "EngineStatus.EngineSpeed", or "0x0C9 8|16" for one defined by hand.
    QString name() const;
};

// The signal `index` of `message`.
PlotSignal plotSignalOf(const DbcMessage &message, int index);

// A signal defined by hand; the reason in `error` and nothing when its bits
// do not fit a frame or a value is out of range.
std::optional<PlotSignal> adHocSignal(quint32 id, int startBit, int length, DbcByteOrder order,
                                      bool isSigned, double factor, double offset, QString *error);

// The signal's value in `frame`; false when the frame is another
// identifier's, too short or of another multiplexer page.
bool decodePlotSignal(const PlotSignal &signal, const CanFrame &frame, double *value);

// The plotted signals and their samples, filled from frames: each frame is
// decoded once for each signal of its identifier.
class PlotFeed
{
public:
    // Answers the signal's handle.
    int add(const PlotSignal &signal);
    void remove(int handle);
    bool has(int handle) const;
    const PlotSignal &signal(int handle) const { return m_entries[size_t(handle)]->signal; }
    const PlotSeries &series(int handle) const { return m_entries[size_t(handle)]->series; }
    std::vector<int> handles() const;

    void append(const CanFrame *frames, int count);
    // Decodes `frames` for the signal `handle` only: one added to a plot of
    // frames already there.
    void fill(int handle, const CanFrame *frames, int count);
    // Forgets every sample, keeps the signals.
    void clearSamples();
    // The time of the first frame appended since the start or the last
    // clear (the plot's zero), and of the last one.
    bool hasFrames() const { return m_frames > 0; }
    qint64 firstUs() const { return m_firstUs; }
    qint64 lastUs() const { return m_lastUs; }

private:
    struct Entry
    {
        PlotSignal signal;
        PlotSeries series;
    };
    std::vector<std::unique_ptr<Entry>> m_entries;
    std::unordered_map<quint32, std::vector<int>> m_byId;
    qint64 m_frames = 0;
    qint64 m_firstUs = 0;
    qint64 m_lastUs = 0;
};
