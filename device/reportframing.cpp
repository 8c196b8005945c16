#include "reportframing.h"

#include "commands.h"

#include <algorithm>
#include <cstring>

bool encodeCommandReport(const CmdPacket &packet, uint8_t report[LINK_REPORT_LEN])
{
    std::memset(report, 0, LINK_REPORT_LEN);
    const QVector<uint8_t> payload = packet.getPayload();
    if (payload.size() > LINK_MAX_PAYLOAD)
        return false;
    report[0] = 0x00;
    report[1] = LINK_FRAME_MARKER;
    report[2] = static_cast<uint8_t>((payload.size() + 2) & 0xFF);
    report[3] = packet.getCmd();
    std::copy(payload.cbegin(), payload.cend(), report + 4);
    return true;
}

CmdPacket decodeInputReport(const uint8_t *report, size_t length)
{
    // Decode as if the frame were zero-padded to its full 64 bytes.
    const size_t frameLen = LINK_REPORT_LEN - 1;
    auto byteAt = [&](size_t i) -> uint8_t { return i < length ? report[i] : 0; };
    const int lengthByte = byteAt(1);
    const uint8_t cmd = byteAt(2);

    QVector<uint8_t> payload;
    if (lengthByte > 2) {
        const size_t n = std::min<size_t>(lengthByte - 2, frameLen - 3);
        payload.reserve(int(n));
        for (size_t i = 0; i < n; ++i)
            payload.append(byteAt(3 + i));
    }
    CmdPacket packet;
    packet.setPayload(payload);
    packet.setCmd(cmd);
    return packet;
}

bool canFrameOfPayload(uint8_t cmd, const uint8_t *payload, int length, CanFrame *frame)
{
    if (cmd != CMD_CAN_FRAME || length < 2)
        return false;
    frame->id = uint16_t(payload[0] | payload[1] << 8);
    frame->setData(payload + 2, length - 2);
    frame->direction = CanDirection::Received;
    return true;
}

bool canFrameOfReport(const uint8_t *report, size_t length, CanFrame *frame)
{
    // The same zero-padded frame decodeInputReport reads.
    uint8_t padded[LINK_REPORT_LEN - 1] = {};
    std::memcpy(padded, report, std::min(length, sizeof padded));
    const int lengthByte = padded[1];
    const int payloadLength = std::min(lengthByte - 2, LINK_MAX_PAYLOAD);
    return canFrameOfPayload(padded[2], padded + 3, payloadLength, frame);
}
