#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "canrxmodel.h"
#include "cantab.h"
#include "cantracewindow.h"
#include "config.h"
#include "configfile.h"
#include "devicelink.h"
#include "frameclock.h"
#include "infotab.h"
#include "loadeddbc.h"
#include "messagebox.h"
#include "settingdialog.h"
#include "windowlog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QTime>

#include <cstdio>
#include <utility>

namespace {
// The tabs in the order of the form.
constexpr int kInfoTab = 0;
constexpr int kCanTab = 1;
constexpr int kUpgradeTab = 2;
} // namespace

MainWindow::MainWindow(DeviceLink &link, QWidget *parent)
    : QMainWindow(parent), QAbstractNativeEventFilter(), m_link(link), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    // Named children, so that tools (and tests) looking at the object tree
    // find the workers as they find the widgets.
    m_canRx.setParent(this);
    m_canRx.setObjectName(QStringLiteral("canRxThread"));
    m_ota.setParent(this);
    m_ota.setObjectName(QStringLiteral("otaHandle"));
    m_session.setParent(this);
    m_session.setObjectName(QStringLiteral("boxSession"));
    connect(&m_session, &BoxSession::busyChanged, this, &MainWindow::setBoxBusy);
    connect(&m_session, &BoxSession::connectedByHand, this, &MainWindow::showConnectAttempt);
    m_session.setCanTabShown(ui->tabWidget->currentIndex() == kCanTab);
    connect(&m_session, &BoxSession::reportingDue, this,
            [this] { applyTabReporting(ui->tabWidget->currentIndex()); });
    connect(&m_session, &BoxSession::receivingChanged, this, &MainWindow::showReceivingPaused);
    // Found gone by a tab switch's re-open: no plug event to show.
    connect(&m_session, &BoxSession::boxLost, this, &MainWindow::showDisconnected);
    m_session.setReceiveAlways(config()->get(Config::CanRxAlways).toBool());
    connect(config(), &Config::changed, this, [this](Config::Key key) {
        if (key == Config::CanRxAlways)
            m_session.setReportingNeeded(ReportingReason::Always,
                                         config()->get(Config::CanRxAlways).toBool());
        if (key == Config::AutoConnect)
            showBoxState();
    });

    // Queued even from the GUI thread: frames an exchange reads there must
    // queue up behind the ones the receive thread has already handed over.
    // Sent frames take the same queue, so they keep their place among the
    // received.
    connect(&m_canRx, &CanRxThread::send_can_rx, this, &MainWindow::receive_can_rx,
            Qt::QueuedConnection);

    qCDebug(lcWindow).noquote() << QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"));

    // Settings that cannot be saved still apply to this run; say so once.
    setConfigWriteWarning([this] {
        const QString text =
            tr("配置文件 %1 无法写入，设置只在本次运行中有效").arg(configFilePath());
        ui->statusbar->showMessage(text);
        std::fprintf(stderr, "votkbox: %s\n", text.toLocal8Bit().constData());
    });

    m_boxState = new QLabel(this);
    m_boxState->setObjectName(QStringLiteral("label_box_state"));
    ui->statusbar->addPermanentWidget(m_boxState);
    showBoxState();
    setUpInfoTab();
    ui->tab_can->setUp(m_link);
    // A sender runs on when its tab is left; so does the capture of its frames.
    connect(ui->tab_can, &CanTab::sendersRunning, this, [this](bool periodic, bool replay) {
        m_session.setReportingNeeded(ReportingReason::PeriodicSend, periodic);
        m_session.setReportingNeeded(ReportingReason::Replay, replay);
    });
    ui->tab_can->setLinkChecks([this] { return check_connected(); },
                               [this] { return upgradeInProgress(true); });
    setUpUpgradeTab();
    setUpRecording();

    registerDeviceNotifications();
    const auto showDbcLoaded = [this] {
        ui->action_unload_dbc->setEnabled(loadedDbc()->database() != nullptr);
    };
    connect(loadedDbc(), &LoadedDbc::changed, this, showDbcLoaded);
    showDbcLoaded();
    // The databases of the last run; their status shows once, here.
    const QStringList dbcFiles = config()->get(Config::DbcFiles).toStringList();
    if (!dbcFiles.isEmpty())
        loadDbcFiles(dbcFiles, false);

    qCDebug(lcWindow) << "w init down";
}

MainWindow::~MainWindow()
{
    setConfigWriteWarning(nullptr);
    // Views that go with the window (the plot windows go after its members)
    // no longer tell the session they went.
    for (const QPointer<QWidget> &view : m_reportingViews)
        if (view)
            disconnect(view, &QObject::destroyed, this, nullptr);
    // Waits for no more than the exchange under way.
    stopBoxWork();
    // The trace window views the window's rows: it goes before they do.
    delete m_traceWindow;
    // The receive thread delivers into the form: stop it before the form goes.
    stopCanRx();
    stopPeriodicRows();
    m_session.reporting().end();
    delete ui;
}

void MainWindow::stopBoxWork()
{
    m_session.end(false);
}

void MainWindow::receive_can_rx(QVector<CanFrame> frames)
{
    ui->tab_can->receive_can_rx(std::move(frames));
}

void MainWindow::stopPeriodicRows()
{
    ui->tab_can->stopPeriodicRows();
}

void MainWindow::stopCanRx()
{
    m_session.stopReceiving();
}

void MainWindow::startCanRx(bool tellUser)
{
    if (tellUser && upgradeInProgress(true))
        return;
    m_session.startReceiving();
}

void MainWindow::resumeCanRx()
{
    m_session.resumeReporting();
}

void MainWindow::on_tabWidget_currentChanged(int index)
{
    qCDebug(lcWindow).nospace() << "tab_changed " << index;
    m_session.showTab(index == kCanTab, plugEventsKnown());
}

void MainWindow::showReceivingPaused(bool receiving)
{
    QString reason;
    if (!receiving) {
        if (upgradeInProgress(false))
            reason = tr("正在升级固件");
        else if (!m_link.isConnected())
            reason = tr("盒子未连接");
        else
            reason = tr("CAN 页未显示");
    }
    ui->tab_can->rows()->setReceivingPaused(reason, frameReadTimeUs());
}

void MainWindow::needReportingWhileOpen(QWidget *view, ReportingReason reason)
{
    int &open = m_openViews[unsigned(reason)];
    if (++open == 1)
        m_session.setReportingNeeded(reason, true);
    m_reportingViews.removeAll(QPointer<QWidget>());
    m_reportingViews.append(view);
    connect(view, &QObject::destroyed, this, [this, reason] {
        if (--m_openViews[unsigned(reason)] == 0)
            m_session.setReportingNeeded(reason, false);
    });
}

void MainWindow::applyTabReporting(int index)
{
    // The session decides; the window only words an upgrade in the way.
    if (m_session.isReportingWanted()) {
        startCanRx(index == kCanTab);
        return;
    }
    if (m_session.isReceiving())
        qCDebug(lcWindow) << (index == kInfoTab ? "thread 0" : "thread 2");
    m_session.applyReporting();
}

void MainWindow::leaveBoxIdle()
{
    m_session.leaveIdle([this] { stopPeriodicRows(); });
}

void MainWindow::on_action_exit_triggered()
{
    if (upgradeInProgress(true))
        return;
    leaveBoxIdle();
    QCoreApplication::exit(111);
}

void MainWindow::closeWhenIdle()
{
    if (upgradeInProgress(false)) {
        m_closeAfterUpgrade = true;
        return;
    }
    // The request ends the program, not only the window: the exit also ends
    // the event loops of a modal dialog or a menu still open.
    if (close())
        QCoreApplication::exit(0);
}

void MainWindow::closeDialogs()
{
    // A modal dialog runs an event loop of its own, and the settings dialog,
    // a window of its own, would keep the program running after this one.
    for (QWidget *top : QApplication::topLevelWidgets()) {
        auto *dialog = qobject_cast<QDialog *>(top);
        if (dialog && dialog->isVisible())
            dialog->reject();
    }
}

void MainWindow::on_action_about_triggered()
{
    MessageBox::about(this, tr("关于"), tr("VOTK-Tarnwell 1.2"));
}

void MainWindow::on_actionsetting_triggered()
{
    auto *d = new SettingDialog(m_link, nullptr, &m_session.deviceThread());
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->show();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Cutting a transfer off can leave the box without firmware.
    if (upgradeInProgress(true)) {
        event->ignore();
        return;
    }
    // Once, however many requests to end come.
    if (!std::exchange(m_ended, true)) {
        ui->tab_info->end();
        leaveBoxIdle();
        closeDialogs();
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::on_action_trace_window_triggered()
{
    // One large view of the live frames; asking again brings it forward.
    if (!m_traceWindow) {
        m_traceWindow = new CanTraceWindow(ui->tab_can->rows(), ui->tab_can->ids(), this);
        connect(m_traceWindow, &CanTraceWindow::sendFrameRequested, ui->tab_can,
                &CanTab::addTransmitFrame);
        needReportingWhileOpen(m_traceWindow, ReportingReason::TraceWindow);
    }
    m_traceWindow->show();
    m_traceWindow->raise();
    m_traceWindow->activateWindow();
}

void MainWindow::on_action_open_capture_triggered()
{
    if (CanTraceWindow *opened = CanTraceWindow::openCapture(this))
        connect(opened, &CanTraceWindow::sendFrameRequested, ui->tab_can,
                &CanTab::addTransmitFrame);
}
