#pragma once

// The few Windows structures and constants the device-change code reads, for
// builds on other systems. Same field order, sizes and alignment as the
// Windows SDK's, so synthetic messages built with them look like real ones.

#include <cstdint>

using UINT = uint32_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using HWND = void *;
using HANDLE = void *;
using HDEVNOTIFY = void *;

struct POINT
{
    int32_t x;
    int32_t y;
};

struct MSG
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct GUID
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

struct DEV_BROADCAST_HDR
{
    DWORD dbch_size;
    DWORD dbch_devicetype;
    DWORD dbch_reserved;
};

struct DEV_BROADCAST_VOLUME
{
    DWORD dbcv_size;
    DWORD dbcv_devicetype;
    DWORD dbcv_reserved;
    DWORD dbcv_unitmask;
    WORD dbcv_flags;
};

struct DEV_BROADCAST_DEVICEINTERFACE_W
{
    DWORD dbcc_size;
    DWORD dbcc_devicetype;
    DWORD dbcc_reserved;
    GUID dbcc_classguid;
    char16_t dbcc_name[1]; // WCHAR is 16 bits on Windows
};

constexpr UINT WM_DEVICECHANGE = 0x0219;

constexpr WPARAM DBT_DEVNODES_CHANGED = 0x0007;
constexpr WPARAM DBT_DEVICEARRIVAL = 0x8000;
constexpr WPARAM DBT_DEVICEREMOVECOMPLETE = 0x8004;

constexpr DWORD DBT_DEVTYP_OEM = 0x0000;
constexpr DWORD DBT_DEVTYP_VOLUME = 0x0002;
constexpr DWORD DBT_DEVTYP_PORT = 0x0003;
constexpr DWORD DBT_DEVTYP_DEVICEINTERFACE = 0x0005;
constexpr DWORD DBT_DEVTYP_HANDLE = 0x0006;

constexpr WORD DBTF_MEDIA = 0x0001;
constexpr WORD DBTF_NET = 0x0002;

constexpr DWORD DEVICE_NOTIFY_WINDOW_HANDLE = 0x00000000;
