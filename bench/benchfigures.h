#pragma once

// What every benchmark shares: quiet logs and its "name value unit" lines.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QMetaType>
#include <QTimer>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

// The link's debug lines would drown the figures.
inline void quietBenchmark()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

inline void printFigure(const char *name, double value, const char *unit, int decimals = 1)
{
    std::printf("%s %.*f %s\n", name, decimals, value, unit);
    std::fflush(stdout);
}

// The value below which the fraction `p` of `v` lies; NaN for no values.
inline double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

// The longest the event loop of this thread went without serving a timer of
// 1 ms: how long a window that runs it would have shown nothing new.
// A real event loop for `ms`, idle between events as the tool's is: a loop
// that spins on processEvents() burns a core of its own and starves the reader.
inline void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class EventLoopStall
{
public:
    EventLoopStall()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(1);
        QObject::connect(&m_tick, &QTimer::timeout, [this] { note(); });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_maxGap = 0;
        m_tick.start();
    }
    // Counts the time since the last tick too: a loop that never served the
    // timer stalled for all of it.
    double maxMs()
    {
        note();
        return double(m_maxGap) / 1e6;
    }

private:
    void note()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_maxGap = std::max(m_maxGap, now - m_last);
        m_last = now;
    }

    QElapsedTimer m_clock;
    QTimer m_tick;
    qint64 m_last = 0;
    qint64 m_maxGap = 0;
};
