#include "tracelines.h"

#include "canframe.h"

#include <QByteArray>
#include <QDateTime>

#include <charconv>
#include <cmath>

namespace {
using Text = std::string_view;

// The longest time from a trace's start taken, some 3000 years.
constexpr qint64 kMaxTraceUs = 100000000000000000;

// Enough words for any frame line; words past these are never read.
constexpr int kMaxWords = 24;

// A classic frame's bytes; TRC's frame lines carry no more.
constexpr quint32 kClassicBytes = 8;

struct Words
{
    Text at[kMaxWords];
    int count = 0;
};

Words splitWords(Text line)
{
    Words words;
    size_t i = 0;
    while (words.count < kMaxWords) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size())
            break;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        words.at[words.count++] = line.substr(start, i - start);
    }
    return words;
}

bool sameWord(Text a, Text b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    return true;
}

bool startsWith(Text text, Text prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// A number in `base` (10 or 16) of at most eight digits.
bool parseNumber(Text text, int base, quint32 *value)
{
    if (text.empty() || text.size() > 8)
        return false;
    quint32 v = 0;
    for (char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0 || digit >= base)
            return false;
        v = v * quint32(base) + quint32(digit);
    }
    *value = v;
    return true;
}

// "12.345678" in units of 10^-`fractionDigits` of its unit, further digits
// cut off: seconds to microseconds with 6, milliseconds with 3.
bool parseDecimal(Text text, int fractionDigits, qint64 *value)
{
    const size_t dot = text.find('.');
    const Text whole = text.substr(0, dot);
    const Text fraction = dot == Text::npos ? Text() : text.substr(dot + 1);
    // Twelve digits of seconds are past any capture's time, and far from overflow.
    if (whole.empty() || whole.size() > 12 || fraction.size() > 12)
        return false;
    qint64 v = 0;
    for (char c : whole) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    for (int i = 0; i < fractionDigits; ++i) {
        const char c = size_t(i) < fraction.size() ? fraction[size_t(i)] : '0';
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    for (size_t i = size_t(fractionDigits); i < fraction.size(); ++i)
        if (fraction[i] < '0' || fraction[i] > '9')
            return false;
    *value = v;
    return true;
}

// The same with a '-' allowed before it: a frame written before the start.
bool parseSignedDecimal(Text text, int fractionDigits, qint64 *value)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (!parseDecimal(negative ? text.substr(1) : text, fractionDigits, value))
        return false;
    if (negative)
        *value = -*value;
    return true;
}

TraceLineResult problem(CaptureProblem why)
{
    return {TraceLine::Problem, why};
}

constexpr TraceLineResult kNoFrame{TraceLine::NoFrame, CaptureProblem::None};
constexpr TraceLineResult kFrame{TraceLine::Frame, CaptureProblem::None};

// An identifier within `limits`; an extended one as the caller tells or by
// ASC's mark ('x', taken off).
TraceLineResult takeId(Text text, int base, const CaptureLimits &limits, CanFrame *frame,
                       bool extended = false)
{
    if (!text.empty() && (text.back() == 'x' || text.back() == 'X')) {
        text.remove_suffix(1);
        extended = true;
    }
    quint32 id = 0;
    if (!parseNumber(text, base, &id))
        return problem(CaptureProblem::Unreadable);
    if (id > limits.maxId)
        return problem(CaptureProblem::IdTooHigh);
    if (extended && !limits.extended)
        return problem(CaptureProblem::ExtendedId);
    frame->id = quint16(id);
    frame->extended = extended && id <= 0x7FF;
    return kFrame;
}

// `count` data bytes from `words` starting at `first`.
TraceLineResult takeData(const Words &words, int first, quint32 count, int base,
                         const CaptureLimits &limits, CanFrame *frame)
{
    if (count > quint32(limits.maxBytes))
        return problem(CaptureProblem::TooManyBytes);
    if (first + int(count) > words.count)
        return problem(CaptureProblem::Unreadable);
    for (int i = 0; i < int(count); ++i) {
        quint32 byte = 0;
        if (!parseNumber(words.at[first + i], base, &byte) || byte > 0xFF)
            return problem(CaptureProblem::Unreadable);
        frame->data[i] = uint8_t(byte);
    }
    frame->length = uint8_t(count);
    return kFrame;
}

int monthNumber(Text name)
{
    static constexpr Text kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                       "jul", "aug", "sep", "oct", "nov", "dec"};
    for (int i = 0; i < 12; ++i)
        if (sameWord(name, kMonths[i]))
            return i + 1;
    // CANoe writes German month names in a German Windows.
    if (name == "M\xc3\xa4r")
        return 3;
    if (sameWord(name, "Mai"))
        return 5;
    if (sameWord(name, "Okt"))
        return 10;
    if (sameWord(name, "Dez"))
        return 12;
    return 0;
}

// "Tue Dec 08 01:23:45.678 pm 2026" (or 24-hour, without am/pm) from word
// `first` on, local time as CANoe writes it; false when it is no such date.
bool parseAscDate(const Words &words, int first, qint64 *timeUs)
{
    int i = first;
    if (i < words.count && monthNumber(words.at[i]) == 0)
        ++i; // the weekday
    if (i + 3 >= words.count)
        return false;
    const int month = monthNumber(words.at[i]);
    quint32 day = 0;
    const Text clock = words.at[i + 2];
    if (month == 0 || !parseNumber(words.at[i + 1], 10, &day) || clock.size() < 8 ||
        clock[2] != ':' || clock[5] != ':')
        return false;
    quint32 hour = 0, minute = 0;
    qint64 secondsUs = 0;
    if (!parseNumber(clock.substr(0, 2), 10, &hour) ||
        !parseNumber(clock.substr(3, 2), 10, &minute) ||
        !parseDecimal(clock.substr(6), 6, &secondsUs))
        return false;
    int next = i + 3;
    const Text half = words.at[next];
    if (sameWord(half, "am") || sameWord(half, "pm")) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (sameWord(half, "pm") ? 12 : 0);
        ++next;
    }
    quint32 year = 0;
    if (next >= words.count || !parseNumber(words.at[next], 10, &year) || year > 9999)
        return false;
    const QDate date(int(year), month, int(day));
    const QTime time(int(hour), int(minute), int(secondsUs / 1000000));
    if (!date.isValid() || !time.isValid())
        return false;
    const QDateTime when(date, time, Qt::LocalTime);
    *timeUs = when.toMSecsSinceEpoch() * 1000 + secondsUs % 1000000;
    return true;
}
} // namespace

TraceLineResult AscLines::read(Text line, const CaptureLimits &limits, CanFrame *frame)
{
    const Words words = splitWords(line);
    if (words.count == 0)
        return kNoFrame;
    const Text first = words.at[0];
    if (sameWord(first, "date")) {
        parseAscDate(words, 1, &m_startUs);
        return kNoFrame;
    }
    if (sameWord(first, "base")) {
        if (words.count < 2 || !(sameWord(words.at[1], "hex") || sameWord(words.at[1], "dec")))
            return problem(CaptureProblem::Unreadable);
        m_base = sameWord(words.at[1], "dec") ? 10 : 16;
        m_relative = words.count >= 4 && sameWord(words.at[3], "relative");
        return kNoFrame;
    }
    if (sameWord(first, "begin")) {
        // Times count from the trigger block's date; the file's date line may
        // be when the file was made (python-can writes it so).
        qint64 startUs = 0;
        if (words.count > 2 && parseAscDate(words, 2, &startUs))
            m_startUs = startUs;
        m_lastUs = 0;
        return kNoFrame;
    }
    if (startsWith(first, "//") || sameWord(first, "end") || sameWord(first, "internal") ||
        sameWord(first, "no"))
        return kNoFrame;
    qint64 us = 0;
    if (!parseSignedDecimal(first, 6, &us) || words.count < 2)
        return problem(CaptureProblem::Unreadable);
    if (m_relative)
        us += m_lastUs;
    // Past some 3000 years a time is damage, and sums of them would overflow.
    if (us > kMaxTraceUs || us < -kMaxTraceUs)
        return problem(CaptureProblem::Unreadable);
    m_lastUs = us;
    frame->timeUs = m_startUs + us;
    const Text channel = words.at[1];
    if (sameWord(channel, "CANFD"))
        return problem(CaptureProblem::FdFrame);
    quint32 number = 0;
    // Events of the measurement ("Start of measurement", statistics, system
    // variables) carry no frame.
    if (!parseNumber(channel, 10, &number) || words.count < 3)
        return kNoFrame;
    if (sameWord(words.at[2], "ErrorFrame"))
        return problem(CaptureProblem::ErrorFrame);
    if (words.count < 5)
        return kNoFrame;
    const Text direction = words.at[3];
    // Anything else there is a chip state, a statistic or a transmit request.
    if (direction != "Rx" && direction != "Tx")
        return kNoFrame;
    frame->direction = direction == "Tx" ? CanDirection::Sent : CanDirection::Received;
    const Text type = words.at[4];
    if (sameWord(type, "r"))
        return problem(CaptureProblem::RemoteFrame);
    quint32 dlc = 0;
    if (!sameWord(type, "d") || words.count < 6 || !parseNumber(words.at[5], m_base, &dlc) ||
        dlc > 15)
        return problem(CaptureProblem::Unreadable);
    const TraceLineResult id = takeId(words.at[2], m_base, limits, frame);
    if (id.kind != TraceLine::Frame)
        return id;
    // A classic frame's codes 9 to 15 all mean eight bytes.
    return takeData(words, 6, qMin<quint32>(dlc, 8), m_base, limits, frame);
}

namespace {
// ";$STARTTIME=45268.5632017361": days since 30 December 1899 and the
// fraction of the day, local time as PEAK writes it, to the millisecond.
bool parseTrcStart(Text text, qint64 *timeUs)
{
    const size_t dot = text.find('.');
    const Text whole = text.substr(0, dot);
    const Text fraction = dot == Text::npos ? Text() : text.substr(dot + 1, 15);
    quint32 days = 0;
    if (!parseNumber(whole, 10, &days) || days > 2958465)
        return false;
    long double part = 0;
    long double scale = 1;
    for (char c : fraction) {
        if (c < '0' || c > '9')
            return false;
        scale /= 10;
        part += (c - '0') * scale;
    }
    const qint64 ms = qint64(std::llround(part * 86400000.0L));
    const QDate date = QDate(1899, 12, 30).addDays(qint64(days) + ms / 86400000);
    const QDateTime when(date, QTime::fromMSecsSinceStartOfDay(int(ms % 86400000)), Qt::LocalTime);
    *timeUs = when.toMSecsSinceEpoch() * 1000;
    return true;
}
} // namespace

TraceLineResult TrcLines::read(Text line, const CaptureLimits &limits, CanFrame *frame)
{
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    if (line.empty())
        return kNoFrame;
    if (line.front() == ';') {
        if (startsWith(line, ";$FILEVERSION=")) {
            const Text version = line.substr(14);
            if (version.size() < 3 || version[1] != '.' || version[0] < '1' || version[0] > '2' ||
                version[2] < '0' || version[2] > '9')
                return problem(CaptureProblem::Unreadable);
            m_version = (version[0] - '0') * 10 + (version[2] - '0');
            const char *columns = m_version >= 21 ? "NOTBIdRLD" : "NOTIdLD";
            m_columnCount = 0;
            for (const char *c = columns; *c; ++c)
                m_columns[m_columnCount++] = *c;
        } else if (startsWith(line, ";$STARTTIME=")) {
            if (!parseTrcStart(line.substr(12), &m_startUs))
                return problem(CaptureProblem::Unreadable);
        } else if (startsWith(line, ";$COLUMNS=")) {
            m_columnCount = 0;
            for (char c : line.substr(10))
                if (c != ',' && c != ' ' && m_columnCount < int(sizeof m_columns))
                    m_columns[m_columnCount++] = c;
        }
        return kNoFrame;
    }
    return m_version < 20 ? readVersion1(line, limits, frame) : readVersion2(line, limits, frame);
}

// "     1)      1841.0  Rx         0001  8  00 00 00 00 00 00 00 00": 1.0
// has no type, 1.2 a bus before it, 1.3 a reserved column after the identifier.
TraceLineResult TrcLines::readVersion1(Text line, const CaptureLimits &limits, CanFrame *frame)
{
    const Words words = splitWords(line);
    if (words.count < 4 || words.at[0].back() != ')')
        return problem(CaptureProblem::Unreadable);
    qint64 us = 0;
    if (!parseSignedDecimal(words.at[1], 3, &us))
        return problem(CaptureProblem::Unreadable);
    frame->timeUs = m_startUs + us;
    int next = 2;
    if (m_version >= 12)
        ++next; // the bus
    frame->direction = CanDirection::Received;
    if (m_version >= 11) {
        const Text type = words.at[next++];
        if (sameWord(type, "Error"))
            return problem(CaptureProblem::ErrorFrame);
        // Warnings and bus states hold no frame.
        if (type != "Rx" && type != "Tx")
            return kNoFrame;
        frame->direction = type == "Tx" ? CanDirection::Sent : CanDirection::Received;
    }
    if (next >= words.count)
        return problem(CaptureProblem::Unreadable);
    const Text id = words.at[next++];
    if (m_version == 10 && id == "FFFFFFFF")
        return kNoFrame; // a bus state line
    if (m_version >= 13)
        ++next;
    quint32 length = 0;
    // Version 1 lines are classic frames: more than eight bytes is damage.
    if (next >= words.count || !parseNumber(words.at[next], 10, &length) || length > kClassicBytes)
        return problem(CaptureProblem::Unreadable);
    if (next + 1 < words.count && words.at[next + 1] == "RTR")
        return problem(CaptureProblem::RemoteFrame);
    // A standard identifier has four digits; more mark an extended one.
    const TraceLineResult read = takeId(id, 16, limits, frame, id.size() > 4);
    if (read.kind != TraceLine::Frame)
        return read;
    return takeData(words, next + 1, length, 16, limits, frame);
}

// "      1         0.000 DT  1     07DF Rx -  3    02 01 0C", its columns as
// the header's ";$COLUMNS=" line lists them.
TraceLineResult TrcLines::readVersion2(Text line, const CaptureLimits &limits, CanFrame *frame)
{
    const Words words = splitWords(line);
    int type = -1, offset = -1, id = -1, direction = -1, length = -1, dataLength = -1, data = -1;
    for (int i = 0; i < m_columnCount; ++i) {
        switch (m_columns[i]) {
        case 'T':
            type = i;
            break;
        case 'O':
            offset = i;
            break;
        case 'I':
            id = i;
            break;
        case 'd':
            direction = i;
            break;
        case 'L':
            length = i;
            break;
        case 'l':
            dataLength = i;
            break;
        case 'D':
            data = i;
            break;
        default:
            break;
        }
    }
    if (dataLength >= 0)
        length = dataLength;
    if (type < 0 || offset < 0 || id < 0 || length < 0 || data < 0 || type >= words.count ||
        offset >= words.count)
        return problem(CaptureProblem::Unreadable);
    qint64 us = 0;
    if (!parseSignedDecimal(words.at[offset], 3, &us))
        return problem(CaptureProblem::Unreadable);
    frame->timeUs = m_startUs + us;
    const Text kind = words.at[type];
    if (kind == "RR")
        return problem(CaptureProblem::RemoteFrame);
    if (kind == "ER")
        return problem(CaptureProblem::ErrorFrame);
    if (kind == "FD" || kind == "FB" || kind == "FE" || kind == "BI")
        return problem(CaptureProblem::FdFrame);
    // Status, error counter and event lines hold no frame.
    if (kind != "DT")
        return kNoFrame;
    quint32 count = 0;
    // A "DT" line is a classic frame: more than eight bytes is damage.
    if (id >= words.count || length >= words.count || !parseNumber(words.at[length], 10, &count) ||
        count > kClassicBytes ||
        (direction >= 0 && (direction >= words.count ||
                            (words.at[direction] != "Rx" && words.at[direction] != "Tx"))))
        return problem(CaptureProblem::Unreadable);
    frame->direction =
        direction >= 0 && words.at[direction] == "Tx" ? CanDirection::Sent : CanDirection::Received;
    const TraceLineResult read = takeId(words.at[id], 16, limits, frame, words.at[id].size() > 4);
    if (read.kind != TraceLine::Frame)
        return read;
    return takeData(words, data, count, 16, limits, frame);
}

TraceLineResult readPythonCsvLine(Text line, const CaptureLimits &limits, CanFrame *frame)
{
    Text fields[7];
    size_t start = 0;
    for (int i = 0; i < 7; ++i) {
        const size_t end = line.find(',', start);
        if ((end == Text::npos) != (i == 6))
            return problem(CaptureProblem::Unreadable);
        fields[i] = line.substr(start, end == Text::npos ? Text::npos : end - start);
        start = end + 1;
    }
    // Python's repr of a float: "1733580000.123456", "1e-05".
    double seconds = 0;
    const Text time = fields[0];
    const auto parsed = std::from_chars(time.data(), time.data() + time.size(), seconds);
    if (parsed.ec != std::errc() || parsed.ptr != time.data() + time.size() ||
        !(std::fabs(seconds) < 1e12))
        return problem(CaptureProblem::Unreadable);
    frame->timeUs = qint64(std::llround(seconds * 1e6));
    frame->direction = CanDirection::Received;
    if (fields[4] == "1")
        return problem(CaptureProblem::ErrorFrame);
    if (fields[3] == "1")
        return problem(CaptureProblem::RemoteFrame);
    Text id = fields[1];
    if (startsWith(id, "0x") || startsWith(id, "0X"))
        id.remove_prefix(2);
    quint32 dlc = 0;
    if ((fields[2] != "0" && fields[2] != "1") || (fields[3] != "0") || (fields[4] != "0") ||
        !parseNumber(fields[5], 10, &dlc) || fields[6].size() > 4 * 64)
        return problem(CaptureProblem::Unreadable);
    const TraceLineResult read = takeId(id, 16, limits, frame, fields[2] == "1");
    if (read.kind != TraceLine::Frame)
        return read;
    const auto decoded =
        QByteArray::fromBase64Encoding(QByteArray(fields[6].data(), int(fields[6].size())),
                                       QByteArray::AbortOnBase64DecodingErrors);
    if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok ||
        quint32(decoded.decoded.size()) != dlc)
        return problem(CaptureProblem::Unreadable);
    if (decoded.decoded.size() > limits.maxBytes)
        return problem(CaptureProblem::TooManyBytes);
    frame->setData(reinterpret_cast<const uint8_t *>(decoded.decoded.constData()),
                   decoded.decoded.size());
    return kFrame;
}
