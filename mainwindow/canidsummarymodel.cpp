#include "canidsummarymodel.h"

#include "canframe.h"

#include <algorithm>

CanIdSummaryModel::CanIdSummaryModel(QObject *parent) : QAbstractTableModel(parent)
{
}

int CanIdSummaryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int CanIdSummaryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CanIdSummaryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown)
        return QVariant();
    const Entry &e = m_entries[size_t(index.row())];
    if (role == ChangedBytesRole && index.column() == DataColumn)
        return e.changed;
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case IdColumn:
        return QString::number(e.id, 16);
    case CountColumn:
        return QString::number(e.count);
    case PeriodColumn:
        return e.periodUs < 0 ? QVariant() : secondsText(e.periodUs);
    case DataColumn:
        return hexBytesText(e.data.constData(), e.data.size());
    }
    return QVariant();
}

QVariant CanIdSummaryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    static const char *const titles[] = {"ID", "Count", "Period", "Data"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section])
                                                 : QVariant();
}

void CanIdSummaryModel::add(const CanFrame &frame)
{
    if (frame.direction != CanDirection::Received)
        return;
    const int id = frame.id;
    const qint64 timeUs = frame.timeUs;
    if (m_rowOfId.empty())
        m_rowOfId.assign(0x10000, -1);
    int &row = m_rowOfId[size_t(id)];
    if (row < 0) {
        row = int(m_entries.size());
        m_entries.emplace_back();
        m_entries.back().id = id;
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
    m_dirty = true;
}

void CanIdSummaryModel::flush()
{
    if (!m_dirty)
        return;
    m_dirty = false;
    if (m_shown > 0)
        emit dataChanged(index(0, 0), index(m_shown - 1, ColumnCount - 1));
    const int total = int(m_entries.size());
    if (total > m_shown) {
        beginInsertRows(QModelIndex(), m_shown, total - 1);
        m_shown = total;
        endInsertRows();
    }
}

void CanIdSummaryModel::clear()
{
    beginResetModel();
    m_entries.clear();
    std::vector<int>().swap(m_rowOfId);
    m_shown = 0;
    m_dirty = false;
    endResetModel();
}
