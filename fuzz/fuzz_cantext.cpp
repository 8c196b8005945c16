// Any typed data-field text and cursor: a rewrite never yields more than 23
// characters, only hex digits and spaces, and a rewritten text is stable (the
// nested change it causes rewrites nothing). An ID or data text that is
// accepted for sending round-trips to what was typed: the ID prints back as its
// digits, the bytes as the field's own normal form of the text, with no byte
// invented or merged. The same bytes go to the slcan command reader, a
// socketcand session and the capture file reader.
#include "canframe.h"
#include "cantext.h"
#include "capturefile.h"
#include "replydecode.h"
#include "slcan.h"
#include "socketcand.h"

#include <QLoggingCategory>

#include <cstdlib>

namespace {
bool hexOrSpace(const QString &t)
{
    for (QChar c : t)
        if (!(c == QLatin1Char(' ') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))))
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The rewrite writes its reasons to the debug log: not for the fuzzer's output.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    return 0;
}

namespace {
// Any bytes a client writes to the slcan bridge: the commands stay bounded,
// and a frame to send prints back, through the received-frame line, as the
// command that asked for it.
void checkSlcan(const uint8_t *data, size_t size)
{
    QByteArray pending(reinterpret_cast<const char *>(data), int(size));
    for (const QByteArray &command : takeSlcanCommands(pending)) {
        if (command.size() > SLCAN_MAX_COMMAND + 1)
            std::abort();
        const SlcanCommand c = parseSlcanCommand(command);
        if (c.kind != SlcanCommand::Send)
            continue;
        QByteArray line;
        if (c.id > CAN_ID_MAX ||
            !appendSlcanFrame(line, c.id, c.data.constData(), c.data.size(), -1) ||
            line != 't' + command.mid(1).toUpper() + '\r')
            std::abort();
    }
    if (pending.size() > SLCAN_MAX_COMMAND + 2)
        std::abort();
}

// Any bytes a client writes to the socketcand server: the messages stay
// bounded, every answer is one message, and only frames the box can carry go
// to it.
void checkSocketcand(const uint8_t *data, size_t size)
{
    QByteArray pending(reinterpret_cast<const char *>(data), int(size));
    SocketcandSession session("can0");
    for (const QByteArray &message : takeSocketcandMessages(pending)) {
        if (message.size() > SOCKETCAND_MAX_MESSAGE)
            std::abort();
        const SocketcandSession::Step step = session.handle(message);
        // A frame sent is the only thing that goes unanswered.
        const QByteArray inner = step.answer.mid(1, step.answer.size() - 2);
        if (step.answer.isEmpty() ? !step.send
                                  : !step.answer.startsWith("< ") || !step.answer.endsWith(" >") ||
                                        inner.contains('<') || inner.contains('>'))
            std::abort();
        if (step.send && (step.id > CAN_ID_MAX || step.data.size() > CAN_DATA_MAX_BYTES))
            std::abort();
    }
    if (pending.size() > SOCKETCAND_MAX_MESSAGE)
        std::abort();
}

// Any bytes as a capture file, read for a replay and for a view: a replay
// has every frame or none, a view never more frames and skipped lines than
// lines, every frame within its use's limits, and every frame read saves
// back to a line that reads as the same frame.
void checkCapture(const QByteArray &text)
{
    const int lines = text.count('\n') + 1;
    for (CanSaveFormat format : {CanSaveFormat::CandumpLog, CanSaveFormat::Csv}) {
        for (CaptureUse use : {CaptureUse::Replay, CaptureUse::View}) {
            const CaptureFile capture = parseCaptureFile(text, format, use);
            const bool problem = capture.problem != CaptureProblem::None;
            if (problem != (capture.line > 0) || capture.line > lines ||
                capture.frames.size() + capture.skipped > lines)
                std::abort();
            if (use == CaptureUse::Replay && problem && !capture.frames.isEmpty())
                std::abort();
            for (const CanFrame &frame : capture.frames) {
                const bool replay = use == CaptureUse::Replay;
                if ((replay && (frame.id > CAN_ID_MAX || frame.length > CAN_DATA_MAX_BYTES)) ||
                    frame.length > CanFrame::kMaxData)
                    std::abort();
                QByteArray saved = canSaveHeader(format);
                appendCanSaveLine(saved, format, frame);
                const CaptureFile again = parseCaptureFile(saved, format, use);
                if (again.frames.size() != 1 || !again.frames[0].sameAs(frame))
                    std::abort();
            }
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkSlcan(data, size);
    checkSocketcand(data, size);
    checkCapture(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    if (size < 2)
        return 0;
    const bool formatting = data[0] & 1;
    const QString typed =
        QString::fromLatin1(reinterpret_cast<const char *>(data + 2), int(size - 2));
    const int cursor = data[1] % (typed.size() + 1);

    const CanDataRewrite r = canDataRewrite(typed, cursor, formatting);
    if (r.rewrite) {
        if (r.text.size() > CAN_DATA_MAX_TEXT)
            std::abort();
        if (hexOrSpace(typed) && !hexOrSpace(r.text))
            std::abort();
        // The field reports the rewrite at once with the flag raised.
        const CanDataRewrite nested = canDataRewrite(r.text, r.text.size(), true);
        if (nested.rewrite)
            std::abort();
    }

    const QString idText = typed.left(3);
    if (const std::optional<quint16> id = parseCanId(idText)) {
        if (*id > CAN_ID_MAX)
            std::abort();
        QString digits = idText.trimmed().toLower();
        while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1);
        if (QString::number(*id, 16) != digits)
            std::abort();
    }

    if (const std::optional<QVector<uint8_t>> bytes = parseCanData(typed)) {
        if (bytes->size() > CAN_DATA_MAX_BYTES || typed.contains(QStringLiteral("  ")))
            std::abort();
        // What the field makes of the text once a space is typed after it.
        const CanDataRewrite normal =
            canDataRewrite(typed + QLatin1Char(' '), typed.size() + 1, false);
        const QString expected = bytes->isEmpty() ? QString() : normal.text.trimmed().toLower();
        const QVector<uint8_t> payload = canFramePayload(0x7FF, *bytes);
        const QString shown = hexBytesText(payload.constData() + 2, payload.size() - 2);
        if (shown.trimmed() != expected)
            std::abort();
        if (parseCanData(shown) != bytes)
            std::abort();
    }
    return 0;
}
