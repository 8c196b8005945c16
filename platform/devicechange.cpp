#include "devicechange.h"

#include "win32msg.h"

#include <cstddef>

// The decoder reads these fields by their Windows offsets; our look-alike
// types must match the SDK's, and the SDK's are checked by the cross build.
static_assert(offsetof(DEV_BROADCAST_HDR, dbch_devicetype) == 4, "header layout");
static_assert(offsetof(DEV_BROADCAST_VOLUME, dbcv_flags) == 16, "volume layout");
static_assert(sizeof(DEV_BROADCAST_VOLUME) == 20, "volume size");
static_assert(offsetof(MSG, message) == sizeof(void *), "MSG layout");
static_assert(offsetof(MSG, wParam) == 2 * sizeof(void *), "MSG layout");
static_assert(offsetof(MSG, lParam) == 3 * sizeof(void *), "MSG layout");

static_assert(DEVICE_TYPE_VOLUME == DBT_DEVTYP_VOLUME, "device type numbers");
static_assert(DEVICE_TYPE_INTERFACE == DBT_DEVTYP_DEVICEINTERFACE, "device type numbers");

DeviceChange decodeDeviceChange(const void *message)
{
    DeviceChange change;
    if (!message)
        return change;
    const MSG *msg = static_cast<const MSG *>(message);
    if (msg->message != WM_DEVICECHANGE)
        return change;
    if (msg->wParam != DBT_DEVICEARRIVAL && msg->wParam != DBT_DEVICEREMOVECOMPLETE)
        return change;
    // Both events always carry a broadcast header; a message without one is
    // not a plug event we can say anything about.
    const auto *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(msg->lParam);
    if (!header)
        return change;
    change.kind = msg->wParam == DBT_DEVICEARRIVAL ? DeviceChange::Arrival : DeviceChange::Removal;
    change.deviceType = int(header->dbch_devicetype);
    if (header->dbch_devicetype == DBT_DEVTYP_VOLUME) {
        const auto *volume = reinterpret_cast<const DEV_BROADCAST_VOLUME *>(header);
        change.physicalVolume = volume->dbcv_flags == 0;
    }
    return change;
}
