#pragma once

#include "canframetype.h"

#include <QVector>

// Takes the CAN frames the link reads, in the order they came, whichever
// thread read them. The link hands over frames only (see canFrameOfReport),
// as many as one turn read. Called with the link's lock held: hand the frames
// on and return; never call back into the link.
class FrameSink
{
public:
    virtual ~FrameSink() = default;
    virtual void framesRead(const QVector<CanFrame> &frames) = 0;
    // A CAN frame the tool has just written to the box, under the same lock,
    // so that it takes its place among the frames read. Ignored by default.
    virtual void frameSent(const CanFrame &) {}
};
