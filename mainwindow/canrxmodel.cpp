#include "canrxmodel.h"

#include "canframe.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
const QColor kRowColour(Qt::white);
const QColor kAlternateRowColour(198, 247, 217);
const QColor kSentRowColour(255, 226, 160);
const QColor kTextColour(Qt::black);
} // namespace

CanRxModel::CanRxModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &CanRxModel::flush);
}

int CanRxModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_filter ? int(m_view.size()) : m_shown;
}

int CanRxModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CanRxModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const Row &row = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case TimeColumn:
            return timeText(row);
        case IdColumn:
            // A record too short for an identifier has no ID at all.
            return row.flags & HasId ? QString::number(row.id, 16) : QVariant();
        case DirectionColumn:
            return row.flags & Sent ? QStringLiteral("Tx") : QStringLiteral("Rx");
        case DataColumn:
            if (row.flags & Long) {
                const QByteArray bytes = bytesOf(row);
                return hexBytesText(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                    bytes.size());
            }
            return hexBytesText(row.data, row.length);
        }
        return QVariant();
    // Both colours are set, so that a dark palette cannot put light text on
    // the light rows.
    case Qt::BackgroundRole:
        if (row.flags & Sent)
            return QBrush(kSentRowColour);
        return QBrush(index.row() % 2 ? kAlternateRowColour : kRowColour);
    case Qt::ForegroundRole:
        return QBrush(kTextColour);
    default:
        return QVariant();
    }
}

QVariant CanRxModel::timeText(const Row &row) const
{
    switch (m_timeShown) {
    case TimeShown::ReadTime:
        break;
    case TimeShown::SinceFirst:
        return secondsText(row.timeUs - m_rows.front().timeUs);
    case TimeShown::SincePreviousOfId:
        return row.gapUs == kNoGap ? QVariant() : secondsText(row.gapUs);
    }
    return m_clock.text(floorDivide(row.timeUs, 1000).first);
}

void CanRxModel::setTimeShown(TimeShown shown)
{
    if (shown == m_timeShown)
        return;
    m_timeShown = shown;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DisplayRole});
    emit viewSettingsChanged();
}

QVariant CanRxModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    static const char *const titles[] = {"Time", "ID", "Data", "Dir"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section])
                                                 : QVariant();
}

Qt::ItemFlags CanRxModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void CanRxModel::append(const QVector<uint8_t> &record, qint64 timeUs, CanDirection direction)
{
    Row row;
    row.timeUs = timeUs;
    const int id = canFrameId(record);
    row.id = id >= 0 ? uint16_t(id) : 0;
    row.flags = uint8_t((id >= 0 ? HasId : 0) | (direction == CanDirection::Sent ? Sent : 0));
    row.gapUs = kNoGap;
    if (id >= 0) {
        if (m_lastOfId.empty())
            m_lastOfId.assign(0x10000, std::numeric_limits<qint64>::min());
        qint64 &last = m_lastOfId[size_t(id)];
        if (last != std::numeric_limits<qint64>::min())
            row.gapUs = quint32(std::clamp<qint64>(timeUs - last, 0, kGapMax));
        last = timeUs;
    }
    const int length = std::max(0, record.size() - 2);
    std::memset(row.data, 0, sizeof row.data);
    if (length <= int(sizeof row.data)) {
        row.length = uint8_t(length);
        if (length > 0)
            std::memcpy(row.data, record.constData() + 2, size_t(length));
    } else {
        row.flags |= Long;
        row.length = uint8_t(std::min(length, 255));
        const quint64 key = m_nextLongKey++;
        std::memcpy(row.data, &key, sizeof key);
        m_long.emplace(key,
                       QByteArray(reinterpret_cast<const char *>(record.constData() + 2), length));
    }
    m_rows.push_back(row);
    if (direction == CanDirection::Received)
        ++m_received;
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void CanRxModel::flush()
{
    m_flushTimer.stop();
    const int stored = int(m_rows.size());
    if (!m_viewHeld && stored > m_shown && m_filter) {
        std::vector<int> passing;
        for (int r = m_shown; r < stored; ++r)
            if (accepted(m_rows[size_t(r)]))
                passing.push_back(r);
        const int first = int(m_view.size());
        if (!passing.empty())
            beginInsertRows(QModelIndex(), first, first + int(passing.size()) - 1);
        m_view.insert(m_view.end(), passing.begin(), passing.end());
        m_shown = stored;
        if (!passing.empty())
            endInsertRows();
    } else if (!m_viewHeld && stored > m_shown) {
        beginInsertRows(QModelIndex(), m_shown, stored - 1);
        m_shown = stored;
        endInsertRows();
    }
    trim();
    emit flushed();
}

void CanRxModel::trim()
{
    // Every removal at the top costs the view a pass over all its rows, so
    // the oldest rows give way in batches: once the table is a thousandth
    // past its limit (10 000 rows, about a second of a full bus, at the
    // default), it goes back to the limit.
    if (m_trimmingHeld)
        return;
    if (m_viewHeld) {
        trimHeldBack();
        return;
    }
    const int excess = m_shown - m_rowLimit;
    if (excess <= 0 || excess <= m_rowLimit / 1000)
        return;
    // Filtered, the rows that go are the view's first ones below `excess`.
    const int gone =
        m_filter ? int(std::lower_bound(m_view.begin(), m_view.end(), excess) - m_view.begin())
                 : excess;
    if (gone > 0)
        beginRemoveRows(QModelIndex(), 0, gone - 1);
    for (int i = 0; i < excess; ++i)
        forget(m_rows[size_t(i)]);
    m_rows.erase(m_rows.begin(), m_rows.begin() + excess);
    m_shown -= excess;
    m_dropped += quint64(excess);
    if (m_filter) {
        m_view.erase(m_view.begin(), m_view.begin() + gone);
        for (int &r : m_view)
            r -= excess;
    }
    if (gone > 0)
        endRemoveRows();
}

void CanRxModel::trimHeldBack()
{
    // A frozen view keeps every row it shows; the limit is held by the frames
    // it does not show yet, the oldest of them giving way, so that the store
    // stops growing however long the view stays frozen.
    const int excess = int(m_rows.size()) - m_rowLimit;
    if (excess <= 0 || excess <= m_rowLimit / 1000)
        return;
    const int gone = std::min(excess, heldBack());
    const auto first = m_rows.begin() + m_shown;
    for (auto it = first; it != first + gone; ++it)
        forget(*it);
    m_rows.erase(first, first + gone);
    m_dropped += quint64(gone);
}

void CanRxModel::setRowLimit(int limit)
{
    m_rowLimit = std::max(1, std::min(limit, kMaxRowLimit));
    trim();
}

void CanRxModel::setViewHeld(bool held)
{
    const bool changed = held != m_viewHeld;
    m_viewHeld = held;
    flush();
    if (changed)
        emit viewSettingsChanged();
}

void CanRxModel::setTrimmingHeld(bool held)
{
    m_trimmingHeld = held;
    trim();
}

QByteArray CanRxModel::bytesOf(const Row &row) const
{
    if (!(row.flags & Long))
        return QByteArray(reinterpret_cast<const char *>(row.data), row.length);
    quint64 key;
    std::memcpy(&key, row.data, sizeof key);
    const auto it = m_long.find(key);
    return it != m_long.end() ? it->second : QByteArray();
}

void CanRxModel::forget(const Row &row)
{
    if (!(row.flags & Long))
        return;
    quint64 key;
    std::memcpy(&key, row.data, sizeof key);
    m_long.erase(key);
}

void CanRxModel::setIdFilter(std::optional<CanIdFilter> filter, const QString &text)
{
    beginResetModel();
    m_filter = std::move(filter);
    m_filterText = m_filter ? text : QString();
    rebuildView();
    endResetModel();
    emit viewSettingsChanged();
}

void CanRxModel::rebuildView()
{
    std::vector<int>().swap(m_view);
    if (!m_filter)
        return;
    for (int r = 0; r < m_shown; ++r)
        if (accepted(m_rows[size_t(r)]))
            m_view.push_back(r);
}

int CanRxModel::findData(const CanDataPattern &pattern, int from, bool forward) const
{
    const int rows = rowCount();
    const int step = forward ? 1 : -1;
    for (int r = std::clamp(from, -1, rows) + step; r >= 0 && r < rows; r += step) {
        const Row &row = rowAt(r);
        if (row.flags & Long) {
            const QByteArray bytes = bytesOf(row);
            if (pattern.matches(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size()))
                return r;
        } else if (pattern.matches(row.data, row.length)) {
            return r;
        }
    }
    return -1;
}

void CanRxModel::removeFilteredRows(const QVector<std::pair<int, int>> &spans)
{
    // View rows name scattered store rows: mark them, then one pass.
    std::vector<bool> doomed(size_t(m_shown), false);
    int removed = 0;
    for (const auto &span : spans)
        for (int v = std::max(span.first, 0); v <= std::min(span.second, rowCount() - 1); ++v) {
            const size_t r = size_t(m_view[size_t(v)]);
            removed += doomed[r] ? 0 : 1;
            doomed[r] = true;
        }
    if (removed == 0)
        return;
    beginResetModel();
    size_t write = 0;
    for (size_t r = 0; r < m_rows.size(); ++r) {
        if (r < doomed.size() && doomed[r]) {
            forget(m_rows[r]);
            continue;
        }
        m_rows[write++] = m_rows[r];
    }
    m_rows.erase(m_rows.begin() + std::ptrdiff_t(write), m_rows.end());
    m_shown -= removed;
    rebuildView();
    endResetModel();
}

void CanRxModel::removeRowSpans(QVector<std::pair<int, int>> spans)
{
    if (m_filter) {
        removeFilteredRows(spans);
        return;
    }
    QVector<std::pair<int, int>> merged;
    std::sort(spans.begin(), spans.end());
    for (auto span : spans) {
        span.first = std::max(span.first, 0);
        span.second = std::min(span.second, m_shown - 1);
        if (span.first > span.second)
            continue;
        if (!merged.isEmpty() && span.first <= merged.last().second + 1)
            merged.last().second = std::max(merged.last().second, span.second);
        else
            merged.append(span);
    }
    int removed = 0;
    for (const auto &span : merged)
        removed += span.second - span.first + 1;
    if (removed == 0)
        return;

    // A few blocks are removed one by one from the bottom up, which keeps the
    // view's selection and position; many blocks in one pass over the store,
    // as every separate removal would move the rows below it again.
    if (merged.size() <= 8) {
        for (int i = merged.size() - 1; i >= 0; --i) {
            const int first = merged.at(i).first;
            const int last = merged.at(i).second;
            beginRemoveRows(QModelIndex(), first, last);
            for (int r = first; r <= last; ++r)
                forget(m_rows[size_t(r)]);
            m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
            m_shown -= last - first + 1;
            endRemoveRows();
        }
        return;
    }
    beginResetModel();
    size_t write = size_t(merged.first().first);
    int next = 0;
    for (size_t r = write; r < m_rows.size(); ++r) {
        while (next < merged.size() && int(r) > merged.at(next).second)
            ++next;
        if (next < merged.size() && int(r) >= merged.at(next).first) {
            forget(m_rows[r]);
            continue;
        }
        m_rows[write++] = m_rows[r];
    }
    m_rows.erase(m_rows.begin() + std::ptrdiff_t(write), m_rows.end());
    m_shown -= removed;
    endResetModel();
}

void CanRxModel::clear()
{
    beginResetModel();
    std::deque<Row>().swap(m_rows); // gives the memory back, not just the rows
    m_long.clear();
    std::vector<qint64>().swap(m_lastOfId);
    std::vector<int>().swap(m_view);
    m_shown = 0;
    m_received = 0;
    m_dropped = 0;
    m_flushTimer.stop();
    endResetModel();
    emit flushed();
}
