#pragma once

#include <QString>
#include <QVector>

#include <cstdint>
#include <optional>

// Turning reply payloads into values, and values into request payloads.

// Every byte, zero included, becomes the Latin-1 character of the same code.
QString byteText(const QVector<uint8_t> &payload);
// ASCII digits stay; every other byte becomes "0".
QString digitText(const QVector<uint8_t> &payload);
// Bytes 0..3 as a little-endian unsigned 32-bit number; missing bytes count as zero.
quint32 versionNumber(const QVector<uint8_t> &payload);
// A version number as people read it: "66051 (1.2.3)" where its three low
// bytes make one (major at least 1, nothing above), else just the number.
QString versionText(quint32 version);
// Name, comma, password as Latin-1 bytes ('?' for characters outside Latin-1).
QVector<uint8_t> wifiInfoPayload(const QString &name, const QString &password);
// Identifier low byte, high byte, then the data bytes.
QVector<uint8_t> canFramePayload(quint16 id, const QVector<uint8_t> &data);
// The CAN time value sent for a number: its low 8 bits, raised to at least 5.
uint8_t canTimeValue(quint32 number);
// Largest CAN time the box can store (one byte).
constexpr quint32 CAN_TIME_MAX = 255;
// A typed CAN time: decimal digits, spaces around allowed, 0 to CAN_TIME_MAX.
// Anything else (blank, other characters, larger numbers) gives nothing, so
// that no other value goes to the box than the one typed.
std::optional<quint32> canTimeFromText(const QString &text);
