#pragma once

#include "framesink.h"

#include <QThread>
#include <QVector>

#include <cstdint>

// Reads the CAN frames the box reports while the CAN tab is shown and hands
// each one to the window. Reads in short slices so that a stop is prompt and
// nothing is ever freed under a pending read.
//
// It is also the window's frame sink: frames an exchange reads while
// reporting is on leave through the same signal, so the table sees every
// frame once, in the order the box sent them.
class CanRxThread : public QThread, public FrameSink
{
    Q_OBJECT
public:
    CanRxThread();
    ~CanRxThread() override;

    // Asks the loop to end and waits for it: at most about one read slice.
    void stop();

    // Passes on CAN-frame reports only; other reports (a late reply to
    // someone else's request) are dropped. Off by default; set before start().
    void setFramesOnly(bool on) { m_framesOnly = on; }

    // Emits the frame stamped with the time it was read; any thread, called
    // under the link's lock.
    void frameRead(const CmdPacket &report) override;
    // Emits send_can_tx with the time it was written; any thread, under the
    // link's lock.
    void frameSent(const CmdPacket &frame) override;

signals:
    // `readUs`: when the frame was read (frameReadTimeUs()), not when it is
    // handled, so that frames handled in one batch keep their intervals.
    void send_can_rx(QVector<uint8_t> frame, qint64 readUs);
    // A frame the tool sent, laid out as a received one (ID low, ID high,
    // data), stamped when it was written.
    void send_can_tx(QVector<uint8_t> frame, qint64 sentUs);
    // A read failed after reads that worked: the box is gone (or busy with
    // an upgrade). Sent once per run of failures.
    void sig_read_failed();

protected:
    void run() override;

private:
    bool pauseAfterFailure(int ms);

    bool m_framesOnly = false;
};
