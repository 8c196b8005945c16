// Saving the stored frames: the part of the model that writes files.
#include "canrxmodel.h"

#include <QIODevice>

#include <algorithm>

namespace {
constexpr int kWriteChunk = 1 << 20;
constexpr int kRowsBetweenAsks = 16384;

// A short write is no error of its own (a disk filling up takes part of a
// chunk); asking again for the rest makes the device record the cause.
bool writeAll(QIODevice &out, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}
} // namespace

CanRxModel::WriteResult CanRxModel::write(QIODevice &out, CanSaveFormat format, int rows,
                                          const std::function<bool(int)> &keepGoing) const
{
    rows = std::min(rows, int(m_rows.size()));
    QByteArray buffer = canSaveHeader(format);
    buffer.reserve(kWriteChunk + 4096);
    // By index: frames that arrive while `keepGoing` runs the event loop are
    // appended, which leaves indexes valid but not iterators.
    for (int r = 0; r < rows; ++r) {
        appendCanSaveLine(buffer, format, frameAt(r));
        if (buffer.size() >= kWriteChunk) {
            if (!writeAll(out, buffer))
                return WriteResult::Failed;
            buffer.resize(0); // keeps the reserved capacity
        }
        if ((r + 1) % kRowsBetweenAsks == 0 && !keepGoing(r + 1))
            return WriteResult::Cancelled;
    }
    if (!buffer.isEmpty() && !writeAll(out, buffer))
        return WriteResult::Failed;
    return WriteResult::Written;
}
