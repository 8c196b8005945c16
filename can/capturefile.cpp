#include "capturefile.h"

#include "blfreader.h"
#include "canframe.h"
#include "cantext.h"
#include "tracelines.h"

#include <QBuffer>

#include <QFile>
#include <QFileInfo>

#include <string_view>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
using Text = std::string_view;

using Limits = CaptureLimits;

// A trace stores 16-bit identifiers and frames of up to a CAN FD frame's data.
// The box sends standard frames only.
constexpr Limits kReplayLimits{CAN_ID_MAX, CAN_DATA_MAX_BYTES, false};
constexpr Limits kViewLimits{0xFFFF, CanFrame::kMaxData, true};

const Limits &limitsFor(CaptureUse use)
{
    return use == CaptureUse::Replay ? kReplayLimits : kViewLimits;
}

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

// Up to eight hex digits of an identifier; eight mark an extended frame,
// as candump writes one.
CaptureProblem parseId(Text text, const Limits &limits, CanFrame *frame)
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
    const bool extended = text.size() == 8;
    if (extended && !limits.extended)
        return CaptureProblem::ExtendedId;
    frame->id = quint16(value);
    frame->extended = extended && value <= 0x7FF;
    return CaptureProblem::None;
}

// Pairs of hex digits without spaces.
CaptureProblem parseData(Text text, const Limits &limits, CanFrame *frame)
{
    if (text.size() % 2)
        return CaptureProblem::Unreadable;
    if (int(text.size() / 2) > limits.maxBytes)
        return CaptureProblem::TooManyBytes;
    frame->length = uint8_t(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigitValue(text[i]);
        const int low = hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return CaptureProblem::Unreadable;
        frame->data[i / 2] = uint8_t(high << 4 | low);
    }
    return CaptureProblem::None;
}

// "(1733580000.123456) can0 7DF#02010C", a sent frame with " T" after it (a
// received one may carry " R").
CaptureProblem parseLogLine(Text line, const Limits &limits, CanFrame *frame)
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
    const CaptureProblem id = parseId(frameText.substr(0, hash), limits, frame);
    if (id != CaptureProblem::None)
        return id;
    frame->direction = marked && fields[3] == "T" ? CanDirection::Sent : CanDirection::Received;
    return parseData(frameText.substr(hash + 1), limits, frame);
}

// "1733580000.123456,7DF,3,02010C,Tx"; files saved before the direction
// column have four fields.
CaptureProblem parseCsvLine(Text line, const Limits &limits, CanFrame *frame)
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
    const CaptureProblem id = parseId(fields[1], limits, frame);
    if (id != CaptureProblem::None)
        return id;
    const CaptureProblem data = parseData(fields[3], limits, frame);
    if (data != CaptureProblem::None)
        return data;
    // The length must say what the data holds, else the line was cut or edited.
    return decimalValue(fields[2]) == frame->length ? CaptureProblem::None
                                                    : CaptureProblem::Unreadable;
}

// The header of captures saved before the direction column.
constexpr Text kOldCsvHeader = "time,id,len,data";
// No frame line is this long: a longer one is unreadable, and is not held.
constexpr int kMaxLineBytes = 4096;
constexpr qint64 kReadBlockBytes = 65536;

// The lines of a capture, one after the other, read into frames.
class CaptureLines
{
public:
    CaptureLines(CanSaveFormat format, CaptureUse use,
                 const std::function<void(const CanFrame &)> &take)
        : m_format(format), m_limits(limitsFor(use)), m_use(use), m_take(take),
          m_headerLine(canSaveHeader(format).trimmed())
    {
    }

    // The next line, without its '\n'; `tooLong` when it was cut. False once
    // the reading has ended at a problem.
    bool read(Text line, bool tooLong = false)
    {
        ++m_lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const Text header(m_headerLine.constData(), size_t(m_headerLine.size()));
        const bool csv = m_format == CanSaveFormat::Csv || m_format == CanSaveFormat::PythonCsv;
        if (!tooLong && csv && line == kPythonCsvHeader)
            m_pythonCsv = true;
        if (!tooLong && (line.empty() || (csv && (line == header || line == kOldCsvHeader ||
                                                  line == kPythonCsvHeader))))
            return true;
        m_frame.id = 0;
        m_frame.extended = false;
        m_frame.length = 0;
        TraceLineResult result{TraceLine::Problem, CaptureProblem::Unreadable};
        if (!tooLong)
            result = readLine(line);
        if (result.kind == TraceLine::NoFrame)
            return true;
        const CaptureProblem problem = result.problem;
        if (result.kind == TraceLine::Frame) {
            ++capture.frameCount;
            m_take(m_frame);
            return true;
        }
        if (capture.problem == CaptureProblem::None) {
            capture.problem = problem;
            capture.line = m_lineNumber;
        }
        if (m_use == CaptureUse::Replay)
            return false;
        ++capture.skipped;
        return true;
    }

    CaptureFile capture;

private:
    static TraceLineResult lineResult(CaptureProblem problem)
    {
        return {problem == CaptureProblem::None ? TraceLine::Frame : TraceLine::Problem, problem};
    }

    TraceLineResult readLine(Text line)
    {
        switch (m_format) {
        case CanSaveFormat::CandumpLog:
            return lineResult(parseLogLine(line, m_limits, &m_frame));
        case CanSaveFormat::Csv:
        case CanSaveFormat::PythonCsv:
            if (m_pythonCsv || m_format == CanSaveFormat::PythonCsv)
                return readPythonCsvLine(line, m_limits, &m_frame);
            return lineResult(parseCsvLine(line, m_limits, &m_frame));
        case CanSaveFormat::Asc:
            return m_asc.read(line, m_limits, &m_frame);
        case CanSaveFormat::Trc:
            return m_trc.read(line, m_limits, &m_frame);
        case CanSaveFormat::Blf:
            break;
        }
        return lineResult(CaptureProblem::Unreadable);
    }

    const CanSaveFormat m_format;
    const Limits &m_limits;
    const CaptureUse m_use;
    const std::function<void(const CanFrame &)> &m_take;
    const QByteArray m_headerLine;
    qint64 m_lineNumber = 0;
    CanFrame m_frame;
    // A CSV whose header is python-can's.
    bool m_pythonCsv = false;
    AscLines m_asc;
    TrcLines m_trc;
};
} // namespace

CaptureFile readCaptureFile(const QByteArray &text, CanSaveFormat format, CaptureUse use,
                            const std::function<void(const CanFrame &)> &take)
{
    if (format == CanSaveFormat::Blf) {
        QByteArray bytes = text;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        return readBlfCapture(buffer, limitsFor(use), use == CaptureUse::Replay, take);
    }
    CaptureLines lines(format, use, take);
    const Text all(text.constData(), size_t(text.size()));
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find('\n', start);
        if (end == Text::npos)
            end = all.size();
        const Text line = all.substr(start, end - start);
        start = end + 1;
        if (!lines.read(line, line.size() > size_t(kMaxLineBytes)))
            break;
    }
    return lines.capture;
}

CaptureFile readCaptureFile(QIODevice &device, CanSaveFormat format, CaptureUse use,
                            const std::function<void(const CanFrame &)> &take)
{
    if (format == CanSaveFormat::Blf)
        return readBlfCapture(device, limitsFor(use), use == CaptureUse::Replay, take);
    CaptureLines lines(format, use, take);
    QByteArray block(int(kReadBlockBytes), Qt::Uninitialized);
    // The start of a line that goes on in the next block.
    QByteArray pending;
    // The rest of a line already found too long is passed over unread.
    bool skipping = false;
    for (;;) {
        const qint64 n = device.read(block.data(), kReadBlockBytes);
        if (n < 0) {
            lines.capture.readFailed = true;
            return lines.capture;
        }
        if (n == 0)
            break;
        const Text all(block.constData(), size_t(n));
        size_t start = 0;
        for (size_t end; (end = all.find('\n', start)) != Text::npos; start = end + 1) {
            if (skipping) {
                skipping = false;
                continue;
            }
            Text line = all.substr(start, end - start);
            if (!pending.isEmpty()) {
                pending.append(line.data(), int(line.size()));
                line = Text(pending.constData(), size_t(pending.size()));
            }
            const bool more = lines.read(line, line.size() > size_t(kMaxLineBytes));
            pending.clear();
            if (!more)
                return lines.capture;
        }
        if (skipping)
            continue;
        pending.append(block.constData() + start, int(size_t(n) - start));
        // Told at once: a replay ends here rather than at the line's end, which
        // may be gigabytes away.
        if (pending.size() > kMaxLineBytes) {
            pending.clear();
            skipping = true;
            if (!lines.read(Text(), true))
                return lines.capture;
        }
    }
    if (!pending.isEmpty())
        lines.read(Text(pending.constData(), size_t(pending.size())));
    return lines.capture;
}

CaptureFile parseCaptureFile(const QByteArray &text, CanSaveFormat format, CaptureUse use)
{
    QVector<CanFrame> frames;
    CaptureFile capture =
        readCaptureFile(text, format, use, [&frames](const CanFrame &f) { frames.append(f); });
    // A replay sends all of a file or nothing.
    if (use == CaptureUse::View || capture.problem == CaptureProblem::None)
        capture.frames = std::move(frames);
    return capture;
}

CaptureOpen openCaptureFile(const QString &path, QFile *file, QString *why)
{
#ifdef Q_OS_UNIX
    // Without O_NONBLOCK, opening a FIFO waits for a writer, for ever if none comes.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = qt_error_string(errno);
        return CaptureOpen::Failed;
    }
    struct stat info = {};
    // A FIFO, a terminal or a device may never end; a directory has no lines.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return CaptureOpen::NotAFile;
    }
    // A regular file: reads block as they always do, for a moment.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file->setFileName(path);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *why = file->errorString();
        return CaptureOpen::Failed;
    }
    return CaptureOpen::Opened;
#else
    file->setFileName(path);
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile())
        return CaptureOpen::NotAFile;
    if (file->open(QIODevice::ReadOnly))
        return CaptureOpen::Opened;
    *why = file->errorString();
    return CaptureOpen::Failed;
#endif
}
