#include "capturewriter.h"

#include "blfreader.h"
#include "canframe.h"

#include <QDateTime>
#include <QFileDevice>
#include <QtEndian>

#include <zlib.h>

namespace {
// BLF's objects are packed into containers of about this many bytes.
constexpr int kContainerBytes = 128 * 1024;
// Buffered frames are written when this many bytes are waiting.
constexpr int kWriteBlockBytes = 1 << 20;

void appendHex(QByteArray &out, quint32 value, int digits)
{
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out.append(hexDigitChar(value >> shift, true));
}

// `value` right-aligned in `width` characters.
void appendPadded(QByteArray &out, const QByteArray &value, int width)
{
    if (value.size() < width)
        out.append(width - value.size(), ' ');
    out.append(value);
}

// `us` as "-1.234567" with `decimals` of its `unitUs` (seconds: 1000000, 6).
QByteArray fixedText(qint64 us, qint64 unitUs, int decimals)
{
    const auto [whole, rest] = floorDivide(us < 0 ? -us : us, unitUs);
    QByteArray text = us < 0 ? QByteArrayLiteral("-") : QByteArray();
    text += QByteArray::number(whole);
    text += '.';
    const QByteArray fraction = QByteArray::number(rest);
    text += QByteArray(decimals - fraction.size(), '0') + fraction;
    return text;
}

const char *const kWeekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// "Tue Dec 08 01:23:45.678 pm 2026", local time, English names as CANoe writes.
QByteArray ascDate(qint64 timeUs)
{
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(floorDivide(timeUs, 1000).first);
    const QDate date = when.date();
    const QTime time = when.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QByteArray(kWeekdays[date.dayOfWeek() - 1]) + ' ' + kMonths[date.month() - 1] + ' ' +
           QByteArray::number(date.day()).rightJustified(2, '0') + ' ' +
           QByteArray::number(hour12).rightJustified(2, '0') + ':' +
           QByteArray::number(time.minute()).rightJustified(2, '0') + ':' +
           QByteArray::number(time.second()).rightJustified(2, '0') + '.' +
           QByteArray::number(time.msec()).rightJustified(3, '0') +
           (time.hour() < 12 ? " am " : " pm ") + QByteArray::number(date.year());
}

// Days since 30 December 1899 with their fraction, local time: PEAK's start.
QByteArray trcStart(qint64 timeUs)
{
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(floorDivide(timeUs, 1000).first);
    const qint64 days = QDate(1899, 12, 30).daysTo(when.date());
    const qint64 ms = when.time().msecsSinceStartOfDay();
    // Ten digits are finer than a millisecond, which is what is read back.
    const QByteArray fraction = QByteArray::number(ms * 10000000000LL / 86400000);
    return QByteArray::number(days) + '.' + QByteArray(10 - fraction.size(), '0') + fraction;
}

void putU16(char *p, quint16 v)
{
    qToLittleEndian(v, p);
}
void putU32(char *p, quint32 v)
{
    qToLittleEndian(v, p);
}
void putU64(char *p, quint64 v)
{
    qToLittleEndian(v, p);
}

// A SYSTEMTIME of `timeUs`, local time.
void putSystemTime(char *p, qint64 timeUs)
{
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(floorDivide(timeUs, 1000).first);
    const QDate date = when.date();
    const QTime time = when.time();
    const int fields[8] = {date.year(), date.month(),  date.dayOfWeek() % 7, date.day(),
                           time.hour(), time.minute(), time.second(),        time.msec()};
    for (int i = 0; i < 8; ++i)
        putU16(p + 2 * i, quint16(fields[i]));
}

QByteArray blfHeader(qint64 startUs, qint64 stopUs, qint64 fileSize, qint64 unpackedSize,
                     qint64 objects)
{
    char p[blf::kFileHeaderBytes] = {};
    std::memcpy(p, "LOGG", 4);
    putU32(p + 4, blf::kFileHeaderBytes);
    // The binary log version python-can writes, which Vector's readers take.
    p[12] = 2;
    p[13] = 6;
    p[14] = 8;
    p[15] = 1;
    putU64(p + 16, quint64(fileSize));
    putU64(p + 24, quint64(unpackedSize));
    putU32(p + 32, quint32(objects));
    putSystemTime(p + 40, startUs);
    putSystemTime(p + 56, stopUs);
    return QByteArray(p, int(sizeof p));
}
} // namespace

CaptureEncoder::CaptureEncoder(CanSaveFormat format) : m_format(format)
{
}

void CaptureEncoder::begin(QByteArray &out, qint64 startUs)
{
    m_begun = true;
    // A whole millisecond: the date lines and BLF's start hold no finer time.
    m_startUs = floorDivide(startUs, 1000).first * 1000;
    switch (m_format) {
    case CanSaveFormat::CandumpLog:
    case CanSaveFormat::Csv:
    case CanSaveFormat::PythonCsv:
        out.append(canSaveHeader(m_format));
        break;
    case CanSaveFormat::Asc: {
        const QByteArray date = ascDate(m_startUs);
        out.append("date " + date +
                   "\nbase hex  timestamps absolute\ninternal events logged\n"
                   "// version 9.0.0\nBegin Triggerblock " +
                   date + "\n   0.000000 Start of measurement\n");
        break;
    }
    case CanSaveFormat::Trc:
        out.append(";$FILEVERSION=2.1\r\n;$STARTTIME=" + trcStart(m_startUs) +
                   "\r\n;$COLUMNS=N,O,T,B,I,d,R,L,D\r\n;\r\n"
                   ";   Message   Time    Type    ID     Rx/Tx\r\n"
                   ";   Number    Offset  |  Bus  [hex]  |  Reserved\r\n"
                   ";   |         [ms]    |  |    |      |  |  Data Length Code\r\n"
                   ";   |         |       |  |    |      |  |  |    Data [hex] ...\r\n"
                   ";   |         |       |  |    |      |  |  |    |\r\n"
                   ";---+-- ------+------ +- +- --+----- +- +- +--- +- -- -- -- -- -- -- --\r\n");
        break;
    case CanSaveFormat::Blf:
        out.append(blfHeader(m_startUs, m_startUs, 0, 0, 0));
        m_unpackedBytes = blf::kFileHeaderBytes;
        break;
    }
}

bool CaptureEncoder::add(QByteArray &out, const CanFrame &frame)
{
    const bool lineFormat = m_format == CanSaveFormat::CandumpLog ||
                            m_format == CanSaveFormat::Csv || m_format == CanSaveFormat::PythonCsv;
    if (!lineFormat && frame.length > 8)
        return false;
    if (!m_begun)
        begin(out, frame.timeUs);
    ++m_count;
    m_lastUs = frame.timeUs;
    const qint64 us = frame.timeUs - m_startUs;
    const bool sent = frame.direction == CanDirection::Sent;
    switch (m_format) {
    case CanSaveFormat::CandumpLog:
    case CanSaveFormat::Csv:
    case CanSaveFormat::PythonCsv:
        appendCanSaveLine(out, m_format, frame);
        break;
    case CanSaveFormat::Asc: {
        // "   0.012345 1  7DF             Rx   d 3 02 01 0C"
        appendPadded(out, fixedText(us, 1000000, 6), 11);
        out.append(" 1  ");
        QByteArray id = QByteArray::number(frame.id, 16).toUpper();
        if (frame.isExtended())
            id += 'x';
        out.append(id.leftJustified(15, ' '));
        out.append(sent ? " Tx   d " : " Rx   d ");
        out.append(hexDigitChar(frame.length, false));
        for (int i = 0; i < frame.length; ++i) {
            out.append(' ');
            appendHex(out, frame.data[i], 2);
        }
        out.append('\n');
        break;
    }
    case CanSaveFormat::Trc: {
        // "      1         0.000 DT  1     07DF Rx -  3    02 01 0C"
        appendPadded(out, QByteArray::number(m_count), 7);
        out.append(' ');
        appendPadded(out, fixedText(us, 1000, 3), 13);
        out.append(" DT  1 ");
        QByteArray id;
        appendHex(id, frame.id, frame.isExtended() ? 8 : 4);
        appendPadded(out, id, 8);
        out.append(sent ? " Tx -  " : " Rx -  ");
        out.append(char('0' + frame.length));
        out.append("   ");
        for (int i = 0; i < frame.length; ++i) {
            out.append(' ');
            appendHex(out, frame.data[i], 2);
        }
        out.append("\r\n");
        break;
    }
    case CanSaveFormat::Blf: {
        char object[blf::kMessageHeaderBytes + blf::kMessageBodyBytes] = {};
        std::memcpy(object, "LOBJ", 4);
        putU16(object + 4, blf::kMessageHeaderBytes);
        putU16(object + 6, 1);
        putU32(object + 8, sizeof object);
        putU32(object + 12, blf::kCanMessage);
        putU32(object + 16, blf::kTimeNanos);
        // Times are kept from the start; an earlier frame's cannot be.
        putU64(object + 24, quint64(us < 0 ? 0 : us) * 1000);
        char *body = object + blf::kMessageHeaderBytes;
        putU16(body, 1);
        body[2] = char(sent ? blf::kDirectionSent : 0);
        body[3] = char(frame.length);
        putU32(body + 4, frame.id | (frame.isExtended() ? blf::kExtendedId : 0));
        std::memcpy(body + 8, frame.data, frame.length);
        m_objects.append(object, int(sizeof object));
        if (m_objects.size() >= kContainerBytes)
            flush(out);
        break;
    }
    }
    return true;
}

void CaptureEncoder::flush(QByteArray &out)
{
    if (m_format != CanSaveFormat::Blf || m_objects.isEmpty())
        return;
    uLongf packedSize = compressBound(uLong(m_objects.size()));
    QByteArray packed(int(packedSize), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef *>(packed.data()), &packedSize,
              reinterpret_cast<const Bytef *>(m_objects.constData()), uLong(m_objects.size()),
              Z_DEFAULT_COMPRESSION);
    const quint32 size = blf::kObjectHeaderBytes + blf::kContainerHeaderBytes + quint32(packedSize);
    char head[blf::kObjectHeaderBytes + blf::kContainerHeaderBytes] = {};
    std::memcpy(head, "LOBJ", 4);
    putU16(head + 4, blf::kObjectHeaderBytes);
    putU16(head + 6, 1);
    putU32(head + 8, size);
    putU32(head + 12, blf::kLogContainer);
    putU16(head + 16, blf::kZlib);
    putU32(head + 24, quint32(m_objects.size()));
    out.append(head, int(sizeof head));
    out.append(packed.constData(), int(packedSize));
    // Padded by the size modulo four, as Vector's and python-can's readers skip.
    out.append(int(size % 4), '\0');
    m_unpackedBytes += sizeof head + m_objects.size();
    m_objects.clear();
}

void CaptureEncoder::finish(QByteArray &out)
{
    if (!m_begun)
        begin(out, 0);
    flush(out);
    if (m_format == CanSaveFormat::Asc)
        out.append("End TriggerBlock\n");
}

QByteArray CaptureEncoder::finalHeader(qint64 fileSize) const
{
    if (m_format != CanSaveFormat::Blf)
        return QByteArray();
    return blfHeader(m_startUs, m_count > 0 ? m_lastUs : m_startUs, fileSize, m_unpackedBytes,
                     m_count);
}

CaptureWriter::CaptureWriter(QIODevice &out, CanSaveFormat format) : m_out(out), m_encoder(format)
{
}

bool CaptureWriter::writeBuffer()
{
    qint64 done = 0;
    // A short write is no error of its own (a disk filling up takes part of
    // a block); asking again for the rest makes the device record the cause.
    while (!m_failed && done < m_buffer.size()) {
        const qint64 n = m_out.write(m_buffer.constData() + done, m_buffer.size() - done);
        if (n <= 0)
            m_failed = true;
        else
            done += n;
    }
    m_written += done;
    m_buffer.resize(0);
    return !m_failed;
}

bool CaptureWriter::write(const CanFrame &frame)
{
    return write(&frame, 1);
}

bool CaptureWriter::write(const CanFrame *frames, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!m_encoder.add(m_buffer, frames[i]))
            ++m_leftOut;
        if (m_buffer.size() >= kWriteBlockBytes && !writeBuffer())
            return false;
    }
    return !m_failed;
}

bool CaptureWriter::flush()
{
    m_encoder.flush(m_buffer);
    if (!writeBuffer())
        return false;
    if (auto *file = qobject_cast<QFileDevice *>(&m_out))
        m_failed = !file->flush();
    return !m_failed;
}

bool CaptureWriter::close()
{
    m_encoder.finish(m_buffer);
    if (!writeBuffer())
        return false;
    const QByteArray header = m_encoder.finalHeader(m_written);
    if (!header.isEmpty() && !m_out.isSequential()) {
        const qint64 end = m_out.pos();
        m_failed = !m_out.seek(0) || m_out.write(header) != header.size() || !m_out.seek(end);
    }
    if (auto *file = qobject_cast<QFileDevice *>(&m_out); file && !m_failed)
        m_failed = !file->flush();
    return !m_failed;
}

QString CaptureWriter::errorString() const
{
    return m_out.errorString();
}
