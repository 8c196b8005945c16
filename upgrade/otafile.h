#pragma once

#include <QMap>
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

// Error texts of the upgrade file, by code (3 open, 4 size, 5 flag).
extern const QMap<int, QString> ota_file_errors;
