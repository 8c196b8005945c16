#pragma once

#include "simbox.h"
#include "simhidbackend.h"

#include <QString>
#include <QTimer>

#include <memory>

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
    // "unplug-during-upgrade" (pulled out partway through an image),
    // "two-boxes" (a second, well box plugged in too, addSecondBox()); any
    // other text leaves it well.
    void applyFaultMode(const QString &mode);

    // A second box beside the first, serial number "0002", at the backend's
    // second path; the same one on every call.
    SimBox &addSecondBox();
    // The second box, null until added.
    SimBox *secondBox() const { return m_second.get(); }

    SimBox box;
    SimHidBackend backend{box};

private:
    DeviceLink &m_link;
    QTimer m_pull;
    std::unique_ptr<SimBox> m_second;
};
