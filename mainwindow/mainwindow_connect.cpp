#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "boxcommands.h"
#include "devicelink.h"
#include "messagebox.h"
#include "upgradetab.h"
#include "windowlog.h"

void MainWindow::on_pushButton_connect_clicked()
{
    if (upgradeInProgress(true) || m_session.isBusy())
        return;
    qCDebug(lcWindow) << "connect ...";
    m_session.connectByHand();
}

void MainWindow::showConnectAttempt(const ConnectAttempt &attempt)
{
    if (!attempt.opened.opened()) {
        qCDebug(lcWindow) << "device open failed";
        clearBoxValues();
        syncStatusBar(false);
        MessageBox::information(this, tr("信息"), openFailureText(attempt.opened));
        return;
    }
    const Handshake outcome = attempt.handshake.value_or(Handshake::NoAnswerToProbe);
    showHandshake(outcome);
    if (outcome == Handshake::UsbModeRefused)
        MessageBox::information(this, tr("信息"),
                                tr("VOTK连接失败") + QLatin1Char('\n') +
                                    tr("VOTK设备拒绝进入USB模式"));
}

QString MainWindow::openFailureText(const LinkOpenResult &opened)
{
    switch (opened.status) {
    case LinkOpenResult::Opened:
        break;
    case LinkOpenResult::NoBox:
        return tr("VOTK连接失败") + QLatin1Char('\n') + tr("未找到VOTK设备，请检查USB线");
    case LinkOpenResult::NoPermission:
        return tr("VOTK连接失败") + QLatin1Char('\n') +
               tr("没有访问VOTK设备的权限：请安装udev规则 %1，然后重新插拔设备")
                   .arg(QStringLiteral("60-votkbox.rules"));
    case LinkOpenResult::InUse:
        return tr("VOTK设备正被其他程序使用") + QLatin1Char('\n') +
               tr("程序: %1 (PID %2)")
                   .arg(opened.holder.program.isEmpty() ? QStringLiteral("?")
                                                        : opened.holder.program)
                   .arg(opened.holder.pid);
    case LinkOpenResult::LockFailed:
        return tr("无法锁定VOTK设备，未打开设备") + QLatin1Char('\n') + opened.lockFailure;
    }
    return tr("VOTK连接失败");
}

void MainWindow::showHandshake(Handshake outcome)
{
    if (outcome == Handshake::NoAnswerToProbe) {
        clearBoxValues();
        return;
    }
    if (outcome == Handshake::Ok) {
        ui->pushButton_connect->setEnabled(false);
        ui->label_connect_info->setText(tr("VOTK已连接"));
        syncStatusBar(true);
    } else {
        clearBoxValues();
    }
    qCDebug(lcWindow) << "usb mode";
}

bool MainWindow::check_connected()
{
    if (m_link.isConnected())
        return true;
    MessageBox::warning(this, tr("信息"), tr("VOTK未连接"));
    return false;
}

void MainWindow::can_rx_enable(int on)
{
    switchReporting((on & 0xFF) != 0, nullptr);
}

bool MainWindow::switchReporting(bool on, std::function<void()> then)
{
    return m_session.switchReportingIfFree(on, std::move(then));
}

void MainWindow::showDisconnected()
{
    stopPeriodicRows();
    m_session.forgetBox();
    ui->label_connect_info->setText(tr("VOTK已断开"));
    ui->pushButton_connect->setEnabled(!m_session.isBusy());
    clearBoxValues();
    syncStatusBar(false);
}

void MainWindow::clearBoxValues()
{
    // Back to the form's "not read" text: a value of a box that is gone must
    // not pass for the current one.
    for (QLabel *value : {ui->label_6, ui->label_7, ui->label_8, ui->label_9, ui->label_10})
        value->setText(QStringLiteral("..."));
}

void MainWindow::syncStatusBar(bool connected)
{
    const QString current = ui->statusbar->currentMessage();
    const QString contradicting = connected ? tr("USB线断开") : tr("USB线连接");
    if (current == contradicting)
        ui->statusbar->clearMessage();
}

bool MainWindow::upgradeInProgress(bool tellUser)
{
    const bool busy = ui->tab_upgrade->isUpgrading() || m_link.isClaimedByOther();
    if (busy && tellUser)
        MessageBox::information(this, tr("信息"), tr("正在升级固件，请稍候"));
    return busy;
}
