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

void appendId(QByteArray &out, int id, bool extended)
{
    if (id < 0)
        return;
    appendHex(out, quint32(id), extended || id > 0x7FF ? 8 : 3);
}
} // namespace

namespace {
struct FormatName
{
    const char *name;
    CanSaveFormat format;
};
constexpr FormatName kFormatNames[] = {
    {"log", CanSaveFormat::CandumpLog}, {"csv", CanSaveFormat::Csv},
    {"asc", CanSaveFormat::Asc},        {"trc", CanSaveFormat::Trc},
    {"blf", CanSaveFormat::Blf},        {"pycsv", CanSaveFormat::PythonCsv},
};
} // namespace

bool canSaveFormatFor(const QString &fileName, CanSaveFormat *format)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString extension = fileName.mid(dot + 1).toLower();
    // python-can's CSV has the same extension; its reading is told by its header.
    return extension != QLatin1String("pycsv") && canSaveFormatNamed(extension, format);
}

bool canSaveFormatNamed(const QString &name, CanSaveFormat *format)
{
    for (const FormatName &known : kFormatNames)
        if (name == QLatin1String(known.name)) {
            *format = known.format;
            return true;
        }
    return false;
}

QByteArray canSaveHeader(CanSaveFormat format)
{
    if (format == CanSaveFormat::PythonCsv)
        return QByteArrayLiteral("timestamp,arbitration_id,extended,remote,error,dlc,data\n");
    return format == CanSaveFormat::Csv ? QByteArrayLiteral("time,id,len,data,dir\n")
                                        : QByteArray();
}

void appendCanSaveLine(QByteArray &out, CanSaveFormat format, qint64 timeUs, int id,
                       const uint8_t *data, int length, CanDirection direction, bool extended)
{
    if (format == CanSaveFormat::PythonCsv) {
        // python-can keeps no direction, and needs an identifier.
        if (id < 0)
            return;
        // A float to python-can: -0.25 is "-0.250000", not the log's "-1.750000".
        if (timeUs < 0)
            out.append('-');
        appendTime(out, timeUs < 0 ? -timeUs : timeUs);
        out.append(",0x");
        out.append(QByteArray::number(id, 16));
        out.append(extended || id > 0x7FF ? ",1,0,0," : ",0,0,0,");
        appendDecimal(out, quint64(length), 1);
        out.append(',');
        out.append(QByteArray(reinterpret_cast<const char *>(data), length).toBase64());
        out.append('\n');
        return;
    }
    if (format == CanSaveFormat::CandumpLog) {
        if (id < 0)
            return;
        out.append('(');
        appendTime(out, timeUs);
        out.append(") can0 ");
        appendId(out, id, extended);
        out.append('#');
    } else {
        appendTime(out, timeUs);
        out.append(',');
        appendId(out, id, extended);
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
