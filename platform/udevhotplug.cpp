#include "udevhotplug.h"

#include "devicechange.h"

#include <QSocketNotifier>

#include <libudev.h>

#include <cstring>

namespace {
bool equals(const char *value, const char *expected)
{
    return value && std::strcmp(value, expected) == 0;
}

// A partition whose disk hangs off a USB device: a flash drive or card reader.
// On removal sysfs may already be gone, so the bus udev recorded counts too.
bool isUsbPartition(udev_device *device)
{
    if (equals(udev_device_get_property_value(device, "ID_BUS"), "usb"))
        return true;
    // The parent belongs to the device and is released with it.
    return udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device") != nullptr;
}
} // namespace

UdevHotplug::UdevHotplug(QObject *parent) : HotplugSource(parent)
{
    m_udev = udev_new();
    if (!m_udev)
        return;
    // The "udev" source: events after the rules ran, so device nodes exist
    // and properties such as ID_BUS are set.
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", "usb_device") < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "block", "partition") < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        release();
        return;
    }
    const int fd = udev_monitor_get_fd(m_monitor);
    if (fd < 0) {
        release();
        return;
    }
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UdevHotplug::readEvents);
}

UdevHotplug::~UdevHotplug()
{
    release();
}

void UdevHotplug::release()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    m_monitor = nullptr;
    if (m_udev)
        udev_unref(m_udev);
    m_udev = nullptr;
}

void UdevHotplug::readEvents()
{
    // The monitor socket is non-blocking: take everything that is queued.
    while (m_monitor) {
        udev_device *device = udev_monitor_receive_device(m_monitor);
        if (!device)
            break;
        handleDevice(device);
        udev_device_unref(device);
    }
}

void UdevHotplug::handleDevice(udev_device *device)
{
    const char *action = udev_device_get_action(device);
    const bool added = equals(action, "add");
    if (!added && !equals(action, "remove"))
        return; // bind, unbind, change, ...

    int type = 0;
    bool physicalVolume = false;
    if (equals(udev_device_get_subsystem(device), "usb") &&
        equals(udev_device_get_devtype(device), "usb_device")) {
        type = DEVICE_TYPE_INTERFACE;
    } else if (equals(udev_device_get_subsystem(device), "block") &&
               equals(udev_device_get_devtype(device), "partition") && isUsbPartition(device)) {
        type = DEVICE_TYPE_VOLUME;
        physicalVolume = true;
    } else {
        return;
    }
    if (added)
        emit deviceArrived(type, physicalVolume);
    else
        emit deviceRemoved(type, physicalVolume);
}
