#pragma once

#include <QMetaType>
#include <QVector>

#include <cstdint>
#include <cstring>

// Whether the box reported a frame or the tool sent it.
enum class CanDirection : uint8_t
{
    Received,
    Sent,
};

// One CAN frame as every view of it takes it: the table, the per-identifier
// view, monitor, the slcan bridge, saving and a capture read back. A plain
// value without heap memory, so that frames travel in batches cheaply.
struct CanFrame
{
    // The most data any frame holds: a CAN FD frame's, which a capture may
    // carry; the box's own frames fit.
    static constexpr int kMaxData = 64;

    qint64 timeUs = 0; // when it was read or sent, microseconds since the epoch
    uint16_t id = 0;
    uint8_t length = 0;
    CanDirection direction = CanDirection::Received;
    // A 29-bit identifier of 7FF or below, as a capture may mark one; the
    // box's frames have 11 bits. An identifier above 7FF is extended anyway.
    bool extended = false;
    uint8_t data[kMaxData] = {};

    // Sets the data; bytes past kMaxData are cut off.
    void setData(const uint8_t *bytes, int count)
    {
        length = uint8_t(count < 0 ? 0 : count > kMaxData ? kMaxData : count);
        if (length > 0)
            std::memcpy(data, bytes, length);
    }
    QVector<uint8_t> dataVector() const { return QVector<uint8_t>(data, data + length); }
    bool isExtended() const { return extended || id > 0x7FF; }
    bool sameAs(const CanFrame &other) const
    {
        return timeUs == other.timeUs && id == other.id && direction == other.direction &&
               isExtended() == other.isExtended() && length == other.length &&
               std::memcmp(data, other.data, length) == 0;
    }
};

Q_DECLARE_METATYPE(CanFrame)
