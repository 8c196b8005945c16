#include "cansaveformat.h"

#include "canframe.h"

namespace {
void appendHex(QByteArray &out, quint32 value, int digits)
{
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out.append(hexDigitChar(value >> shift, true));
}

void appendDecimal(QByteArray &out, quint64 value, int minDigits)
{
    char buf[24];
    int n = 0;
    do {
        buf[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0 || n < minDigits);
    while (n > 0)
        out.append(buf[--n]);
}

// Seconds and microseconds, "1733580000.123456"; times before the epoch keep
// a positive fraction below the whole second before them.
void appendTime(QByteArray &out, qint64 timeUs)
{
    const auto [seconds, micros] = floorDivide(timeUs, 1000000);
    if (seconds < 0) {
        out.append('-');
        appendDecimal(out, quint64(-seconds), 1);
    } else {
        appendDecimal(out, quint64(seconds), 1);
    }
    out.append('.');
    appendDecimal(out, quint64(micros), 6);
}

void appendId(QByteArray &out, int id)
{
    if (id < 0)
        return;
    appendHex(out, quint32(id), id > 0x7FF ? 8 : 3);
}
} // namespace

bool canSaveFormatFor(const QString &fileName, CanSaveFormat *format)
{
    if (fileName.endsWith(QLatin1String(".log"), Qt::CaseInsensitive)) {
        *format = CanSaveFormat::CandumpLog;
        return true;
    }
    if (fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
        *format = CanSaveFormat::Csv;
        return true;
    }
    return false;
}

QByteArray canSaveHeader(CanSaveFormat format)
{
    return format == CanSaveFormat::Csv ? QByteArrayLiteral("time,id,len,data,dir\n")
                                        : QByteArray();
}

void appendCanSaveLine(QByteArray &out, CanSaveFormat format, qint64 timeUs, int id,
                       const uint8_t *data, int length, CanDirection direction)
{
    if (format == CanSaveFormat::CandumpLog) {
        if (id < 0)
            return;
        out.append('(');
        appendTime(out, timeUs);
        out.append(") can0 ");
        appendId(out, id);
        out.append('#');
    } else {
        appendTime(out, timeUs);
        out.append(',');
        appendId(out, id);
        out.append(',');
        appendDecimal(out, quint64(length), 1);
        out.append(',');
    }
    for (int i = 0; i < length; ++i)
        appendHex(out, data[i], 2);
    if (format == CanSaveFormat::Csv)
        out.append(direction == CanDirection::Sent ? ",Tx" : ",Rx");
    else if (direction == CanDirection::Sent)
        out.append(" T");
    out.append('\n');
}
