#pragma once

#include "boxcommands.h"
#include "boxoperation.h"
#include "canreporting.h"
#include "devicelink.h"
#include "devicethread.h"

#include <QObject>
#include <QVariant>

#include <functional>
#include <optional>

class FrameSink;

// What opening the box and its handshake on the device thread came to.
struct ConnectAttempt
{
    LinkOpenResult opened;
    // Only once the box was opened.
    std::optional<Handshake> handshake;
};
Q_DECLARE_METATYPE(ConnectAttempt)

// A window's use of the box: its box work, one operation after another on
// one device thread, and the box's CAN reporting with the sink its frames go
// to. Results come back on the session's thread, never while it waits.
class BoxSession : public QObject
{
    Q_OBJECT
public:
    explicit BoxSession(FrameSink &sink, QObject *parent = nullptr);
    // Waits for no more than the exchange under way (and the last switch of end()).
    ~BoxSession() override;

    DeviceThread &deviceThread() { return m_thread; }
    CanReporting &reporting() { return m_reporting; }
    // Box work started and not yet finished.
    bool isBusy() const { return m_work > 0; }
    bool hasEnded() const { return m_thread.stopRequested(); }
    // The box accepted the handshake and has not been found gone since.
    bool isAccepted() const { return m_accepted; }

    // Runs `work` on the device thread; `done` gets its result unless the
    // session has ended by then.
    void run(BoxOperation::Work work, std::function<void(const QVariant &)> done);
    // Opens the box (by hand: the first one found; otherwise the one chosen
    // last) and runs the handshake.
    void connectBox(bool byHand, std::function<void(const ConnectAttempt &)> done);
    // Opens the box chosen last again: whether it is still there.
    void reopen(std::function<void(bool)> done);
    // The box is gone: the link no longer counts as connected, and only a new
    // handshake makes the box accepted again.
    void forgetBox();
    // Switches the box's reporting, `then` once it has answered or timed out.
    void switchReporting(bool on, std::function<void()> then);
    // Work not yet started is dropped; with `reportingOff` the box's reporting
    // goes off after the exchange under way, without anyone waiting for it.
    void end(bool reportingOff);

signals:
    // After every start and every finish of box work.
    void busyChanged(bool busy);

private:
    CanReporting m_reporting;
    // After the reporting: gone first, once its last job is done.
    DeviceThread m_thread;
    int m_work = 0;
    bool m_accepted = false;
};
