#pragma once

// What a Windows device-change message says about a USB plug event.
struct DeviceChange
{
    enum Kind
    {
        None,    // not a device arrival or removal: leave the message alone
        Arrival, // DBT_DEVICEARRIVAL
        Removal, // DBT_DEVICEREMOVECOMPLETE
    };
    Kind kind = None;
    // dbch_devicetype of the broadcast header (5 device interface, 2 volume).
    int deviceType = 0;
    // A volume whose dbcv_flags are 0: neither removable media nor network.
    bool physicalVolume = false;
};

// Device types as Windows numbers them.
constexpr int DEVICE_TYPE_VOLUME = 2;
constexpr int DEVICE_TYPE_INTERFACE = 5;

// Decodes a native Windows MSG; null, any other message or event code gives None.
DeviceChange decodeDeviceChange(const void *message);
