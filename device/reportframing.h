#pragma once

#include "canframetype.h"
#include "cmdpacket.h"

#include <cstddef>
#include <cstdint>

constexpr unsigned short LINK_VENDOR_ID = 0x28E9;
constexpr unsigned short LINK_PRODUCT_ID = 0x028F;
// Bytes per output report including the report ID; also the size of every read buffer.
constexpr int LINK_REPORT_LEN = 65;
constexpr uint8_t LINK_FRAME_MARKER = 8;
constexpr int LINK_READ_TIMEOUT_MS = 10000;
// A 64-byte frame holds marker, length, command and at most 61 payload bytes.
constexpr int LINK_MAX_PAYLOAD = 61;
// Raw upgrade reports carry at most one frame's worth of bytes.
constexpr int LINK_MAX_RAW = 64;

// Frames a packet into the 65-byte output report (report ID 0, marker, length,
// command, payload, zeros). Returns false, leaving `report` zeroed, when the
// payload does not fit one frame.
bool encodeCommandReport(const CmdPacket &packet, uint8_t report[LINK_REPORT_LEN]);

// Decodes an input report as read (no report-ID byte). A length byte asking for
// more than the frame holds yields only the bytes the frame holds.
CmdPacket decodeInputReport(const uint8_t *report, size_t length);

// Which reports are CAN frames, for every reader of the link alike: the frame
// command with at least the identifier's two bytes (low byte first); the data
// is what follows. Anything else (a reply, a late one, a report too short for
// an identifier) is no frame: false, `frame` untouched. Fills in all but the
// time.
bool canFrameOfPayload(uint8_t cmd, const uint8_t *payload, int length, CanFrame *frame);
// The same for an input report as read (no report-ID byte), framed as
// decodeInputReport reads it, without making a packet of it.
bool canFrameOfReport(const uint8_t *report, size_t length, CanFrame *frame);
