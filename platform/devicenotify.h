#pragma once

#include "win32msg.h"

// The filter record handed to RegisterDeviceNotificationW: every USB device
// interface (GUID_DEVINTERFACE_USB_DEVICE), no name.
DEV_BROADCAST_DEVICEINTERFACE_W usbInterfaceFilter();

// {A5DCBF10-6530-11D2-901F-00C04FB951ED}
constexpr GUID USB_DEVICE_INTERFACE_GUID = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

#ifdef _WIN32
// Asks Windows to send the window USB device-interface arrivals and removals.
// False when the registration gave no handle. The registration lives as long
// as the window.
bool registerUsbDeviceNotifications(HWND window);
#endif
