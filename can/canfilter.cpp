#include "canfilter.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {
std::optional<quint32> hexNumber(const QString &text, quint32 max)
{
    if (text.isEmpty() || text.size() > 4)
        return std::nullopt;
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    if (!ok || value > max)
        return std::nullopt;
    return value;
}
} // namespace

std::optional<CanIdFilter> CanIdFilter::parse(const QString &text, Mode mode,
                                              const NameLookup &names)
{
    // Spaces around the dash of a range belong to the range.
    QString compact = text;
    compact.replace(QRegularExpression(QStringLiteral("\\s*-\\s*")), QStringLiteral("-"));
    const QStringList items =
        compact.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts);
    if (items.isEmpty())
        return std::nullopt;
    CanIdFilter filter;
    filter.m_mode = mode;
    filter.m_listed = std::make_shared<std::bitset<0x10000>>();
    for (const QString &item : items) {
        const int named = names ? names(item) : -1;
        if (named >= 0 && named <= 0xFFFF) {
            filter.m_listed->set(size_t(named));
            continue;
        }
        const QStringList ends = item.split(QLatin1Char('-'));
        if (ends.size() > 2)
            return std::nullopt;
        const std::optional<quint32> first = hexNumber(ends.first(), 0xFFFF);
        const std::optional<quint32> last = hexNumber(ends.last(), 0xFFFF);
        if (!first || !last || *first > *last)
            return std::nullopt;
        for (quint32 id = *first; id <= *last; ++id)
            filter.m_listed->set(id);
    }
    return filter;
}

std::optional<CanDataPattern> CanDataPattern::parse(const QString &text)
{
    const QStringList items = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (items.isEmpty())
        return std::nullopt;
    CanDataPattern pattern;
    for (const QString &item : items) {
        if (item == QLatin1String("??")) {
            pattern.m_bytes.push_back(0);
            pattern.m_any.push_back(true);
            continue;
        }
        bool ok = false;
        const uint value = item.toUInt(&ok, 16);
        if (item.size() != 2 || !ok)
            return std::nullopt;
        pattern.m_bytes.push_back(uint8_t(value));
        pattern.m_any.push_back(false);
    }
    return pattern;
}

bool CanDataPattern::matches(const uint8_t *data, int length) const
{
    const int n = int(m_bytes.size());
    for (int start = 0; start + n <= length; ++start) {
        bool all = true;
        for (int i = 0; i < n && all; ++i)
            all = m_any[size_t(i)] || data[start + i] == m_bytes[size_t(i)];
        if (all)
            return true;
    }
    return false;
}
