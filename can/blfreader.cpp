#include "blfreader.h"

#include <QDateTime>
#include <QIODevice>
#include <QtEndian>

#include <zlib.h>

#include <cstring>

namespace {
quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}
quint64 u64(const char *p)
{
    return qFromLittleEndian<quint64>(p);
}

// A SYSTEMTIME (year, month, weekday, day, hour, minute, second, ms), local
// time as Windows writes it; 0 when it is none.
qint64 systemTimeUs(const char *p)
{
    const QDate date(u16(p), u16(p + 2), u16(p + 6));
    const QTime time(u16(p + 8), u16(p + 10), u16(p + 12), u16(p + 14));
    if (!date.isValid() || !time.isValid())
        return 0;
    return QDateTime(date, time, Qt::LocalTime).toMSecsSinceEpoch() * 1000;
}

// Where "LOBJ" starts within the next eight bytes from `pos` (objects are
// padded, not all writers alike); -1 if not there.
qint64 findObject(const char *data, qint64 size, qint64 pos)
{
    for (qint64 i = pos; i < pos + 8 && i + 4 <= size; ++i)
        if (data[i] == 'L' && data[i + 1] == 'O' && data[i + 2] == 'B' && data[i + 3] == 'J')
            return i;
    return -1;
}

class BlfObjects
{
public:
    BlfObjects(const CaptureLimits &limits, bool stopAtProblem,
               const std::function<void(const CanFrame &)> &take)
        : m_limits(limits), m_stop(stopAtProblem), m_take(take)
    {
    }

    // Records a problem at `offset`; false when the reading ends there.
    bool problem(CaptureProblem why, qint64 offset)
    {
        if (capture.problem == CaptureProblem::None) {
            capture.problem = why;
            capture.line = offset;
            capture.atByte = true;
        }
        if (m_stop)
            return false;
        ++capture.skipped;
        return true;
    }

    // One whole object of `size` bytes; false when the reading ends.
    bool object(const char *p, qint64 size, qint64 offset)
    {
        const quint32 type = u32(p + 12);
        if (type == blf::kCanError || type == blf::kCanErrorExt)
            return problem(CaptureProblem::ErrorFrame, offset);
        if (type == blf::kCanFdMessage || type == blf::kCanFdMessage64)
            return problem(CaptureProblem::FdFrame, offset);
        if (type != blf::kCanMessage && type != blf::kCanMessage2)
            return true;
        const quint16 headerSize = u16(p + 4);
        const quint16 headerVersion = u16(p + 6);
        // Both header versions have the flags and the time at the same place.
        if ((headerVersion != 1 && headerVersion != 2) || headerSize < blf::kMessageHeaderBytes ||
            headerSize + blf::kMessageBodyBytes > size)
            return problem(CaptureProblem::Unreadable, offset);
        const quint32 timeFlags = u32(p + 16);
        const quint64 stamp = u64(p + 24);
        const quint64 us = timeFlags == blf::kTimeTenMicros ? stamp : stamp / 1000;
        // Past some 3000 years a time is damage, and would overflow.
        if (us > quint64(1) << 56)
            return problem(CaptureProblem::Unreadable, offset);
        const char *body = p + headerSize;
        const quint8 flags = quint8(body[2]);
        const quint8 dlc = quint8(body[3]);
        const quint32 id = u32(body + 4) & 0x1FFFFFFF;
        if (flags & blf::kRemote)
            return problem(CaptureProblem::RemoteFrame, offset);
        if (id > m_limits.maxId)
            return problem(CaptureProblem::IdTooHigh, offset);
        const bool extended = u32(body + 4) & blf::kExtendedId;
        if (extended && !m_limits.extended)
            return problem(CaptureProblem::ExtendedId, offset);
        m_frame.timeUs = startUs + qint64(timeFlags == blf::kTimeTenMicros ? us * 10 : us);
        m_frame.id = quint16(id);
        m_frame.extended = extended && id <= 0x7FF;
        m_frame.direction =
            flags & blf::kDirectionSent ? CanDirection::Sent : CanDirection::Received;
        // A classic frame's codes 9 to 15 all mean eight bytes.
        m_frame.setData(reinterpret_cast<const uint8_t *>(body + 8), dlc > 8 ? 8 : dlc);
        ++capture.frameCount;
        m_take(m_frame);
        return true;
    }

    // The unpacked objects of a container at `offset`; an object cut at its
    // end is kept for the next one. False when the reading ends.
    bool feed(const char *data, qint64 size, qint64 offset)
    {
        m_tail.append(data, int(size));
        const char *p = m_tail.constData();
        const qint64 end = m_tail.size();
        qint64 pos = 0;
        bool more = true;
        while (more && end - pos >= blf::kObjectHeaderBytes) {
            const qint64 at = findObject(p, end, pos);
            if (at < 0) {
                // Lost: what follows in this container cannot be found.
                m_tail.clear();
                return problem(CaptureProblem::Unreadable, offset);
            }
            if (end - at < blf::kObjectHeaderBytes) {
                pos = at;
                break;
            }
            const qint64 objectSize = u32(p + at + 8);
            if (objectSize < blf::kObjectHeaderBytes || objectSize > blf::kMaxObjectBytes) {
                m_tail.clear();
                return problem(CaptureProblem::Unreadable, offset);
            }
            pos = at;
            if (at + objectSize > end)
                break;
            more = object(p + at, objectSize, offset);
            pos = at + objectSize;
        }
        m_tail.remove(0, int(pos));
        return more;
    }

    CaptureFile capture;
    qint64 startUs = 0;

private:
    const CaptureLimits &m_limits;
    const bool m_stop;
    const std::function<void(const CanFrame &)> &m_take;
    QByteArray m_tail;
    CanFrame m_frame;
};

// Reads exactly `size` bytes; false at the end of the file or an error.
bool readExactly(QIODevice &device, char *to, qint64 size, bool *failed)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = device.read(to + done, size - done);
        if (n < 0)
            *failed = true;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}
} // namespace

CaptureFile readBlfCapture(QIODevice &device, const CaptureLimits &limits, bool stopAtProblem,
                           const std::function<void(const CanFrame &)> &take)
{
    BlfObjects objects(limits, stopAtProblem, take);
    CaptureFile &capture = objects.capture;
    bool failed = false;
    char header[blf::kFileHeaderBytes];
    if (!readExactly(device, header, 8, &failed) || std::memcmp(header, "LOGG", 4) != 0) {
        capture.readFailed = failed;
        if (!failed)
            objects.problem(CaptureProblem::Unreadable, 0);
        return capture;
    }
    const qint64 headerSize = u32(header + 4);
    if (headerSize < 72 || headerSize > blf::kFileHeaderBytes * 64 ||
        !readExactly(device, header + 8, 64, &failed)) {
        capture.readFailed = failed;
        if (!failed)
            objects.problem(CaptureProblem::Unreadable, 0);
        return capture;
    }
    objects.startUs = systemTimeUs(header + 40);
    QByteArray object;
    QByteArray unpacked;
    qint64 offset = 72;
    // The rest of the header.
    for (char skip[64]; offset < headerSize; offset += qMin<qint64>(64, headerSize - offset))
        if (!readExactly(device, skip, qMin<qint64>(64, headerSize - offset), &failed)) {
            capture.readFailed = failed;
            return capture;
        }
    char base[blf::kObjectHeaderBytes + 8];
    for (;;) {
        // Padding after the last object: up to eight bytes are searched.
        if (!readExactly(device, base, blf::kObjectHeaderBytes, &failed))
            break;
        qint64 at = findObject(base, blf::kObjectHeaderBytes, 0);
        if (at > 0 && !readExactly(device, base + blf::kObjectHeaderBytes, at, &failed))
            at = -1;
        if (at < 0) {
            if (!failed)
                objects.problem(CaptureProblem::Unreadable, offset);
            break;
        }
        offset += at;
        const char *head = base + at;
        const qint64 size = u32(head + 8);
        if (size < blf::kObjectHeaderBytes || size > blf::kMaxObjectBytes) {
            objects.problem(CaptureProblem::Unreadable, offset);
            break;
        }
        object.resize(int(size));
        std::memcpy(object.data(), head, blf::kObjectHeaderBytes);
        if (!readExactly(device, object.data() + blf::kObjectHeaderBytes,
                         size - blf::kObjectHeaderBytes, &failed)) {
            if (!failed)
                objects.problem(CaptureProblem::Unreadable, offset); // cut short
            break;
        }
        bool more = true;
        if (u32(head + 12) == blf::kLogContainer) {
            const char *container = object.constData() + blf::kObjectHeaderBytes;
            const qint64 packed = size - blf::kObjectHeaderBytes - blf::kContainerHeaderBytes;
            const quint16 method = packed >= 0 ? u16(container) : quint16(0xFFFF);
            const qint64 unpackedSize = packed >= 0 ? u32(container + 8) : 0;
            const char *data = container + blf::kContainerHeaderBytes;
            if (method == blf::kStored && packed >= 0) {
                more = objects.feed(data, packed, offset);
            } else if (method == blf::kZlib && unpackedSize <= blf::kMaxObjectBytes) {
                unpacked.resize(int(unpackedSize));
                uLongf length = uLongf(unpackedSize);
                const int status = uncompress(reinterpret_cast<Bytef *>(unpacked.data()), &length,
                                              reinterpret_cast<const Bytef *>(data), uLong(packed));
                if (status == Z_OK && qint64(length) == unpackedSize)
                    more = objects.feed(unpacked.constData(), unpackedSize, offset);
                else
                    more = objects.problem(CaptureProblem::Unreadable, offset);
            } else {
                more = objects.problem(CaptureProblem::Unreadable, offset);
            }
        } else {
            more = objects.object(object.constData(), size, offset);
        }
        if (!more)
            break;
        // The padding after an object (writers differ in it) is found by the
        // search above.
        offset += size;
    }
    capture.readFailed = failed;
    return capture;
}
