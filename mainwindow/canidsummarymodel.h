#pragma once

#include "canframetype.h"

#include <QAbstractTableModel>
#include <QVector>

#include <cstdint>
#include <vector>

// One row per identifier received: how many frames, the time between its
// last two, its last data and which of those bytes differ from the frame
// before. Rows appear in the order identifiers were first seen and change in
// place; the view hears of it at flush(), not per frame.
class CanIdSummaryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        IdColumn,
        CountColumn,
        PeriodColumn,
        DataColumn,
        ColumnCount
    };
    // The data cell's bits of the bytes that changed (bit i: byte i).
    static constexpr int ChangedBytesRole = Qt::UserRole + 1;

    explicit CanIdSummaryModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Counts a received frame. Sent frames are not added: the view is of
    // what the bus says.
    void add(const CanFrame &frame);
    void add(const QVector<CanFrame> &frames)
    {
        for (const CanFrame &frame : frames)
            add(frame);
    }
    void flush();
    void clear();

private:
    struct Entry
    {
        quint64 count = 0;
        qint64 lastUs = 0;
        qint64 periodUs = -1; // none before the second frame
        QVector<uint8_t> data;
        quint32 changed = 0;
        int id = 0;
    };
    std::vector<Entry> m_entries;
    // Row of each identifier, -1 while unseen; made at the first frame.
    std::vector<int> m_rowOfId;
    int m_shown = 0;
    bool m_dirty = false;
};
