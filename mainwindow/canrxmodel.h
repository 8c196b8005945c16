#pragma once

#include "canfilter.h"
#include "cansaveformat.h"
#include "cantext.h"

#include "dbccodec.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QTimer>
#include <QVector>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

class QIODevice;

// The receive table's rows: every received frame stored once and compactly
// (24 bytes), its texts made only when the view asks for a row on screen.
// New frames are announced to the view in batches, a few tens of times a
// second, however fast they come; past the row limit the oldest give way.
class CanRxModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kDefaultRowLimit = 10000000;
    // Rows times their height must stay within the view's int pixel range.
    static constexpr int kMaxRowLimit = 50000000;
    static constexpr int kFlushIntervalMs = 30;

    explicit CanRxModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The columns; the message and its signals only while a CAN database
    // is loaded.
    enum Column
    {
        TimeColumn,
        IdColumn,
        DataColumn,
        // The number of data bytes, as candump shows it in brackets.
        DlcColumn,
        DirectionColumn,
        MessageColumn,
        SignalsColumn,
        ColumnCount
    };

    // Decodes the rows with `database` (null: none), as they are shown: no
    // row keeps anything decoded. Follows the window's loaded database from
    // the start.
    void setDatabase(std::shared_ptr<const DbcDatabase> database);

    // Stores a frame, received or sent, at its time. It reaches the view at
    // the next flush. Sent frames are marked "Tx" and coloured, and are not
    // counted as received.
    void append(const CanFrame &frame);
    void append(const QVector<CanFrame> &frames);
    // Announces the stored frames the view does not have yet, then, once
    // the rows are more than a thousandth past the limit, lets the oldest
    // give way down to the limit. Emits flushed().
    void flush();

    // Removes the rows of these inclusive [first, last] spans, which may
    // overlap and come in any order.
    void removeRowSpans(QVector<std::pair<int, int>> spans);
    // Removes every row, the ones not yet shown too, and zeroes the counts.
    void clear();

    // What the time column shows: the read time ("hh:mm:ss.zzz"), seconds
    // since the first stored frame, or seconds since the previous frame of
    // the same identifier (empty for the first of its identifier).
    enum class TimeShown
    {
        ReadTime,
        SinceFirst,
        SincePreviousOfId
    };
    void setTimeShown(TimeShown shown);
    TimeShown timeShown() const { return m_timeShown; }

    // Shows only the stored frames the filter accepts (none: every frame).
    // The view keeps the indexes of the matching rows, not copies of them.
    // `text` is what the user wrote for it, for every view to show.
    void setIdFilter(std::optional<CanIdFilter> filter, const QString &text = QString());
    bool isFiltered() const { return m_filter.has_value(); }
    const std::optional<CanIdFilter> &idFilter() const { return m_filter; }
    const QString &idFilterText() const { return m_filterText; }
    // The next shown row after `from` (before it when !forward) whose data
    // holds `pattern`, or -1. `from` may be -1 or rowCount() to start at an end.
    int findData(const CanDataPattern &pattern, int from, bool forward) const;

    void setRowLimit(int limit);
    // While held (the view is frozen), frames are stored and counted but not
    // shown, and no shown row gives way to the limit; releasing shows them.
    // The limit still holds: past it, the oldest frames not shown give way.
    void setViewHeld(bool held);
    bool isViewHeld() const { return m_viewHeld; }
    // Frames stored and not shown yet because the view is held.
    int heldBack() const { return int(m_rows.size()) - m_shown; }
    // Every stored row, the held-back ones too (gap rows among them).
    int stored() const { return int(m_rows.size()); }
    // The stored rows that are frames: not the gap rows.
    int storedFrames() const { return stored() - m_gapRows; }
    // Whether the stored row at `storeIndex` marks a pause, not a frame.
    bool isGapAt(int storeIndex) const { return m_rows[size_t(storeIndex)].flags & Gap; }
    bool isGapShownAt(int viewRow) const { return rowAt(viewRow).flags & Gap; }
    // While filtered: the frames among the view's rows, its gap rows left out.
    int filteredFrames() const { return int(m_view.size()) - m_viewGaps; }

    // The box stopped reporting (`reason` says why, for the views' banner)
    // or, with an empty reason, reports again. On resuming after rows were
    // stored, one gap row marks the time nothing was received; it is neither
    // a frame nor counted, saved or decoded as one.
    void setReceivingPaused(const QString &reason, qint64 nowUs);
    bool isReceivingPaused() const { return !m_pausedReason.isEmpty(); }
    // What a view's banner says while receiving is paused; empty otherwise.
    QString pausedBannerText() const;
    // While held (a save reads the rows), no row gives way to the limit.
    void setTrimmingHeld(bool held);
    bool isTrimmingHeld() const { return m_trimmingHeld; }

    // The stored frame at `storeIndex` (shown or held back) as it came.
    CanFrame frameAt(int storeIndex) const;
    // The frame the view shows in row `viewRow`; not for a gap row.
    CanFrame frameShownAt(int viewRow) const
    {
        return frameAt(m_filter ? m_view[size_t(viewRow)] : viewRow);
    }

    // Frames stored since the start or the last clear, and how many of them
    // gave way to the row limit.
    quint64 received() const { return m_received; }
    quint64 dropped() const { return m_dropped; }

    enum class WriteResult
    {
        Written,
        Failed,
        Cancelled
    };
    // Writes the first `rows` stored frames, shown or held back; with `filtered`, only those the
    // filter passes. `keepGoing(done)` is asked now and then; false cancels. It may run the event
    // loop: frames may be appended meanwhile, but no row may be removed (hold the trimming).
    WriteResult write(QIODevice &out, CanSaveFormat format, int rows,
                      const std::function<bool(int done)> &keepGoing, bool filtered = false) const;

signals:
    void flushed();
    // The filter, the hold or the time shown changed: every view over the
    // rows shows the same.
    void viewSettingsChanged();
    // Receiving paused or resumed, or the reason of a pause changed.
    void pausedChanged();

private:
    enum RowFlag : uint8_t
    {
        Long = 1,
        Sent = 2,
        // Not a frame: the pause in receiving that ended at timeUs; its
        // length in microseconds is kept in the data bytes.
        Gap = 4,
        // A 29-bit identifier that a capture marked (beside any above 7FF).
        Extended = 8
    };
    struct Row
    {
        qint64 timeUs;
        // The data bytes, or for a frame of more than eight data bytes the
        // key of its bytes in m_long.
        uint8_t data[8];
        uint16_t id;
        uint8_t length;
        uint8_t flags;
        // Microseconds since the previous frame of this identifier was
        // read, kNoGap for the first, kGapMax for anything longer.
        quint32 gapUs;
    };
    static constexpr quint32 kNoGap = 0xFFFFFFFF;
    static constexpr quint32 kGapMax = 0xFFFFFFFE;
    static_assert(sizeof(Row) <= 24, "a stored frame stays compact");

    QByteArray bytesOf(const Row &row) const;
    QVariant decodedText(const Row &row, int column) const;
    QVariant timeText(const Row &row) const;
    const Row &rowAt(int viewRow) const
    {
        return m_rows[size_t(m_filter ? m_view[size_t(viewRow)] : viewRow)];
    }
    // A pause concerns every identifier: its row passes any filter.
    bool accepted(const Row &row) const
    {
        return (row.flags & Gap) || m_filter->accepts(int(row.id));
    }
    QString gapText(const Row &row) const;
    void rebuildView();
    void removeFilteredRows(const QVector<std::pair<int, int>> &spans);
    void forget(const Row &row);
    void trim();
    void trimHeldBack();

    std::deque<Row> m_rows;
    int m_shown = 0;
    // Frames longer than a classic CAN frame are rare; they keep their bytes here.
    std::unordered_map<quint64, QByteArray> m_long;
    quint64 m_nextLongKey = 0;
    int m_rowLimit = kDefaultRowLimit;
    bool m_trimmingHeld = false;
    bool m_viewHeld = false;
    quint64 m_received = 0;
    quint64 m_dropped = 0;
    int m_gapRows = 0;
    QString m_pausedReason;
    qint64 m_pausedSinceUs = 0;
    QTimer m_flushTimer;
    mutable CanRxClock m_clock;
    TimeShown m_timeShown = TimeShown::ReadTime;
    // The read time of the last frame of each identifier, for the gaps;
    // made at the first frame that has an identifier.
    std::vector<qint64> m_lastOfId;
    std::optional<CanIdFilter> m_filter;
    QString m_filterText;
    std::shared_ptr<const DbcDatabase> m_database;
    // Room for one frame's values, reused for every cell decoded.
    mutable std::vector<DbcValue> m_values;
    // While filtered: the store indexes of the shown rows that pass, in order,
    // and how many of them are gap rows.
    std::vector<int> m_view;
    int m_viewGaps = 0;
};
