#include "canidsummarymodel.h"

#include "canframe.h"
#include "loadeddbc.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>

#include <algorithm>

namespace {
const QColor kLateColour(255, 190, 170);
// A period this many times the cycle time is late.
constexpr double kLateFactor = 1.5;
} // namespace

CanIdSummaryModel::CanIdSummaryModel(QObject *parent) : QAbstractTableModel(parent)
{
    setDatabase(loadedDbc()->database());
    connect(loadedDbc(), &LoadedDbc::changed, this,
            [this] { setDatabase(loadedDbc()->database()); });
}

int CanIdSummaryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

int CanIdSummaryModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_database ? ColumnCount : MessageColumn;
}

std::pair<int, int> CanIdSummaryModel::entryOfRow(int row) const
{
    const auto end = m_rowStart.begin() + m_shownEntries;
    const int entry = int(std::upper_bound(m_rowStart.begin(), end, row) - m_rowStart.begin()) - 1;
    return {entry, row - m_rowStart[size_t(entry)] - 1};
}

bool CanIdSummaryModel::isLate(const Entry &e) const
{
    return e.message && e.message->cycleTimeMs > 0 && e.periodUs >= 0 &&
           double(e.periodUs) > kLateFactor * 1000.0 * e.message->cycleTimeMs;
}

QVariant CanIdSummaryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shownRows)
        return QVariant();
    const auto [entry, signal] = entryOfRow(index.row());
    const Entry &e = m_entries[size_t(entry)];
    if (signal >= 0) {
        if (role == ChangedBytesRole && index.column() == DataColumn)
            return 0u;
        return role == Qt::DisplayRole ? signalData(e, signal, index.column()) : QVariant();
    }
    if (role == ChangedBytesRole && index.column() == DataColumn)
        return e.changed;
    if (role == LateRole)
        return isLate(e);
    if (role == Qt::BackgroundRole && index.column() == PeriodColumn && isLate(e))
        return QBrush(kLateColour);
    if (role == Qt::ToolTipRole && index.column() == PeriodColumn && isLate(e))
        return tr("上一周期超过期望周期的 1.5 倍");
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case IdColumn:
        return e.extended ? QStringLiteral("%1").arg(e.id, 8, 16, QLatin1Char('0'))
                          : QString::number(e.id, 16);
    case CountColumn:
        return QString::number(e.count);
    case PeriodColumn:
        if (e.periodUs < 0)
            return QVariant();
        // Marked in the text as well as by colour.
        return isLate(e) ? secondsText(e.periodUs) + QLatin1String(" !") : secondsText(e.periodUs);
    case DataColumn:
        return hexBytesText(e.data.constData(), e.data.size());
    case MessageColumn:
        return e.message ? e.message->name : QVariant();
    case CycleColumn:
        return e.message && e.message->cycleTimeMs > 0
                   ? secondsText(qint64(e.message->cycleTimeMs) * 1000)
                   : QVariant();
    }
    return QVariant();
}

QVariant CanIdSummaryModel::signalData(const Entry &e, int signal, int column) const
{
    const DbcSignal &s = e.message->signalList[size_t(signal)];
    const Seen &seen = e.seen[size_t(signal)];
    switch (column) {
    case MessageColumn:
        return QLatin1String("    ") + s.name;
    case DataColumn: {
        if (seen.state != DbcValueState::Ok)
            return QString(QChar(0x2014));
        if (!seen.any)
            return QVariant();
        QString text = dbcValueText(s, seen.value);
        if (!s.unit.isEmpty())
            text += QLatin1Char(' ') + s.unit;
        if (const QString *label = dbcLabel(s, seen.raw))
            text += QLatin1String(" (") + *label + QLatin1Char(')');
        return text;
    }
    case RangeColumn:
        if (!seen.any || seen.state != DbcValueState::Ok)
            return QVariant();
        return dbcValueText(s, seen.least) + QString::fromUtf8(" … ") +
               dbcValueText(s, seen.greatest);
    }
    return QVariant();
}

QVariant CanIdSummaryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    static const char *const titles[] = {QT_TRANSLATE_NOOP("CanIdSummaryModel", "ID"),
                                         QT_TRANSLATE_NOOP("CanIdSummaryModel", "Count"),
                                         QT_TRANSLATE_NOOP("CanIdSummaryModel", "Period"),
                                         QT_TRANSLATE_NOOP("CanIdSummaryModel", "Data"),
                                         QT_TRANSLATE_NOOP("CanIdSummaryModel", "Message"),
                                         QT_TRANSLATE_NOOP("CanIdSummaryModel", "Cycle"),
                                         QT_TRANSLATE_NOOP("CanIdSummaryModel", "Min … Max")};
    return section >= 0 && section < columnCount()
               ? QCoreApplication::translate("CanIdSummaryModel", titles[section])
               : QVariant();
}

void CanIdSummaryModel::attachMessage(Entry &e)
{
    e.message = m_database && !e.extended ? m_database->standardMessage(quint32(e.id)) : nullptr;
    e.seen.assign(e.message ? e.message->signalList.size() : 0, Seen());
    if (e.message && m_values.size() < e.message->signalList.size())
        m_values.resize(e.message->signalList.size());
}

void CanIdSummaryModel::decode(Entry &e)
{
    const DbcMessage &m = *e.message;
    const int n = dbcDecodeInto(m, e.data.constData(), e.data.size(), m_values.data());
    for (int i = 0; i < n; ++i) {
        const DbcValue &v = m_values[size_t(i)];
        Seen &seen = e.seen[size_t(v.signal - m.signalList.data())];
        seen.state = v.state;
        if (v.state != DbcValueState::Ok)
            continue;
        seen.value = v.value;
        seen.raw = v.raw;
        seen.least = seen.any ? std::min(seen.least, v.value) : v.value;
        seen.greatest = seen.any ? std::max(seen.greatest, v.value) : v.value;
        seen.any = true;
    }
}

void CanIdSummaryModel::add(const CanFrame &frame)
{
    if (frame.direction != CanDirection::Received)
        return;
    const int id = frame.id;
    const qint64 timeUs = frame.timeUs;
    if (m_rowOfId.empty())
        m_rowOfId.assign(0x10000 + 0x800, -1);
    const bool extended = frame.extended && id <= 0x7FF;
    int &row = m_rowOfId[size_t(extended ? 0x10000 + id : id)];
    if (row < 0) {
        row = int(m_entries.size());
        m_entries.emplace_back();
        m_entries.back().id = id;
        m_entries.back().extended = extended;
        attachMessage(m_entries.back());
    }
    Entry &e = m_entries[size_t(row)];
    const int length = frame.length;
    if (e.count > 0) {
        e.periodUs = timeUs - e.lastUs;
        // Bytes that differ, or that one of the two frames lacks.
        e.changed = 0;
        for (int i = 0; i < std::min(32, std::max(length, e.data.size())); ++i)
            if (i >= length || i >= e.data.size() || frame.data[i] != e.data[i])
                e.changed |= 1u << i;
    }
    // Resized in place: no allocation per frame.
    e.data.resize(length);
    std::copy(frame.data, frame.data + length, e.data.begin());
    e.lastUs = timeUs;
    ++e.count;
    if (e.message)
        decode(e);
    m_dirty = true;
}

void CanIdSummaryModel::rebuildRowStarts()
{
    m_rowStart.resize(m_entries.size());
    int next = 0;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        m_rowStart[i] = next;
        next += rowsOf(m_entries[i]);
    }
}

void CanIdSummaryModel::flush()
{
    if (!m_dirty)
        return;
    m_dirty = false;
    if (m_shownRows > 0)
        emit dataChanged(index(0, 0), index(m_shownRows - 1, columnCount() - 1));
    const int total = int(m_entries.size());
    if (total > m_shownEntries) {
        // New entries only ever come last: the rows before keep their place.
        m_rowStart.resize(size_t(total));
        int next = m_shownRows;
        for (int i = m_shownEntries; i < total; ++i) {
            m_rowStart[size_t(i)] = next;
            next += rowsOf(m_entries[size_t(i)]);
        }
        beginInsertRows(QModelIndex(), m_shownRows, next - 1);
        m_shownEntries = total;
        m_shownRows = next;
        endInsertRows();
    }
}

void CanIdSummaryModel::clear()
{
    beginResetModel();
    m_entries.clear();
    std::vector<int>().swap(m_rowOfId);
    m_rowStart.clear();
    m_shownEntries = 0;
    m_shownRows = 0;
    m_dirty = false;
    endResetModel();
}

void CanIdSummaryModel::setDatabase(std::shared_ptr<const DbcDatabase> database)
{
    if (database == m_database)
        return;
    beginResetModel();
    m_database = std::move(database);
    for (Entry &e : m_entries) {
        attachMessage(e);
        // The last frame decoded at once, not only from the next one on.
        if (e.message && e.count > 0)
            decode(e);
    }
    rebuildRowStarts();
    m_shownRows = m_shownEntries > 0 ? m_rowStart[size_t(m_shownEntries - 1)] +
                                           rowsOf(m_entries[size_t(m_shownEntries - 1)])
                                     : 0;
    endResetModel();
}
