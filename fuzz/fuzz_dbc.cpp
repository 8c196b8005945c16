// Any text as a DBC file: the reader never crashes or hangs; a text with an
// error loads nothing and names a place in it; every signal it loads lies
// within 64 data bytes. Frames of every length are decoded with what it
// loaded, each from a buffer of exactly its length, so a read past a short
// frame is caught; a value encoded into a frame decodes back within one step.
#include "dbccodec.h"

#include <QByteArray>
#include <QLoggingCategory>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));
    const DbcLoad load = parseDbc(text, QStringLiteral("fuzz.dbc"));
    if (!load.ok) {
        const int lines = text.count('\n') + 1;
        if (!load.database.messages.empty() || load.error.line < 1 || load.error.line > lines ||
            load.error.column < 1)
            std::abort();
        return 0;
    }
    // The frame bytes come from the input too, so that decoding sees varied data.
    std::vector<uint8_t> pattern(CanFrame::kMaxData);
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = size ? data[(i * 7) % size] : uint8_t(i);
    for (const DbcMessage &m : load.database.messages) {
        for (const DbcSignal &s : m.signalList)
            if (s.startBit < 0 || s.startBit >= kDbcMaxBits || s.length < 1 || s.length > 64 ||
                s.layout.needBytes > CanFrame::kMaxData ||
                s.layout.firstByte + s.layout.byteCount != s.layout.needBytes)
                std::abort();
        std::vector<DbcValue> values(m.signalList.size());
        for (int length = 0; length <= CanFrame::kMaxData; length += length < 9 ? 1 : 8) {
            std::vector<uint8_t> frame(pattern.begin(), pattern.begin() + length);
            const int n = dbcDecodeInto(m, frame.data(), length, values.data());
            if (n < 0 || size_t(n) > m.signalList.size())
                std::abort();
            (void)dbcValuesText(values.data(), n);
        }
        for (const DbcSignal &s : m.signalList) {
            std::vector<uint8_t> frame(pattern.begin(), pattern.begin() + s.layout.needBytes);
            const double step = std::fabs(s.factor);
            const double target = s.offset + s.factor * 3;
            dbcEncode(s, target, frame.data());
            const double back = dbcPhysical(s, dbcRawBits(s, frame.data()));
            if (s.type == DbcValueType::Integer && step > 0 && std::isfinite(target) &&
                (s.minimum >= s.maximum || (target >= s.minimum && target <= s.maximum)) &&
                s.length >= 3 && std::isfinite(back) && std::fabs(back - target) > step * 1.000001)
                std::abort();
        }
    }
    return 0;
}
