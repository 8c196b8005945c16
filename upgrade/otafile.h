#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// Layout of an upgrade file: header, firmware image, one checksum byte.
constexpr uint32_t OTA_FILE_SIZE = 230657;
constexpr uint32_t OTA_HEADER_SIZE = 0x500;
constexpr uint32_t OTA_DATA_SIZE = 0x38000;
// The flag "votk" sits 36 bytes before the end of the image.
constexpr uint32_t OTA_FLAG_OFFSET = 0x37FDC;
constexpr uint32_t OTA_BLOCK_SIZE = 0x4000;
constexpr uint32_t OTA_REPORT_DATA = 64;
constexpr uint8_t OTA_RESULT_OK = 0x0E;
constexpr unsigned long OTA_RESTART_PAUSE_MS = 5000;

// CRC-8/MAXIM (Dallas 1-Wire), computed bit by bit.
uint8_t crc8Maxim(const uint8_t *data, size_t length);

// What reading an upgrade file found; the first fault found wins, in this order.
enum class OtaFileStatus
{
    Ok,
    CannotOpen,
    ChecksumMismatch,
    WrongSize, // the file or its total-length field is not OTA_FILE_SIZE bytes
    WrongFlag, // the image does not carry "votk" at OTA_FLAG_OFFSET
};

struct OtaFileRead
{
    OtaFileStatus status = OtaFileStatus::CannotOpen;
    // OTA_DATA_SIZE bytes whenever a file of exactly OTA_FILE_SIZE bytes was
    // read; empty otherwise.
    QByteArray image;
    // The file's total-length field as stored (0 for a file shorter than it).
    uint32_t sizeField = 0;
};

// Reads and checks one upgrade file; only an Ok image may go to the box. A
// path that is no regular file (directory, FIFO, device) is CannotOpen and
// never waited on.
OtaFileRead readOtaFile(const QString &path);
