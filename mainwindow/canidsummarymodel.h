#pragma once

#include "canframetype.h"
#include "dbccodec.h"

#include <QAbstractTableModel>
#include <QVector>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// One row per identifier received: how many frames, the time between its
// last two, its last data and which of those bytes differ from the frame
// before. Rows appear in the order identifiers were first seen and change in
// place; the view hears of it at flush(), not per frame. With a CAN database,
// an identifier of a known message also shows its name and expected period,
// followed by one indented row per signal: its last value and the least and
// greatest seen.
class CanIdSummaryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        IdColumn,
        CountColumn,
        PeriodColumn,
        DataColumn, // a signal's row: its value
        // Only while a database is loaded:
        MessageColumn, // the message's name, or the signal's, indented
        CycleColumn,   // GenMsgCycleTime
        RangeColumn,   // a signal's least and greatest value seen
        ColumnCount
    };
    // The data cell's bits of the bytes that changed (bit i: byte i).
    static constexpr int ChangedBytesRole = Qt::UserRole + 1;
    // A message row whose last period was more than 1.5 times its cycle time.
    static constexpr int LateRole = Qt::UserRole + 2;

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
    // Decodes with `database` (null: none) from now on; the signals' values
    // seen start again. Follows the window's loaded database from the start.
    void setDatabase(std::shared_ptr<const DbcDatabase> database);

private:
    struct Seen
    {
        double value = 0;
        double least = 0;
        double greatest = 0;
        uint64_t raw = 0;
        bool any = false; // decoded at least once
        DbcValueState state = DbcValueState::Ok;
    };
    struct Entry
    {
        quint64 count = 0;
        qint64 lastUs = 0;
        qint64 periodUs = -1; // none before the second frame
        QVector<uint8_t> data;
        quint32 changed = 0;
        int id = 0;
        bool extended = false;               // marked extended, of 7FF or below
        const DbcMessage *message = nullptr; // in m_database
        std::vector<Seen> seen;              // one per signal of the message
    };
    int rowsOf(const Entry &e) const { return 1 + int(e.seen.size()); }
    // The entry of a view row and its signal, -1 for the message's own row.
    std::pair<int, int> entryOfRow(int row) const;
    void attachMessage(Entry &e);
    void decode(Entry &e);
    bool isLate(const Entry &e) const;
    QVariant signalData(const Entry &e, int signal, int column) const;
    void rebuildRowStarts();

    std::vector<Entry> m_entries;
    // Row of each identifier, -1 while unseen; made at the first frame.
    // Marked extended ones of 7FF or below come after the 65536 others.
    std::vector<int> m_rowOfId;
    // The first view row of each entry.
    std::vector<int> m_rowStart;
    int m_shownEntries = 0;
    int m_shownRows = 0;
    bool m_dirty = false;
    std::shared_ptr<const DbcDatabase> m_database;
    std::vector<DbcValue> m_values;
};
