#pragma once

#include "simbox.h"
#include "simhidbackend.h"

#include <QString>
#include <QTimer>

class DeviceLink;

// A simulated box installed as `link`'s HID backend while this exists, on a
// fresh link; removing it leaves the link fresh again with the real library.
class SimSession
{
public:
    explicit SimSession(DeviceLink &link);
    ~SimSession();
    SimSession(const SimSession &) = delete;
    SimSession &operator=(const SimSession &) = delete;

    // Makes the box misbehave as VOTKBOX_SIMULATE asks: "silent" (no reply,
    // without sitting out the time-outs), "absent" (not plugged in),
    // "unplug-during-upgrade" (pulled out partway through an image); any other
    // text leaves it well.
    void applyFaultMode(const QString &mode);

    SimBox box;
    SimHidBackend backend{box};

private:
    DeviceLink &m_link;
    QTimer m_pull;
};
