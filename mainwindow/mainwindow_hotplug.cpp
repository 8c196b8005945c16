#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "config.h"
#include "devicechange.h"
#include "devicelink.h"
#include "hotplugsource.h"
#include "windowlog.h"

#ifdef Q_OS_WIN
#include "devicenotify.h"
#endif

namespace {
// The box needs a moment after the plug event before it can be opened.
constexpr qint64 kArrivalWaitMs = 999;

bool carriesWindowsMessage(const QByteArray &eventType)
{
#ifdef Q_OS_WIN
    Q_UNUSED(eventType);
    return true;
#else
    // Elsewhere the platform's own events pass through the filter too (xcb ones
    // under X11); only Windows messages, as the tests hand them in, are decoded.
    return eventType == "windows_generic_MSG" || eventType == "windows_dispatcher_MSG";
#endif
}
} // namespace

bool MainWindow::nativeEventFilter(const QByteArray &eventType, void *message, long *result)
{
    if (carriesWindowsMessage(eventType)) {
        const DeviceChange change = decodeDeviceChange(message);
        if (change.kind == DeviceChange::Arrival)
            handleDeviceArrival(change.deviceType, change.physicalVolume);
        else if (change.kind == DeviceChange::Removal)
            handleDeviceRemoval(change.deviceType, change.physicalVolume);
    }
    // Never consumes: the message goes on its normal way.
    return QMainWindow::nativeEvent(eventType, message, result);
}

void MainWindow::handleDeviceArrival(int deviceType, bool physicalVolume)
{
    qCDebug(lcWindow) << "my device in: " << deviceType;
    ui->statusbar->showMessage(tr("USB线连接"));
    if (!config()->get(Config::AutoConnect).toBool())
        return;

    DeviceLink *link = DeviceLink::instance();
    // While an upgrade holds the link the box comes back to the transfer, which
    // opens it itself; an open from here would fail anyway.
    if (!link->isConnected() && !upgradeInProgress(false)) {
        qCDebug(lcWindow) << "111111";
        // The window goes on serving events while the box settles.
        m_arrivalSettle.start();
    }

    if (deviceType == DEVICE_TYPE_VOLUME && physicalVolume)
        qCDebug(lcWindow) << "nativeEventFilter"
                          << "u disk come";
}

void MainWindow::openSettledBox()
{
    qCDebug(lcWindow) << "delay stop";
    // Connected by hand, or taken by an upgrade, while the box settled.
    if (DeviceLink::instance()->isConnected() || upgradeInProgress(false))
        return;
    m_session.connectBox(false, [this](const ConnectAttempt &attempt) {
        if (attempt.opened.opened())
            connectAutomatically(attempt);
    });
}

void MainWindow::connectAutomatically(const ConnectAttempt &attempt)
{
    qCDebug(lcWindow) << "222222";
    showHandshake(attempt.handshake.value_or(Handshake::NoAnswerToProbe));
    // Reporting goes back on after the reads, so that it keeps its place on
    // the wire behind them.
    if (!readInformation([this] { resumeCanRx(); }))
        resumeCanRx();
}

void MainWindow::connectPresentBox()
{
    DeviceLink *link = DeviceLink::instance();
    if (!config()->get(Config::AutoConnect).toBool() || link->isConnected() ||
        upgradeInProgress(false))
        return;
    // A box that is there already needs no settling time; one that is not
    // there is no news worth a message.
    m_session.connectBox(false, [this](const ConnectAttempt &attempt) {
        if (!attempt.opened.opened())
            return;
        ui->statusbar->showMessage(tr("USB线连接"));
        connectAutomatically(attempt);
    });
}

void MainWindow::handleDeviceRemoval(int deviceType, bool physicalVolume)
{
    qCDebug(lcWindow) << "my device out: " << deviceType;

    if (upgradeInProgress(false)) {
        // The box restarts during an upgrade and the transfer reopens it; the
        // removal is applied once the transfer is over.
        ui->statusbar->showMessage(tr("USB线断开"));
        m_removedDuringUpgrade = true;
    } else {
        // Only a re-open tells whether it was this box that went.
        m_session.reopen([this](bool reopened) {
            if (reopened)
                return;
            ui->statusbar->showMessage(tr("USB线断开"));
            showDisconnected();
        });
    }

    if (deviceType == DEVICE_TYPE_VOLUME && physicalVolume)
        qCDebug(lcWindow) << "nativeEventFilter"
                          << "u disk remove";
}

void MainWindow::attachHotplugSource(HotplugSource *source)
{
    if (!source)
        return;
    m_plugEvents = source;
    connect(source, &HotplugSource::deviceArrived, this, &MainWindow::handleDeviceArrival);
    connect(source, &HotplugSource::deviceRemoved, this, &MainWindow::handleDeviceRemoval);
}

void MainWindow::registerDeviceNotifications()
{
    m_arrivalSettle.setSingleShot(true);
    m_arrivalSettle.setInterval(int(kArrivalWaitMs));
    connect(&m_arrivalSettle, &QTimer::timeout, this, &MainWindow::openSettledBox);
#ifdef Q_OS_WIN
    // Asking for the handle creates the native window before it is shown.
    m_nativePlugEvents = registerUsbDeviceNotifications(reinterpret_cast<HWND>(winId()));
    if (!m_nativePlugEvents)
        qCDebug(lcWindow) << "register event failed";
#endif
    // Elsewhere the plug events come from a HotplugSource (attachHotplugSource).
}

bool MainWindow::plugEventsKnown() const
{
    return m_nativePlugEvents || !m_plugEvents.isNull();
}
