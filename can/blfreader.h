#pragma once

#include "tracelines.h"

#include <functional>

class QIODevice;

// Vector's binary logging format, as far as a CAN trace needs it: the file
// header's start time, objects packed into LOG_CONTAINERs (zlib or stored),
// CAN_MESSAGE and CAN_MESSAGE2 read, error and CAN FD frames named, other
// objects passed over.
namespace blf {
constexpr int kFileHeaderBytes = 144;
constexpr int kObjectHeaderBytes = 16;
// A container's header after the object header: method, size unpacked.
constexpr int kContainerHeaderBytes = 16;
// A CAN message's own header (version 1: flags, client, version, time) and body.
constexpr int kMessageHeaderBytes = 32;
constexpr int kMessageBodyBytes = 16;
constexpr quint32 kCanMessage = 1;
constexpr quint32 kCanError = 2;
constexpr quint32 kLogContainer = 10;
constexpr quint32 kCanErrorExt = 73;
constexpr quint32 kCanMessage2 = 86;
constexpr quint32 kCanFdMessage = 100;
constexpr quint32 kCanFdMessage64 = 101;
constexpr quint16 kStored = 0;
constexpr quint16 kZlib = 2;
constexpr quint32 kTimeTenMicros = 1;
constexpr quint32 kTimeNanos = 2;
constexpr quint8 kDirectionSent = 0x01;
constexpr quint8 kRemote = 0x80;
constexpr quint32 kExtendedId = 0x80000000u;
// No object, packed or unpacked, is larger: a bigger one is damage, not held.
constexpr qint64 kMaxObjectBytes = 16 << 20;
} // namespace blf

// Reads the BLF capture in `device` object by object; the first problem is
// named with the byte offset of its object (of its container, for an object
// packed in one). With `stopAtProblem` the reading ends there.
CaptureFile readBlfCapture(QIODevice &device, const CaptureLimits &limits, bool stopAtProblem,
                           const std::function<void(const CanFrame &)> &take);
