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
    // A CAN frame the tool has just written to the box, under the same lock,
    // so that it takes its place among the frames read. Ignored by default.
    virtual void frameSent(const CmdPacket &) {}
};
