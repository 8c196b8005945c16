#include "boxsession.h"

BoxSession::BoxSession(FrameSink &sink, QObject *parent) : QObject(parent), m_reporting(sink)
{
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

void BoxSession::connectBox(bool byHand, std::function<void(const ConnectAttempt &)> done)
{
    run(
        [byHand](const DeviceThread &thread) {
            DeviceLink *link = DeviceLink::instance();
            ConnectAttempt attempt;
            if (byHand)
                attempt.opened = link->openBox();
            else
                attempt.opened.status =
                    link->open() == 0 ? LinkOpenResult::Opened : LinkOpenResult::NoBox;
            // A session that is ending takes no more of the box's time.
            if (attempt.opened.opened() && !thread.stopRequested())
                attempt.handshake = BoxCommands::connect();
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

void BoxSession::reopen(std::function<void(bool)> done)
{
    run([](const DeviceThread &) { return QVariant(DeviceLink::instance()->open() == 0); },
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
    DeviceLink::instance()->setConnected(false);
}

void BoxSession::end(bool reportingOff)
{
    std::function<void()> off;
    if (reportingOff)
        off = [reporting = &m_reporting] { reporting->switchOff(); };
    m_thread.stop(off);
}
