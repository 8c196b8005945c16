#include "capturefile.h"

#include "canframe.h"
#include "cantext.h"

#include <string_view>
#include <utility>

namespace {
using Text = std::string_view;

// What a line may carry for the use it is read for.
struct Limits
{
    quint32 maxId;
    int maxBytes;
    bool idOptional;
};

// A trace stores 16-bit identifiers and records of up to a CAN FD frame's data.
constexpr Limits kReplayLimits{CAN_ID_MAX, CAN_DATA_MAX_BYTES, false};
constexpr Limits kViewLimits{0xFFFF, 64, true};

bool isDigits(Text text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

qint64 decimalValue(Text digits)
{
    qint64 value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

// The fields of `line` between `separator`s, up to `max` of them; false when
// there are more.
template <int max> bool splitFields(Text line, char separator, Text (&fields)[max], int *count)
{
    int n = 0;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(separator, start);
        if (n == max)
            return false;
        fields[n++] = line.substr(start, end == Text::npos ? Text::npos : end - start);
        if (end == Text::npos)
            break;
        start = end + 1;
    }
    *count = n;
    return true;
}

// "1733580000.123456" (a leading '-' before the epoch, as saved), to microseconds.
bool parseTime(Text text, qint64 *timeUs)
{
    const bool negative = !text.empty() && text.front() == '-';
    const Text magnitude = negative ? text.substr(1) : text;
    const size_t dot = magnitude.find('.');
    if (dot == Text::npos)
        return false;
    const Text seconds = magnitude.substr(0, dot);
    const Text fraction = magnitude.substr(dot + 1);
    // Beyond 12 digits of seconds a time is no capture's (and would overflow).
    if (!isDigits(seconds) || seconds.size() > 12 || !isDigits(fraction) || fraction.size() > 6)
        return false;
    qint64 micros = decimalValue(fraction);
    for (size_t i = fraction.size(); i < 6; ++i)
        micros *= 10;
    const qint64 whole = decimalValue(seconds);
    // Saved times before the epoch keep a positive fraction (floor division).
    *timeUs = negative ? -whole * 1000000 + micros : whole * 1000000 + micros;
    return true;
}

// Up to eight hex digits of an identifier.
CaptureProblem parseId(Text text, const Limits &limits, quint16 *id)
{
    if (text.empty() || text.size() > 8)
        return CaptureProblem::Unreadable;
    quint32 value = 0;
    for (char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return CaptureProblem::Unreadable;
        value = value << 4 | quint32(digit);
    }
    if (value > limits.maxId)
        return CaptureProblem::IdTooHigh;
    *id = quint16(value);
    return CaptureProblem::None;
}

// Pairs of hex digits without spaces.
CaptureProblem parseData(Text text, const Limits &limits, QVector<uint8_t> *data)
{
    if (text.size() % 2)
        return CaptureProblem::Unreadable;
    if (int(text.size() / 2) > limits.maxBytes)
        return CaptureProblem::TooManyBytes;
    data->resize(int(text.size() / 2));
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigitValue(text[i]);
        const int low = hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return CaptureProblem::Unreadable;
        (*data)[int(i / 2)] = uint8_t(high << 4 | low);
    }
    return CaptureProblem::None;
}

// "(1733580000.123456) can0 7DF#02010C", a sent frame with " T" after it (a
// received one may carry " R").
CaptureProblem parseLogLine(Text line, const Limits &limits, CapturedFrame *frame)
{
    Text fields[4];
    int count = 0;
    if (!splitFields(line, ' ', fields, &count))
        return CaptureProblem::Unreadable;
    const bool marked = count == 4 && (fields[3] == "T" || fields[3] == "R");
    const Text stamp = fields[0];
    if ((count != 3 && !marked) || stamp.size() < 2 || stamp.front() != '(' ||
        stamp.back() != ')' || fields[1].empty())
        return CaptureProblem::Unreadable;
    const Text frameText = fields[2];
    const size_t hash = frameText.find('#');
    if (!parseTime(stamp.substr(1, stamp.size() - 2), &frame->timeUs) || hash == Text::npos)
        return CaptureProblem::Unreadable;
    // Neither a remote frame ("#R") nor a CAN FD one ("##") can be sent by the box.
    const CaptureProblem id = parseId(frameText.substr(0, hash), limits, &frame->id);
    if (id != CaptureProblem::None)
        return id;
    frame->direction = marked && fields[3] == "T" ? CanDirection::Sent : CanDirection::Received;
    return parseData(frameText.substr(hash + 1), limits, &frame->data);
}

// "1733580000.123456,7DF,3,02010C,Tx"; files saved before the direction
// column have four fields.
CaptureProblem parseCsvLine(Text line, const Limits &limits, CapturedFrame *frame)
{
    Text fields[5];
    int count = 0;
    if (!splitFields(line, ',', fields, &count))
        return CaptureProblem::Unreadable;
    const bool directed = count == 5 && (fields[4] == "Rx" || fields[4] == "Tx");
    if ((count != 4 && !directed) || !parseTime(fields[0], &frame->timeUs) ||
        !isDigits(fields[2]) || fields[2].size() > 2)
        return CaptureProblem::Unreadable;
    frame->direction = directed && fields[4] == "Tx" ? CanDirection::Sent : CanDirection::Received;
    // What the table showed of a record too short for an identifier: nothing.
    if (limits.idOptional && fields[1].empty() && fields[2] == "0" && fields[3].empty()) {
        frame->hasId = false;
        return CaptureProblem::None;
    }
    const CaptureProblem id = parseId(fields[1], limits, &frame->id);
    if (id != CaptureProblem::None)
        return id;
    const CaptureProblem data = parseData(fields[3], limits, &frame->data);
    if (data != CaptureProblem::None)
        return data;
    // The length must say what the data holds, else the line was cut or edited.
    return decimalValue(fields[2]) == frame->data.size() ? CaptureProblem::None
                                                         : CaptureProblem::Unreadable;
}

// The header of captures saved before the direction column.
constexpr Text kOldCsvHeader = "time,id,len,data";
} // namespace

CaptureFile readCaptureFile(const QByteArray &text, CanSaveFormat format, CaptureUse use,
                            const std::function<void(const CapturedFrame &)> &take)
{
    const Limits &limits = use == CaptureUse::Replay ? kReplayLimits : kViewLimits;
    const QByteArray headerLine = canSaveHeader(format).trimmed();
    const Text header(headerLine.constData(), size_t(headerLine.size()));
    const Text all(text.constData(), size_t(text.size()));
    CaptureFile capture;
    // One frame reused line after line: its data keeps its buffer.
    CapturedFrame frame;
    int lineNumber = 0;
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find('\n', start);
        if (end == Text::npos)
            end = all.size();
        Text line = all.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() ||
            (format == CanSaveFormat::Csv && (line == header || line == kOldCsvHeader)))
            continue;
        frame.id = 0;
        frame.hasId = true;
        frame.data.resize(0);
        const CaptureProblem problem = format == CanSaveFormat::CandumpLog
                                           ? parseLogLine(line, limits, &frame)
                                           : parseCsvLine(line, limits, &frame);
        if (problem == CaptureProblem::None) {
            ++capture.frameCount;
            take(frame);
            continue;
        }
        if (capture.problem == CaptureProblem::None) {
            capture.problem = problem;
            capture.line = lineNumber;
        }
        if (use == CaptureUse::Replay)
            return capture;
        ++capture.skipped;
    }
    return capture;
}

CaptureFile parseCaptureFile(const QByteArray &text, CanSaveFormat format, CaptureUse use)
{
    QVector<CapturedFrame> frames;
    CaptureFile capture =
        readCaptureFile(text, format, use, [&frames](const CapturedFrame &f) { frames.append(f); });
    // A replay sends all of a file or nothing.
    if (use == CaptureUse::View || capture.problem == CaptureProblem::None)
        capture.frames = std::move(frames);
    return capture;
}
