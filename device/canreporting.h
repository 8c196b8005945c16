#pragma once

#include "boxcommands.h"

class DeviceLink;
class FrameSink;

// The box's CAN reporting and where its frames go: while this exists the
// frames `link` reads (by the receive loop or by any exchange) go to
// `sink`; switchOn/switchOff ask the box to start or stop reporting.
class CanReporting
{
public:
    CanReporting(DeviceLink &link, FrameSink &sink);
    ~CanReporting();
    CanReporting(const CanReporting &) = delete;
    CanReporting &operator=(const CanReporting &) = delete;

    BoxAck switchOn();
    BoxAck switchOff();
    // Frames stop going to the sink; the destructor does the same.
    void end();

private:
    DeviceLink &m_link;
    FrameSink *m_sink;
};
