#include "capturefile.h"

#include "canframe.h"
#include "cantext.h"

namespace {
bool isDigits(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// "1733580000.123456" (a leading '-' before the epoch, as saved), to microseconds.
bool parseTime(const QByteArray &text, qint64 *timeUs)
{
    const bool negative = text.startsWith('-');
    const QByteArray magnitude = negative ? text.mid(1) : text;
    const int dot = magnitude.indexOf('.');
    if (dot < 0)
        return false;
    const QByteArray seconds = magnitude.left(dot);
    const QByteArray fraction = magnitude.mid(dot + 1);
    // Beyond 12 digits of seconds a time is no capture's (and would overflow).
    if (!isDigits(seconds) || seconds.size() > 12 || !isDigits(fraction) || fraction.size() > 6)
        return false;
    const qint64 micros = fraction.leftJustified(6, '0').toLongLong();
    const qint64 whole = seconds.toLongLong();
    // Saved times before the epoch keep a positive fraction (floor division).
    *timeUs = negative ? -whole * 1000000 + micros : whole * 1000000 + micros;
    return true;
}

// Up to eight hex digits of an identifier.
CaptureProblem parseId(const QByteArray &text, quint16 *id)
{
    if (text.isEmpty() || text.size() > 8)
        return CaptureProblem::Unreadable;
    quint32 value = 0;
    for (char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return CaptureProblem::Unreadable;
        value = value << 4 | quint32(digit);
    }
    if (value > CAN_ID_MAX)
        return CaptureProblem::IdTooHigh;
    *id = quint16(value);
    return CaptureProblem::None;
}

// Pairs of hex digits without spaces.
CaptureProblem parseData(const QByteArray &text, QVector<uint8_t> *data)
{
    if (text.size() % 2)
        return CaptureProblem::Unreadable;
    data->clear();
    for (int i = 0; i < text.size(); i += 2) {
        const int high = hexDigitValue(text.at(i));
        const int low = hexDigitValue(text.at(i + 1));
        if (high < 0 || low < 0)
            return CaptureProblem::Unreadable;
        data->append(uint8_t(high << 4 | low));
    }
    return data->size() > CAN_DATA_MAX_BYTES ? CaptureProblem::TooManyBytes : CaptureProblem::None;
}

// "(1733580000.123456) can0 7DF#02010C", a sent frame with " T" after it (a
// received one may carry " R").
CaptureProblem parseLogLine(const QByteArray &line, CapturedFrame *frame)
{
    const QList<QByteArray> fields = line.split(' ');
    const bool marked = fields.size() == 4 && (fields.at(3) == "T" || fields.at(3) == "R");
    if ((fields.size() != 3 && !marked) || !fields.at(0).startsWith('(') ||
        !fields.at(0).endsWith(')') || fields.at(1).isEmpty())
        return CaptureProblem::Unreadable;
    const QByteArray time = fields.at(0).mid(1, fields.at(0).size() - 2);
    const QByteArray frameText = fields.at(2);
    const int hash = frameText.indexOf('#');
    if (!parseTime(time, &frame->timeUs) || hash < 0)
        return CaptureProblem::Unreadable;
    // Neither a remote frame ("#R") nor a CAN FD one ("##") can be sent by the box.
    const CaptureProblem id = parseId(frameText.left(hash), &frame->id);
    if (id != CaptureProblem::None)
        return id;
    return parseData(frameText.mid(hash + 1), &frame->data);
}

// "1733580000.123456,7DF,3,02010C,Tx"; files saved before the direction
// column have four fields.
CaptureProblem parseCsvLine(const QByteArray &line, CapturedFrame *frame)
{
    const QList<QByteArray> fields = line.split(',');
    const bool directed = fields.size() == 5 && (fields.at(4) == "Rx" || fields.at(4) == "Tx");
    if ((fields.size() != 4 && !directed) || !parseTime(fields.at(0), &frame->timeUs) ||
        !isDigits(fields.at(2)) || fields.at(2).size() > 2)
        return CaptureProblem::Unreadable;
    const CaptureProblem id = parseId(fields.at(1), &frame->id);
    if (id != CaptureProblem::None)
        return id;
    const CaptureProblem data = parseData(fields.at(3), &frame->data);
    if (data != CaptureProblem::None)
        return data;
    // The length must say what the data holds, else the line was cut or edited.
    return fields.at(2).toInt() == frame->data.size() ? CaptureProblem::None
                                                      : CaptureProblem::Unreadable;
}
} // namespace

namespace {
// The header of captures saved before the direction column.
const QByteArray kOldCsvHeader = QByteArrayLiteral("time,id,len,data");
} // namespace

CaptureFile parseCaptureFile(const QByteArray &text, CanSaveFormat format)
{
    CaptureFile capture;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || (format == CanSaveFormat::Csv &&
                               (line == canSaveHeader(format).trimmed() || line == kOldCsvHeader)))
            continue;
        CapturedFrame frame;
        const CaptureProblem problem = format == CanSaveFormat::CandumpLog
                                           ? parseLogLine(line, &frame)
                                           : parseCsvLine(line, &frame);
        if (problem != CaptureProblem::None) {
            capture.frames.clear();
            capture.problem = problem;
            capture.line = i + 1;
            return capture;
        }
        capture.frames.append(frame);
    }
    return capture;
}
