#pragma once

// What every benchmark shares: quiet logs and its "name value unit" lines.

#include <QLoggingCategory>
#include <QMetaType>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

// The link's debug lines would drown the figures; frames cross threads as
// QVector<uint8_t>.
inline void quietBenchmark()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>");
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
