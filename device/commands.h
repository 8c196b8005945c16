#pragma once

#include <cstdint>

// Command codes of the box. Replies carry the same framing.
constexpr uint8_t CMD_GET_WIFI_INFO = 0x00;
constexpr uint8_t CMD_SET_WIFI_INFO = 0x01;
constexpr uint8_t CMD_GET_SOFTWARE_ID = 0x02;
constexpr uint8_t CMD_GET_SOFTWARE_VERSION = 0x03;
constexpr uint8_t CMD_GET_HARDWARE_ID = 0x04;
constexpr uint8_t CMD_CAN_FRAME = 0x05;
constexpr uint8_t CMD_OTA_START = 0x06;
constexpr uint8_t CMD_OTA_FINISH = 0x0A;
constexpr uint8_t CMD_OTA_RESULT = 0x0B;
constexpr uint8_t CMD_PROBE = 0x0C;
constexpr uint8_t CMD_ENTER_USB_MODE = 0x0D;
constexpr uint8_t CMD_CAN_RX_ENABLE = 0x0E;
constexpr uint8_t CMD_GET_CAN_TIME = 0x0F;
constexpr uint8_t CMD_SET_CAN_TIME = 0x10;
constexpr uint8_t CMD_WIFI_FACTORY_RESET = 0x11;
