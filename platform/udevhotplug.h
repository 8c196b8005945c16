#pragma once

#include "hotplugsource.h"

struct udev;
struct udev_device;
struct udev_monitor;
class QSocketNotifier;

// USB plug events from a libudev monitor, read on the thread that owns the
// object (the GUI thread) whenever the monitor's socket has something.
// A usb_device coming or going is a device interface (type 5); a partition on
// a USB disk is a physical volume (type 2), as Windows reports a flash drive.
class UdevHotplug : public HotplugSource
{
    Q_OBJECT
public:
    explicit UdevHotplug(QObject *parent = nullptr);
    ~UdevHotplug() override;

    // False when udev could not be reached; then nothing is ever reported.
    bool isWatching() const { return m_notifier != nullptr; }

private:
    void readEvents();
    void handleDevice(udev_device *device);
    void release();

    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
};
