#pragma once

#include "hotplugsource.h"

#include <memory>

class SimBox;
class QWidget;

// Plug events of the simulated box: its unplug() and plug() become a removal
// and an arrival of a USB device interface (type 5), delivered on the thread
// that owns this object whichever thread pulled the box out or put it back
// (the box restarts from its own timer after an upgrade).
class SimHotplug : public HotplugSource
{
    Q_OBJECT
public:
    explicit SimHotplug(SimBox &box, QObject *parent = nullptr);
    ~SimHotplug() override;

    // Keyboard shortcuts on `window` to try the hot-plug path by hand:
    // Ctrl+Shift+U pulls the box out, Ctrl+Shift+P plugs it in again.
    void addShortcuts(QWidget *window);

private:
    struct Relay;
    SimBox &m_box;
    std::shared_ptr<Relay> m_relay;
};
