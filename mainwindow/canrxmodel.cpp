#include "canrxmodel.h"

#include "canframe.h"
#include "loadeddbc.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
const QColor kRowColour(Qt::white);
const QColor kAlternateRowColour(198, 247, 217);
const QColor kSentRowColour(255, 226, 160);
const QColor kGapRowColour(255, 243, 176);
const QColor kTextColour(Qt::black);
} // namespace

CanRxModel::CanRxModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &CanRxModel::flush);
    setDatabase(loadedDbc()->database());
    connect(loadedDbc(), &LoadedDbc::changed, this,
            [this] { setDatabase(loadedDbc()->database()); });
}

int CanRxModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_filter ? int(m_view.size()) : m_shown;
}

int CanRxModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_database ? ColumnCount : MessageColumn;
}

void CanRxModel::setDatabase(std::shared_ptr<const DbcDatabase> database)
{
    if (database == m_database)
        return;
    const bool had = m_database != nullptr;
    const bool has = database != nullptr;
    if (had && !has)
        beginRemoveColumns(QModelIndex(), MessageColumn, ColumnCount - 1);
    else if (!had && has)
        beginInsertColumns(QModelIndex(), MessageColumn, ColumnCount - 1);
    m_database = std::move(database);
    if (had && !has)
        endRemoveColumns();
    else if (!had && has)
        endInsertColumns();
    else if (rowCount() > 0)
        emit dataChanged(index(0, MessageColumn), index(rowCount() - 1, ColumnCount - 1),
                         {Qt::DisplayRole, Qt::ToolTipRole});
}

QVariant CanRxModel::decodedText(const Row &row, int column) const
{
    const DbcMessage *message =
        m_database && !(row.flags & Extended) ? m_database->standardMessage(row.id) : nullptr;
    if (!message)
        return QVariant();
    if (column == MessageColumn)
        return message->name;
    if (m_values.size() < message->signalList.size())
        m_values.resize(message->signalList.size());
    int count = 0;
    if (row.flags & Long) {
        const QByteArray bytes = bytesOf(row);
        count = dbcDecodeInto(*message, reinterpret_cast<const uint8_t *>(bytes.constData()),
                              bytes.size(), m_values.data());
    } else {
        count = dbcDecodeInto(*message, row.data, row.length, m_values.data());
    }
    return dbcValuesText(m_values.data(), count);
}

QVariant CanRxModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const Row &row = rowAt(index.row());
    if (row.flags & Gap) {
        if (role == Qt::DisplayRole && index.column() == TimeColumn &&
            m_timeShown != TimeShown::SincePreviousOfId)
            return timeText(row);
        if (role == Qt::DisplayRole && index.column() == DataColumn)
            return gapText(row);
        if (role == Qt::BackgroundRole)
            return QBrush(kGapRowColour);
        if (role == Qt::ForegroundRole)
            return QBrush(kTextColour);
        return QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case TimeColumn:
            return timeText(row);
        case IdColumn:
            // Eight digits tell a marked extended frame, as candump writes it.
            return row.flags & Extended ? QStringLiteral("%1").arg(row.id, 8, 16, QLatin1Char('0'))
                                        : QString::number(row.id, 16);
        case DlcColumn:
            return int(row.length);
        case DirectionColumn:
            return row.flags & Sent ? QStringLiteral("Tx") : QStringLiteral("Rx");
        case MessageColumn:
        case SignalsColumn:
            return decodedText(row, index.column());
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
    case Qt::ToolTipRole:
        // The signals of a long message outgrow their cell.
        return index.column() == SignalsColumn ? decodedText(row, SignalsColumn) : QVariant();
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
    // The headers the table has always had; the Chinese translation gives
    // them in Chinese.
    static const char *const titles[] = {
        QT_TRANSLATE_NOOP("CanRxModel", "Time"),   QT_TRANSLATE_NOOP("CanRxModel", "ID"),
        QT_TRANSLATE_NOOP("CanRxModel", "Data"),   QT_TRANSLATE_NOOP("CanRxModel", "DLC"),
        QT_TRANSLATE_NOOP("CanRxModel", "Dir"),    QT_TRANSLATE_NOOP("CanRxModel", "Message"),
        QT_TRANSLATE_NOOP("CanRxModel", "Signals")};
    return section >= 0 && section < columnCount()
               ? QCoreApplication::translate("CanRxModel", titles[section])
               : QVariant();
}

Qt::ItemFlags CanRxModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void CanRxModel::append(const CanFrame &frame)
{
    Row row;
    row.timeUs = frame.timeUs;
    row.id = frame.id;
    row.flags = uint8_t((frame.direction == CanDirection::Sent ? Sent : 0) |
                        (frame.extended ? Extended : 0));
    if (m_lastOfId.empty())
        m_lastOfId.assign(0x10000, std::numeric_limits<qint64>::min());
    qint64 &last = m_lastOfId[frame.id];
    row.gapUs = last == std::numeric_limits<qint64>::min()
                    ? kNoGap
                    : quint32(std::clamp<qint64>(frame.timeUs - last, 0, kGapMax));
    last = frame.timeUs;
    const int length = frame.length;
    std::memset(row.data, 0, sizeof row.data);
    if (length <= int(sizeof row.data)) {
        row.length = uint8_t(length);
        std::memcpy(row.data, frame.data, size_t(length));
    } else {
        row.flags |= Long;
        row.length = uint8_t(length);
        const quint64 key = m_nextLongKey++;
        std::memcpy(row.data, &key, sizeof key);
        m_long.emplace(key, QByteArray(reinterpret_cast<const char *>(frame.data), length));
    }
    m_rows.push_back(row);
    if (frame.direction == CanDirection::Received)
        ++m_received;
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void CanRxModel::append(const QVector<CanFrame> &frames)
{
    for (const CanFrame &frame : frames)
        append(frame);
}

QString CanRxModel::gapText(const Row &row) const
{
    qint64 us = 0;
    std::memcpy(&us, row.data, sizeof us);
    return tr("接收暂停 %1 s").arg(double(us) / 1e6, 0, 'f', 1);
}

void CanRxModel::setReceivingPaused(const QString &reason, qint64 nowUs)
{
    if (reason == m_pausedReason)
        return;
    const bool resuming = reason.isEmpty();
    if (!isReceivingPaused())
        m_pausedSinceUs = nowUs;
    m_pausedReason = reason;
    // Only a pause inside a capture is worth a row.
    if (resuming && !m_rows.empty()) {
        Row row{};
        row.timeUs = nowUs;
        row.flags = Gap;
        row.gapUs = kNoGap;
        const qint64 lengthUs = std::max<qint64>(0, nowUs - m_pausedSinceUs);
        std::memcpy(row.data, &lengthUs, sizeof lengthUs);
        m_rows.push_back(row);
        ++m_gapRows;
        if (!m_flushTimer.isActive())
            m_flushTimer.start();
    }
    emit pausedChanged();
}

QString CanRxModel::pausedBannerText() const
{
    return isReceivingPaused() ? tr("接收已暂停：%1").arg(m_pausedReason) : QString();
}

CanFrame CanRxModel::frameAt(int storeIndex) const
{
    const Row &row = m_rows[size_t(storeIndex)];
    CanFrame frame;
    frame.timeUs = row.timeUs;
    frame.id = row.id;
    frame.direction = row.flags & Sent ? CanDirection::Sent : CanDirection::Received;
    frame.extended = row.flags & Extended;
    if (row.flags & Long) {
        const QByteArray bytes = bytesOf(row);
        frame.setData(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size());
    } else {
        frame.setData(row.data, row.length);
    }
    return frame;
}

void CanRxModel::flush()
{
    m_flushTimer.stop();
    const int stored = int(m_rows.size());
    if (!m_viewHeld && stored > m_shown && m_filter) {
        std::vector<int> passing;
        for (int r = m_shown; r < stored; ++r)
            if (accepted(m_rows[size_t(r)])) {
                passing.push_back(r);
                m_viewGaps += m_rows[size_t(r)].flags & Gap ? 1 : 0;
            }
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
    if (row.flags & Gap)
        --m_gapRows;
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
    m_viewGaps = 0;
    if (!m_filter)
        return;
    for (int r = 0; r < m_shown; ++r)
        if (accepted(m_rows[size_t(r)])) {
            m_view.push_back(r);
            m_viewGaps += m_rows[size_t(r)].flags & Gap ? 1 : 0;
        }
}

int CanRxModel::findData(const CanDataPattern &pattern, int from, bool forward) const
{
    const int rows = rowCount();
    const int step = forward ? 1 : -1;
    for (int r = std::clamp(from, -1, rows) + step; r >= 0 && r < rows; r += step) {
        const Row &row = rowAt(r);
        if (row.flags & Gap)
            continue;
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
