#include "dbccodec.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {
uint64_t lowMask(int length)
{
    return length >= 64 ? ~uint64_t(0) : (uint64_t(1) << length) - 1;
}

// The bytes that hold a signal as one number: little-endian for Intel,
// big-endian for Motorola. Nine bytes at most, so 128 bits hold them.
unsigned __int128 readSpan(const DbcSignal &signal, const uint8_t *data)
{
    const DbcBitLayout &l = signal.layout;
    const uint8_t *bytes = data + l.firstByte;
    unsigned __int128 span = 0;
    if (signal.order == DbcByteOrder::Intel) {
        for (int i = l.byteCount - 1; i >= 0; --i)
            span = (span << 8) | bytes[i];
    } else {
        for (int i = 0; i < l.byteCount; ++i)
            span = (span << 8) | bytes[i];
    }
    return span;
}

void writeSpan(const DbcSignal &signal, unsigned __int128 span, uint8_t *data)
{
    const DbcBitLayout &l = signal.layout;
    uint8_t *bytes = data + l.firstByte;
    for (int i = 0; i < l.byteCount; ++i) {
        const int at = signal.order == DbcByteOrder::Intel ? i : l.byteCount - 1 - i;
        bytes[at] = uint8_t(span);
        span >>= 8;
    }
}

qint64 signedRaw(const DbcSignal &signal, uint64_t raw)
{
    if (signal.isSigned && signal.length < 64 && (raw >> (signal.length - 1)) & 1)
        raw |= ~lowMask(signal.length);
    return qint64(raw);
}
} // namespace

bool dbcLayout(DbcSignal &signal)
{
    const int start = signal.startBit;
    const int length = signal.length;
    if (start < 0 || start >= kDbcMaxBits || length < 1 || length > 64)
        return false;
    DbcBitLayout l;
    int first = 0;
    int last = 0;
    if (signal.order == DbcByteOrder::Intel) {
        // Bit n is bit n % 8 of byte n / 8; the signal runs upwards from it.
        const int msb = start + length - 1;
        if (msb >= kDbcMaxBits)
            return false;
        first = start / 8;
        last = msb / 8;
        l.shift = uint8_t(start % 8);
    } else {
        // Counted as a big-endian stream of bits, where the start bit (the
        // most significant) is bit 7 - n % 8 of byte n / 8 and the signal
        // runs on through bit 0 to the next byte's bit 7.
        const int msb = (start / 8) * 8 + 7 - start % 8;
        const int lsb = msb + length - 1;
        if (lsb >= kDbcMaxBits)
            return false;
        first = msb / 8;
        last = lsb / 8;
        l.shift = uint8_t(7 - lsb % 8);
    }
    l.firstByte = uint8_t(first);
    l.byteCount = uint8_t(last - first + 1);
    l.needBytes = uint8_t(last + 1);
    signal.layout = l;
    return true;
}

uint64_t dbcRawBits(const DbcSignal &signal, const uint8_t *data)
{
    return uint64_t(readSpan(signal, data) >> signal.layout.shift) & lowMask(signal.length);
}

double dbcPhysical(const DbcSignal &signal, uint64_t raw)
{
    double v = 0;
    switch (signal.type) {
    case DbcValueType::Float32: {
        const uint32_t bits = uint32_t(raw);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        v = double(f);
        break;
    }
    case DbcValueType::Float64:
        std::memcpy(&v, &raw, sizeof v);
        break;
    case DbcValueType::Integer:
        v = signal.isSigned ? double(signedRaw(signal, raw)) : double(raw);
        break;
    }
    return v * signal.factor + signal.offset;
}

const QString *dbcLabel(const DbcSignal &signal, uint64_t raw)
{
    if (signal.labels.empty())
        return nullptr;
    const qint64 key = signedRaw(signal, raw);
    const auto it = std::lower_bound(
        signal.labels.begin(), signal.labels.end(), key,
        [](const std::pair<qint64, QString> &entry, qint64 k) { return entry.first < k; });
    return it != signal.labels.end() && it->first == key ? &it->second : nullptr;
}

int dbcDecodeInto(const DbcMessage &message, const uint8_t *data, int length, DbcValue *out)
{
    if (!message.decoded)
        return 0;
    bool muxKnown = false;
    uint64_t muxRaw = 0;
    if (message.multiplexer >= 0) {
        const DbcSignal &m = message.signalList[size_t(message.multiplexer)];
        muxKnown = m.layout.needBytes <= length;
        if (muxKnown)
            muxRaw = dbcRawBits(m, data);
    }
    int n = 0;
    for (const DbcSignal &signal : message.signalList) {
        if (signal.mux == DbcMux::Multiplexed && (!muxKnown || muxRaw != uint64_t(signal.muxValue)))
            continue;
        DbcValue &v = out[n++];
        v.signal = &signal;
        if (signal.layout.needBytes > length) {
            v.state = DbcValueState::NotDecodable;
            v.raw = 0;
            v.value = 0;
            continue;
        }
        v.state = DbcValueState::Ok;
        v.raw = dbcRawBits(signal, data);
        v.value = dbcPhysical(signal, v.raw);
    }
    return n;
}

DbcDecodedFrame decodeFrame(const DbcDatabase &db, const CanFrame &frame)
{
    DbcDecodedFrame decoded;
    // An extended frame is never a standard message, whatever its number.
    decoded.message = frame.isExtended() ? nullptr : db.standardMessage(frame.id);
    if (!decoded.message)
        return decoded;
    const DbcMessage &message = *decoded.message;
    std::vector<DbcValue> values(message.signalList.size());
    const int n = dbcDecodeInto(message, frame.data, frame.length, values.data());
    decoded.values.reserve(n);
    for (int i = 0; i < n; ++i) {
        const DbcValue &v = values[size_t(i)];
        DbcDecodedSignal s;
        s.signal = v.signal;
        s.name = v.signal->name;
        s.value = v.value;
        s.unit = v.signal->unit;
        s.state = v.state;
        if (v.state == DbcValueState::Ok)
            if (const QString *label = dbcLabel(*v.signal, v.raw))
                s.label = *label;
        decoded.values.append(s);
    }
    return decoded;
}

QString dbcNumberText(double value)
{
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, int(result.ptr - buf));
}

namespace {
// The decimals `x` has (0.25 → 2), -1 beyond nine.
int decimalsOf(double x)
{
    double scaled = std::fabs(x);
    for (int d = 0; d <= 9; ++d, scaled *= 10)
        if (std::fabs(scaled - std::round(scaled)) <= 1e-9 * std::max(1.0, scaled))
            return d;
    return -1;
}
} // namespace

QString dbcValueText(const DbcSignal &signal, double value)
{
    if (signal.type == DbcValueType::Float32 && signal.factor == 1 && signal.offset == 0) {
        char buf[32];
        const auto result = std::to_chars(buf, buf + sizeof buf, float(value));
        return QString::fromLatin1(buf, int(result.ptr - buf));
    }
    if (signal.type != DbcValueType::Integer)
        return dbcNumberText(value);
    const int factorDecimals = decimalsOf(signal.factor);
    const int offsetDecimals = decimalsOf(signal.offset);
    const int decimals = std::max(factorDecimals, offsetDecimals);
    if (factorDecimals < 0 || offsetDecimals < 0 || decimals == 0)
        return dbcNumberText(value);
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    return dbcNumberText(std::isfinite(rounded) ? rounded : value);
}

namespace {
void appendValueText(QString &text, const QString &name, DbcValueState state, double value,
                     const DbcSignal *signal, const QString &unit, const QString *label)
{
    if (!text.isEmpty())
        text += QLatin1String(", ");
    text += name;
    text += QLatin1Char('=');
    if (state != DbcValueState::Ok) {
        text += QChar(0x2014);
        return;
    }
    text += signal ? dbcValueText(*signal, value) : dbcNumberText(value);
    if (!unit.isEmpty())
        text += QLatin1Char(' ') + unit;
    if (label)
        text += QLatin1String(" (") + *label + QLatin1Char(')');
}
} // namespace

QString dbcValuesText(const DbcValue *values, int count)
{
    QString text;
    for (int i = 0; i < count; ++i) {
        const DbcValue &v = values[i];
        appendValueText(text, v.signal->name, v.state, v.value, v.signal, v.signal->unit,
                        v.state == DbcValueState::Ok ? dbcLabel(*v.signal, v.raw) : nullptr);
    }
    return text;
}

QString dbcValuesText(const DbcDecodedFrame &frame)
{
    QString text;
    for (const DbcDecodedSignal &s : frame.values)
        appendValueText(text, s.name, s.state, s.value, s.signal, s.unit,
                        s.label.isEmpty() ? nullptr : &s.label);
    return text;
}

bool dbcEncode(const DbcSignal &signal, double physical, uint8_t *data)
{
    bool clamped = false;
    if (std::isnan(physical)) {
        physical = signal.minimum < signal.maximum ? signal.minimum : signal.offset;
        clamped = true;
    }
    if (signal.minimum < signal.maximum) {
        if (physical < signal.minimum) {
            physical = signal.minimum;
            clamped = true;
        } else if (physical > signal.maximum) {
            physical = signal.maximum;
            clamped = true;
        }
    }
    const double scaled = signal.factor != 0 ? (physical - signal.offset) / signal.factor : 0;
    uint64_t raw = 0;
    if (signal.type == DbcValueType::Float32) {
        const float f = float(scaled);
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        raw = bits;
    } else if (signal.type == DbcValueType::Float64) {
        std::memcpy(&raw, &scaled, sizeof raw);
    } else {
        const double r = std::nearbyint(scaled);
        const int bits = signal.length;
        // The range the bits hold, its ends as exact doubles.
        const double low = signal.isSigned ? -std::ldexp(1.0, bits - 1) : 0.0;
        const double high = std::ldexp(1.0, signal.isSigned ? bits - 1 : bits); // excluded
        if (r < low) {
            raw = signal.isSigned ? uint64_t(1) << (bits - 1) : 0;
            clamped = true;
        } else if (r >= high) {
            raw = signal.isSigned ? lowMask(bits - 1) : lowMask(bits);
            clamped = true;
        } else {
            raw = signal.isSigned ? uint64_t(qint64(r)) : uint64_t(r);
        }
    }
    const uint64_t mask = lowMask(signal.length);
    const int shift = signal.layout.shift;
    unsigned __int128 span = readSpan(signal, data);
    span &= ~((unsigned __int128)mask << shift);
    span |= (unsigned __int128)(raw & mask) << shift;
    writeSpan(signal, span, data);
    return clamped;
}
