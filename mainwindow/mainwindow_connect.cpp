#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "boxcommands.h"
#include "devicelink.h"
#include "messagebox.h"

#include <QDebug>

void MainWindow::on_pushButton_connect_clicked()
{
    if (upgradeInProgress(true))
        return;
    qDebug() << "connect ...";
    const LinkOpenResult opened = DeviceLink::instance()->openBox();
    if (!opened.opened()) {
        qDebug() << "device open failed";
        MessageBox::information(this, tr("信息"), openFailureText(opened));
        return;
    }
    runHandshake();
    // A box that was pulled out lost its CAN reporting; the receive thread
    // still runs if the CAN tab is shown, so switch it back on, as a re-plug does.
    if (m_canRx.isRunning())
        can_rx_enable(1);
}

QString MainWindow::openFailureText(const LinkOpenResult &opened)
{
    if (opened.status != LinkOpenResult::InUse)
        return tr("VOTK连接失败");
    return tr("VOTK设备正被其他程序使用") + QLatin1Char('\n') +
           tr("程序: %1 (PID %2)")
               .arg(opened.holder.program.isEmpty() ? QStringLiteral("?") : opened.holder.program)
               .arg(opened.holder.pid);
}

void MainWindow::runHandshake()
{
    const Handshake outcome = BoxCommands::connect();
    if (outcome == Handshake::NoAnswerToProbe)
        return;
    if (outcome == Handshake::Ok) {
        ui->pushButton_connect->setEnabled(false);
        ui->label_connect_info->setText(tr("VOTK已连接"));
    }
    qDebug() << "usb mode";
}

bool MainWindow::check_connected()
{
    if (DeviceLink::instance()->isConnected())
        return true;
    MessageBox::warning(this, tr("信息"), tr("VOTK未连接"));
    return false;
}

void MainWindow::can_rx_enable(int on)
{
    if (!DeviceLink::instance()->isConnected() || upgradeInProgress(false))
        return;
    if ((on & 0xFF) != 0)
        m_reporting.switchOn();
    else
        m_reporting.switchOff();
}

void MainWindow::showDisconnected()
{
    DeviceLink::instance()->setConnected(false);
    ui->label_connect_info->setText(tr("VOTK已断开"));
    ui->pushButton_connect->setEnabled(true);
}

bool MainWindow::upgradeInProgress(bool tellUser)
{
    const bool busy = m_ota.isRunning() || DeviceLink::instance()->isClaimedByOther();
    if (busy && tellUser)
        MessageBox::information(this, tr("信息"), tr("正在升级固件，请稍候"));
    return busy;
}
