// Saving the stored frames: the part of the model that writes files.
#include "canrxmodel.h"

#include "capturewriter.h"

#include <QIODevice>

#include <algorithm>

namespace {
constexpr int kRowsBetweenAsks = 16384;
} // namespace

CanRxModel::WriteResult CanRxModel::write(QIODevice &out, CanSaveFormat format, int rows,
                                          const std::function<bool(int)> &keepGoing,
                                          bool filtered) const
{
    rows = std::min(rows, int(m_rows.size()));
    CaptureWriter writer(out, format);
    // By index: frames that arrive while `keepGoing` runs the event loop are
    // appended, which leaves indexes valid but not iterators.
    filtered = filtered && m_filter;
    for (int r = 0; r < rows; ++r) {
        if (filtered && !accepted(m_rows[size_t(r)])) {
            if ((r + 1) % kRowsBetweenAsks == 0 && !keepGoing(r + 1))
                return WriteResult::Cancelled;
            continue;
        }
        if (!isGapAt(r) && !writer.write(frameAt(r)))
            return WriteResult::Failed;
        if ((r + 1) % kRowsBetweenAsks == 0 && !keepGoing(r + 1))
            return WriteResult::Cancelled;
    }
    return writer.close() ? WriteResult::Written : WriteResult::Failed;
}
