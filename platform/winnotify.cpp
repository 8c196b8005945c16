// Windows only: the registration for device-interface notifications.
#include "devicenotify.h"

bool registerUsbDeviceNotifications(HWND window)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter = usbInterfaceFilter();
    const HDEVNOTIFY handle =
        RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    return handle != nullptr;
}
