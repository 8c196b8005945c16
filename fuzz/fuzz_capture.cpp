// Any bytes as a capture of one format (built once per reader: ASC, TRC,
// BLF, python-can's CSV): a replay has every frame or none, a problem is
// named within the file, every frame is within its use's limits, and every
// frame read writes back, in the same format, to a file that reads as the
// same frame.
#include "cantext.h"
#include "capturefile.h"
#include "capturewriter.h"

#include <QBuffer>
#include <QLoggingCategory>

#include <cstdlib>
#include <ctime>

namespace {
constexpr CanSaveFormat kFormat = CanSaveFormat::FUZZ_CAPTURE_FORMAT;

// Times a date line or start time can say (1900 to 9999); a frame outside
// them is read, but cannot be written back as itself.
bool datable(qint64 timeUs)
{
    return timeUs > -2208988800000000 && timeUs < 253402300799000000;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    // Dates are local times: one zone, no daylight saving's doubled hour.
    setenv("TZ", "UTC", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));
    const qint64 places = kFormat == CanSaveFormat::Blf ? qint64(size) : text.count('\n') + 1;
    for (CaptureUse use : {CaptureUse::Replay, CaptureUse::View}) {
        const CaptureFile capture = parseCaptureFile(text, kFormat, use);
        const bool problem = capture.problem != CaptureProblem::None;
        if (capture.line > places || capture.line < 0 || capture.frames.size() > places ||
            (!problem && capture.line != 0) ||
            (kFormat != CanSaveFormat::Blf && problem != (capture.line > 0)))
            std::abort();
        if (use == CaptureUse::Replay && problem && !capture.frames.isEmpty())
            std::abort();
        for (const CanFrame &frame : capture.frames) {
            const bool replay = use == CaptureUse::Replay;
            if ((replay && (frame.isExtended() || frame.length > CAN_DATA_MAX_BYTES)) ||
                frame.length > (kFormat == CanSaveFormat::PythonCsv ? CanFrame::kMaxData : 8))
                std::abort();
            QByteArray saved;
            QBuffer file(&saved);
            file.open(QIODevice::WriteOnly);
            CaptureWriter writer(file, kFormat);
            if (!writer.write(frame) || !writer.close() || writer.leftOut() != 0)
                std::abort();
            const CaptureFile again = parseCaptureFile(saved, kFormat, use);
            if (again.frames.size() != 1 || again.problem != CaptureProblem::None)
                std::abort();
            CanFrame read = again.frames[0];
            // python-can's CSV keeps no direction.
            if (kFormat == CanSaveFormat::PythonCsv)
                read.direction = frame.direction;
            if (!datable(frame.timeUs))
                read.timeUs = frame.timeUs;
            if (!read.sameAs(frame))
                std::abort();
        }
    }
    return 0;
}
