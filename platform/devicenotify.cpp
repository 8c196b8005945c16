#include "devicenotify.h"

#include <cstring>

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32, "filter record size");
static_assert(sizeof(GUID) == 16, "GUID size");

DEV_BROADCAST_DEVICEINTERFACE_W usbInterfaceFilter()
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    // All of it, padding and the name included, so the record is byte-exact.
    std::memset(&filter, 0, sizeof(filter));
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_reserved = 0;
    filter.dbcc_classguid = USB_DEVICE_INTERFACE_GUID;
    return filter;
}
