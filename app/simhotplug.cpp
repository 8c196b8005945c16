#include "simhotplug.h"

#include "devicechange.h"
#include "simbox.h"

#include <QKeySequence>
#include <QMetaObject>
#include <QShortcut>
#include <QWidget>

#include <mutex>

// The box may still be calling a copy of the listener while this object goes
// away; the relay outlives it and forgets the target under its lock.
struct SimHotplug::Relay
{
    std::mutex mutex;
    SimHotplug *target = nullptr;
};

SimHotplug::SimHotplug(SimBox &box, QObject *parent)
    : HotplugSource(parent), m_box(box), m_relay(std::make_shared<Relay>())
{
    m_relay->target = this;
    std::shared_ptr<Relay> relay = m_relay;
    m_box.setPlugListener([relay](bool plugged) {
        std::lock_guard<std::mutex> lock(relay->mutex);
        SimHotplug *target = relay->target;
        if (!target)
            return;
        // Queued even on the owner's thread: the box calls this from inside
        // plug()/unplug(), and the handling talks to the box again.
        QMetaObject::invokeMethod(
            target,
            [target, plugged] {
                if (plugged)
                    emit target->deviceArrived(DEVICE_TYPE_INTERFACE, false);
                else
                    emit target->deviceRemoved(DEVICE_TYPE_INTERFACE, false);
            },
            Qt::QueuedConnection);
    });
}

SimHotplug::~SimHotplug()
{
    m_box.setPlugListener({});
    std::lock_guard<std::mutex> lock(m_relay->mutex);
    m_relay->target = nullptr;
}

void SimHotplug::addShortcuts(QWidget *window)
{
    auto *pullOut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+U")), window);
    connect(pullOut, &QShortcut::activated, this, [this] { m_box.unplug(); });
    auto *plugIn = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+P")), window);
    connect(plugIn, &QShortcut::activated, this, [this] { m_box.plug(); });
}
