#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "config.h"
#include "devicechange.h"
#include "hotplugsource.h"
#include "infotab.h"
#include "windowlog.h"

#ifdef Q_OS_WIN
#include "devicenotify.h"
#endif

namespace {
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
    const bool autoConnect = config()->get(Config::AutoConnect).toBool();
    m_session.plugArrived(autoConnect);
    if (!autoConnect)
        return;

    if (deviceType == DEVICE_TYPE_VOLUME && physicalVolume)
        qCDebug(lcWindow) << "nativeEventFilter"
                          << "u disk come";
}

void MainWindow::connectAutomatically(const ConnectAttempt &attempt, bool present)
{
    m_boxSerial = attempt.opened.serialNumber;
    if (present)
        ui->statusbar->showMessage(tr("USB线连接"));
    qCDebug(lcWindow) << "222222";
    showHandshake(attempt.handshake.value_or(Handshake::NoAnswerToProbe));
    // Reporting goes back on after the reads, so that it keeps its place on
    // the wire behind them.
    if (!ui->tab_info->readInformation([this] { resumeCanRx(); }))
        resumeCanRx();
}

void MainWindow::connectPresentBox()
{
    m_session.connectPresentBox(config()->get(Config::AutoConnect).toBool());
}

void MainWindow::handleDeviceRemoval(int deviceType, bool physicalVolume)
{
    qCDebug(lcWindow) << "my device out: " << deviceType;
    m_session.plugRemoved();

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
    m_session.setUpgradeCheck([this] { return upgradeInProgress(false); });
    m_session.setAutoChoice(
        [this](const std::vector<BoxInfo> &boxes) { return chooseBox(boxes, false); });
    connect(&m_session, &BoxSession::autoConnected, this, &MainWindow::connectAutomatically);
    // The box went while no upgrade held it, or while one did: the removal
    // then counts once the transfer is over.
    connect(&m_session, &BoxSession::boxGone, this, [this] {
        ui->statusbar->showMessage(tr("USB线断开"));
        showDisconnected();
    });
    connect(&m_session, &BoxSession::removedDuringUpgrade, this, [this] {
        ui->statusbar->showMessage(tr("USB线断开"));
        m_removedDuringUpgrade = true;
    });
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
