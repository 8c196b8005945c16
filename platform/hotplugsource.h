#pragma once

#include <QObject>

// Something that notices USB devices coming and going and says so in the
// window's terms: the Windows device type (5 device interface, 2 volume) and,
// for volumes, whether it is a physical one (dbcv_flags 0).
class HotplugSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void deviceArrived(int deviceType, bool physicalVolume);
    void deviceRemoved(int deviceType, bool physicalVolume);
};

// The system's own source, owned by `parent`: the udev monitor on Linux. Null
// where the window's native event filter gets the events (Windows) or when
// udev cannot be watched.
HotplugSource *createSystemHotplugSource(QObject *parent);
