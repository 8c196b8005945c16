#pragma once

#include "cmdpacket.h"

// Takes the CAN frames the link reads, in the order they came, whichever
// thread read them. Called with the link's lock held: hand the frame on and
// return; never call back into the link.
class FrameSink
{
public:
    virtual ~FrameSink() = default;
    virtual void frameRead(const CmdPacket &report) = 0;
};
