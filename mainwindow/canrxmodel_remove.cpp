// Rows leaving the store: the row limit (also while the view is frozen),
// deleted rows and spans, and emptying it.
#include "canrxmodel.h"

#include <algorithm>

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
    for (int v = 0; m_filter && v < gone; ++v)
        m_viewGaps -= m_rows[size_t(m_view[size_t(v)])].flags & Gap ? 1 : 0;
    int gaps = 0;
    for (int i = 0; i < excess; ++i) {
        gaps += m_rows[size_t(i)].flags & Gap ? 1 : 0;
        forget(m_rows[size_t(i)]);
    }
    m_rows.erase(m_rows.begin(), m_rows.begin() + excess);
    m_shown -= excess;
    // A gap row is no frame: it is not counted as one that gave way.
    m_dropped += quint64(excess - gaps);
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
    int gaps = 0;
    for (auto it = first; it != first + gone; ++it) {
        gaps += it->flags & Gap ? 1 : 0;
        forget(*it);
    }
    m_rows.erase(first, first + gone);
    m_dropped += quint64(gone - gaps);
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
    m_gapRows = 0;
    std::vector<qint64>().swap(m_lastOfId);
    std::vector<int>().swap(m_view);
    m_viewGaps = 0;
    m_shown = 0;
    m_received = 0;
    m_dropped = 0;
    m_flushTimer.stop();
    endResetModel();
    emit flushed();
}
