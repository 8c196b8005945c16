#pragma once

#include "boxcommands.h"
#include "boxoperation.h"
#include "canreporting.h"
#include "canrxthread.h"
#include "devicelink.h"
#include "devicethread.h"

#include <QObject>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <optional>

// What opening the box and its handshake on the device thread came to.
struct ConnectAttempt
{
    LinkOpenResult opened;
    // Only once the box was opened.
    std::optional<Handshake> handshake;
};
Q_DECLARE_METATYPE(ConnectAttempt)

// What the window tells the session about the box's plug.
enum class PlugFact
{
    Arrived,
    // The settle delay after an arrival is over.
    Settled,
    // The window has started with a box already plugged in.
    PresentAtStart,
    Removed,
};

// The box work a plug fact asks for.
enum class PlugWork
{
    None,
    // Let the box settle first, then connect.
    Settle,
    Connect,
    // Only a re-open tells whether it was this box that went.
    Reopen,
    // The upgrade holds the link; the removal counts once it is over.
    LeaveToUpgrade,
};

struct PlugState
{
    bool autoConnect = false;
    bool connected = false;
    bool upgrading = false;
};

// The session's rule for plug facts.
PlugWork plugWork(PlugFact fact, const PlugState &state);

// Who needs the box's frames. Reporting runs while any of them does, so that
// a view or a sender never freezes because another tab is shown.
enum class ReportingReason : unsigned
{
    CanTab = 1u << 0,
    // Receiving on every tab (can_rx_always).
    Always = 1u << 1,
    TraceWindow = 1u << 2,
    PlotWindow = 1u << 3,
    PeriodicSend = 1u << 4,
    Replay = 1u << 5,
};

// The reasons that hold now, one bit each.
using ReportingReasons = unsigned;

inline ReportingReasons withReason(ReportingReasons reasons, ReportingReason reason, bool holds)
{
    return holds ? reasons | unsigned(reason) : reasons & ~unsigned(reason);
}

inline bool reportingWanted(ReportingReasons reasons)
{
    return reasons != 0;
}

// Needed whatever tab is shown.
inline bool reportingWantedOffCanTab(ReportingReasons reasons)
{
    return reportingWanted(withReason(reasons, ReportingReason::CanTab, false));
}

// A window's use of the box: its box work, one operation after another on
// one device thread, and the box's CAN reporting with the sink its frames go
// to, the receive thread. Results come back on the session's thread, never
// while it waits.
class BoxSession : public QObject
{
    Q_OBJECT
public:
    BoxSession(DeviceLink &link, CanRxThread &receiver, QObject *parent = nullptr);
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
    // Opens the box `which` names (the first one found when it names none)
    // and runs the handshake.
    void connectBox(const BoxSelector &which, std::function<void(const ConnectAttempt &)> done);
    // The connect button: the chosen box opened and its handshake run;
    // connectedByHand tells what came of it, then an opened box gets its
    // reporting back.
    void connectByHand(const BoxSelector &which);
    // The boxes plugged in, listed on the device thread.
    void listBoxes(std::function<void(const std::vector<BoxInfo> &)> done);
    // Which of the boxes plugged in an automatic connection takes; none (an
    // empty optional) leaves the link alone. Without one, the first box.
    using AutoChoice = std::function<std::optional<BoxSelector>(const std::vector<BoxInfo> &)>;
    void setAutoChoice(AutoChoice choose) { m_autoChoice = std::move(choose); }
    // Opens the box chosen last again: whether it is still there.
    void reopen(std::function<void(bool)> done);
    // The box is gone: the link no longer counts as connected, and only a new
    // handshake makes the box accepted again.
    void forgetBox();
    // Switches the box's reporting, `then` once it has answered or timed out.
    void switchReporting(bool on, std::function<void()> then);
    // Whether an upgrade holds the link; the plug facts leave such a link alone.
    void setUpgradeCheck(std::function<bool()> upgrading);
    // A box was plugged in: with automatic connection on and no box
    // connected, it is connected once it has settled (autoConnected).
    void plugArrived(bool autoConnect);
    // A box already plugged in at start is connected without settling.
    void connectPresentBox(bool autoConnect);
    // A box was pulled out: boxGone when it was this one, removedDuringUpgrade
    // while an upgrade holds the link.
    void plugRemoved();

    // Another tab is shown. Without plug events a re-open tells first whether
    // the box is still there (boxLost); then reportingDue.
    void showTab(bool canTab, bool plugEventsKnown);
    // What the window shows: the CAN tab, and whether receiving runs on
    // every tab. Changing them switches nothing; applyReporting() does.
    void setCanTabShown(bool shown)
    {
        m_reasons = withReason(m_reasons, ReportingReason::CanTab, shown);
    }
    void setReceiveAlways(bool on)
    {
        m_reasons = withReason(m_reasons, ReportingReason::Always, on);
    }
    // One who needs the frames came or went; the reporting follows at once
    // when that changes whether anyone needs them.
    void setReportingNeeded(ReportingReason reason, bool needed);
    ReportingReasons reportingReasons() const { return m_reasons; }
    bool isReportingWanted() const { return reportingWanted(m_reasons); }
    bool isReceiving() const { return m_receiver.isRunning(); }
    // The receive thread started and then reporting switched on, when the
    // link is connected and no upgrade holds it; nothing while the thread runs.
    void startReceiving();
    void stopReceiving();
    // The receive thread and the box's reporting as the window asks.
    void applyReporting();
    // Before an upgrade takes the link: the box's reporting off with the
    // receive thread reading on until the box has answered, then the thread
    // stopped, then `ready`; at once when nothing is received or no box is
    // connected.
    void pauseForUpgrade(std::function<void()> ready);
    // After an upgrade: receiving on every tab starts again on a link that is
    // still connected.
    void resumeAfterUpgrade();
    // After a connection: a running receive thread gets the box's reporting
    // back; receiving on every tab starts both.
    void resumeReporting();
    // Switches the box's reporting on the device thread, `then` once it has
    // answered or timed out; false, and nothing sent, without a connected
    // link or while an upgrade holds it.
    bool switchReportingIfFree(bool on, std::function<void()> then);
    // Before the window ends: the receive thread stopped, then `stopSending`
    // run, and the box's reporting switched off after the exchange under way
    // if it was on.
    void leaveIdle(const std::function<void()> &stopSending);

    // Work not yet started is dropped; with `reportingOff` the box's reporting
    // goes off after the exchange under way, without anyone waiting for it.
    void end(bool reportingOff);

signals:
    // After every start and every finish of box work.
    void busyChanged(bool busy);
    void connectedByHand(const ConnectAttempt &attempt);
    // An automatic connection opened the box; `present`: it was there at start.
    void autoConnected(const ConnectAttempt &attempt, bool present);
    // The box was pulled out and is forgotten.
    void boxGone();
    void removedDuringUpgrade();
    // A re-open found the box gone; it is forgotten.
    void boxLost();
    // The reporting is to follow the tab shown now.
    void reportingDue();
    // The receive thread started (true) or stopped.
    void receivingChanged(bool receiving);

private:
    PlugState plugState(bool autoConnect) const;
    void connectSettledBox();
    // Lists the boxes, lets the window choose one and connects it, unless
    // one was connected meanwhile.
    void connectChosenBox(bool present);

    bool upgrading() const { return m_upgrading && m_upgrading(); }

    DeviceLink &m_link;
    CanRxThread &m_receiver;
    CanReporting m_reporting;
    // After the reporting: gone first, once its last job is done.
    DeviceThread m_thread;
    int m_work = 0;
    bool m_accepted = false;
    ReportingReasons m_reasons = 0;
    // Tells a tab switch waiting for its re-open whether another came since.
    quint64 m_tabSwitches = 0;
    std::function<bool()> m_upgrading;
    AutoChoice m_autoChoice;
    // The box was plugged in: it is opened once it has settled.
    QTimer m_arrivalSettle;
};
