#pragma once

#include "framesink.h"

#include <QThread>
#include <QVector>

#include <cstdint>

class DeviceLink;

// Reads the CAN frames the box reports while the CAN tab is shown and hands
// them to the window, a batch per turn of the read loop. Reads in short
// slices so that a stop is prompt and nothing is ever freed under a pending
// read.
//
// It is also the window's frame sink: frames an exchange reads while
// reporting is on leave through the same signal, so the table sees every
// frame once, in the order the box sent them.
class CanRxThread : public QThread, public FrameSink
{
    Q_OBJECT
public:
    explicit CanRxThread(DeviceLink &link);
    ~CanRxThread() override;

    // Asks the loop to end and waits for it: at most about one read slice.
    void stop();

    // Emits the frames as one batch; any thread, called under the link's lock.
    void framesRead(const QVector<CanFrame> &frames) override;
    // Emits the sent frame in its place among the received; any thread,
    // under the link's lock.
    void frameSent(const CanFrame &frame) override;

signals:
    // Frames in the order read, each stamped when it was read (or, for one
    // the tool sent, written), not when it is handled.
    void send_can_rx(QVector<CanFrame> frames);
    // A read failed after reads that worked: the box is gone (or busy with
    // an upgrade). Sent once per run of failures.
    void sig_read_failed();

protected:
    void run() override;

private:
    bool pauseAfterFailure(int ms);

    DeviceLink &m_link;
};
