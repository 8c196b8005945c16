#include "boxsession.h"

#include "devicelog.h"

#include <memory>

namespace {
// The box needs a moment after the plug event before it can be opened.
constexpr int kArrivalWaitMs = 999;
} // namespace

PlugWork plugWork(PlugFact fact, const PlugState &state)
{
    switch (fact) {
    case PlugFact::Arrived:
    case PlugFact::PresentAtStart:
        if (!state.autoConnect)
            return PlugWork::None;
        [[fallthrough]];
    case PlugFact::Settled:
        // Connected by hand meanwhile, or taken by an upgrade: while it holds
        // the link the box comes back to the transfer, which opens it itself.
        if (state.connected || state.upgrading)
            return PlugWork::None;
        return fact == PlugFact::Arrived ? PlugWork::Settle : PlugWork::Connect;
    case PlugFact::Removed:
        return state.upgrading ? PlugWork::LeaveToUpgrade : PlugWork::Reopen;
    }
    return PlugWork::None;
}

BoxSession::BoxSession(DeviceLink &link, CanRxThread &receiver, QObject *parent)
    : QObject(parent), m_link(link), m_receiver(receiver), m_reporting(link, receiver),
      m_arrivalSettle(this)
{
    m_arrivalSettle.setSingleShot(true);
    m_arrivalSettle.setInterval(kArrivalWaitMs);
    connect(&m_arrivalSettle, &QTimer::timeout, this, &BoxSession::connectSettledBox);
}

BoxSession::~BoxSession() = default;

void BoxSession::run(BoxOperation::Work work, std::function<void(const QVariant &)> done)
{
    auto *operation = new BoxOperation(m_thread, std::move(work), this);
    connect(operation, &BoxOperation::finished, this,
            [this, operation, done](const QVariant &result) {
                operation->deleteLater();
                --m_work;
                emit busyChanged(isBusy());
                // An ended session left the box idle: nothing more goes to it.
                if (hasEnded())
                    return;
                if (done)
                    done(result);
            });
    ++m_work;
    emit busyChanged(true);
    operation->start();
}

void BoxSession::connectBox(const BoxSelector &which,
                            std::function<void(const ConnectAttempt &)> done)
{
    run(
        [which, link = &m_link](const DeviceThread &thread) {
            ConnectAttempt attempt;
            attempt.opened = link->openBox(which);
            // A session that is ending takes no more of the box's time.
            if (attempt.opened.opened() && !thread.stopRequested())
                attempt.handshake = BoxCommands::connect(*link);
            return QVariant::fromValue(attempt);
        },
        [this, done](const QVariant &result) {
            const ConnectAttempt attempt = result.value<ConnectAttempt>();
            // A box opened afresh counts as accepted only by its handshake.
            if (attempt.opened.opened())
                m_accepted = attempt.handshake == Handshake::Ok;
            done(attempt);
        });
}

void BoxSession::connectByHand(const BoxSelector &which)
{
    connectBox(which, [this](const ConnectAttempt &attempt) {
        emit connectedByHand(attempt);
        if (attempt.opened.opened())
            resumeReporting();
    });
}

void BoxSession::listBoxes(std::function<void(const std::vector<BoxInfo> &)> done)
{
    // Filled on the device thread before its result comes back here.
    auto found = std::make_shared<std::vector<BoxInfo>>();
    run(
        [found, link = &m_link](const DeviceThread &) {
            *found = link->boxes();
            return QVariant();
        },
        [found, done](const QVariant &) { done(*found); });
}

void BoxSession::reopen(std::function<void(bool)> done)
{
    run([link = &m_link](const DeviceThread &) { return QVariant(link->open() == 0); },
        [done](const QVariant &reopened) { done(reopened.toBool()); });
}

void BoxSession::switchReporting(bool on, std::function<void()> then)
{
    run(
        [reporting = &m_reporting, on](const DeviceThread &) {
            if (on)
                reporting->switchOn();
            else
                reporting->switchOff();
            return QVariant();
        },
        [then](const QVariant &) {
            if (then)
                then();
        });
}

void BoxSession::forgetBox()
{
    m_accepted = false;
    m_link.forgetBox();
}

void BoxSession::setUpgradeCheck(std::function<bool()> upgrading)
{
    m_upgrading = std::move(upgrading);
}

PlugState BoxSession::plugState(bool autoConnect) const
{
    return {autoConnect, m_link.isConnected(), upgrading()};
}

void BoxSession::plugArrived(bool autoConnect)
{
    if (plugWork(PlugFact::Arrived, plugState(autoConnect)) != PlugWork::Settle)
        return;
    qCDebug(lcDevice) << "111111";
    // The window goes on serving events while the box settles.
    m_arrivalSettle.start();
}

void BoxSession::connectSettledBox()
{
    qCDebug(lcDevice) << "delay stop";
    if (plugWork(PlugFact::Settled, plugState(true)) != PlugWork::Connect)
        return;
    connectChosenBox(false);
}

void BoxSession::connectChosenBox(bool present)
{
    listBoxes([this, present](const std::vector<BoxInfo> &boxes) {
        std::optional<BoxSelector> which;
        if (m_autoChoice)
            which = m_autoChoice(boxes);
        else if (!boxes.empty())
            which = BoxSelector{boxes.front().path, boxes.front().serialNumber};
        // Asking may have taken a while: a box connected meanwhile stays, and
        // a session ended meanwhile takes nothing more.
        if (!which || hasEnded() ||
            plugWork(PlugFact::Settled, plugState(true)) != PlugWork::Connect)
            return;
        connectBox(*which, [this, present](const ConnectAttempt &attempt) {
            if (attempt.opened.opened())
                emit autoConnected(attempt, present);
        });
    });
}

void BoxSession::connectPresentBox(bool autoConnect)
{
    if (plugWork(PlugFact::PresentAtStart, plugState(autoConnect)) != PlugWork::Connect)
        return;
    // A box that is there already needs no settling time.
    connectChosenBox(true);
}

void BoxSession::plugRemoved()
{
    if (plugWork(PlugFact::Removed, plugState(false)) == PlugWork::LeaveToUpgrade) {
        emit removedDuringUpgrade();
        return;
    }
    reopen([this](bool reopened) {
        if (reopened)
            return;
        forgetBox();
        emit boxGone();
    });
}

bool BoxSession::switchReportingIfFree(bool on, std::function<void()> then)
{
    if (!m_link.isConnected() || upgrading())
        return false;
    switchReporting(on, std::move(then));
    return true;
}

void BoxSession::startReceiving()
{
    // The receive thread never reads a link the upgrade holds.
    if (upgrading() || !m_link.isConnected() || m_receiver.isRunning())
        return;
    // The thread reads before the box starts reporting: the frames that follow
    // its answer find a reader at once instead of filling the host's queue
    // while a thread starts. Replies are read only by the exchange that asked.
    // A tab change meanwhile queues its own switch after this one.
    m_receiver.start(QThread::InheritPriority);
    emit receivingChanged(true);
    if (!switchReportingIfFree(true, nullptr))
        stopReceiving();
}

void BoxSession::stopReceiving()
{
    if (!m_receiver.isRunning())
        return;
    m_receiver.stop();
    emit receivingChanged(false);
}

void BoxSession::setReportingNeeded(ReportingReason reason, bool needed)
{
    const bool before = isReportingWanted();
    m_reasons = withReason(m_reasons, reason, needed);
    // A tab switch applies its own; an upgrade resumes by itself once over.
    if (isReportingWanted() != before && !upgrading() && !hasEnded())
        applyReporting();
}

void BoxSession::applyReporting()
{
    if (isReportingWanted()) {
        startReceiving();
        return;
    }
    // The receive thread reads on until the box has answered "reporting off":
    // the frames still on their way would otherwise fill the host's queue.
    const bool switching = switchReportingIfFree(false, [this] {
        if (!isReportingWanted()) {
            stopReceiving();
            return;
        }
        // The tab came back while the box answered: the thread still runs,
        // the box needs its reporting again.
        if (m_receiver.isRunning())
            switchReportingIfFree(true, nullptr);
        else
            startReceiving();
    });
    if (!switching)
        stopReceiving();
}

void BoxSession::pauseForUpgrade(std::function<void()> ready)
{
    // The window counts the upgrade as under way already, so the switch goes
    // past the upgrade check.
    if (m_receiver.isRunning() && m_link.isConnected()) {
        // Frames still on their way are read until the box has answered.
        switchReporting(false, [this, ready] {
            stopReceiving();
            if (ready)
                ready();
        });
        return;
    }
    stopReceiving();
    if (ready)
        ready();
}

void BoxSession::resumeAfterUpgrade()
{
    if (isReportingWanted())
        startReceiving();
}

void BoxSession::resumeReporting()
{
    // A box that was pulled out lost its CAN reporting while the thread ran on.
    if (m_receiver.isRunning())
        switchReportingIfFree(true, nullptr);
    else if (reportingWantedOffCanTab(m_reasons))
        startReceiving();
}

void BoxSession::leaveIdle(const std::function<void()> &stopSending)
{
    // A box left reporting would flood the next program that opens it.
    const bool reporting = m_receiver.isRunning() || isReportingWanted();
    stopReceiving();
    if (stopSending)
        stopSending();
    // Nobody waits for it: the device thread switches reporting off after the
    // exchange under way, and the session's end waits for that.
    end(reporting && m_link.isConnected() && !upgrading());
}

void BoxSession::showTab(bool canTab, bool plugEventsKnown)
{
    setCanTabShown(canTab);
    // During a transfer the link belongs to the upgrade: switch threads only.
    // A capture that goes on across tabs keeps its handle: frames the box sends
    // while the node is closed reach nobody, and the receive thread's reads
    // already notice a box that has gone.
    // Without plug events the re-open tells whether the box is still there;
    // box work under way finds that out itself and holds the link meanwhile.
    const bool capturing = reportingWantedOffCanTab(m_reasons) && m_receiver.isRunning();
    const bool probe = !plugEventsKnown && !isBusy();
    if (!probe || !m_link.isConnected() || upgrading() || capturing) {
        ++m_tabSwitches;
        emit reportingDue();
        return;
    }
    reopen([this, switchNumber = ++m_tabSwitches](bool reopened) {
        if (!reopened) {
            forgetBox();
            emit boxLost();
        }
        // A later switch has set the reporting for its own tab.
        if (switchNumber == m_tabSwitches)
            emit reportingDue();
    });
}

void BoxSession::end(bool reportingOff)
{
    m_arrivalSettle.stop();
    std::function<void()> off;
    if (reportingOff)
        off = [reporting = &m_reporting] { reporting->switchOff(); };
    m_thread.stop(off);
}
