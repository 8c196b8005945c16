#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "hidcmdhandle.h"
#include "messagebox.h"

#include <QDebug>

void MainWindow::on_pushButton_clicked()
{
    if (upgradeInProgress(true) || !check_connected())
        return;
    HidCmdHandle handle;
    const QString softwareId = handle.getSoftwareId();
    const QString softwareVersion = handle.getSoftwareVersion();
    const QString hardwareId = handle.getHardwareId();
    qDebug().noquote().nospace() << "software id:     " << softwareId;
    qDebug().noquote().nospace() << "software_version:" << softwareVersion;
    qDebug().noquote().nospace() << "hardware id:     " << hardwareId;

    const QStringList wifi = handle.getWifiInfo();
    if (wifi.size() == 2)
        qDebug().noquote().nospace() << "Wifi Name:       " << wifi.at(0) << "\n"
                                     << "Wifi Password:   " << wifi.at(1);

    ui->label_6->setText(softwareId);
    ui->label_7->setText(softwareVersion);
    ui->label_8->setText(hardwareId);
    if (wifi.size() == 2) {
        ui->label_9->setText(wifi.at(0));
        ui->label_10->setText(wifi.at(1));
    }
}

void MainWindow::on_pushButton_2_clicked()
{
    if (upgradeInProgress(true) || !check_connected())
        return;
    HidCmdHandle handle;
    const QString name = ui->lineEdit_wifi_name->text();
    const QString password = ui->lineEdit_wifi_pwd->text();
    const bool answered = handle.setWifiInfo(name, password);
    qDebug().noquote() << "update wifi" << name << "," << password;
    // Only a reply tells that the box took the settings.
    if (answered)
        MessageBox::information(this, tr("信息"), tr("WIFI信息已设置"));
    else
        MessageBox::warning(this, tr("信息"), tr("WIFI信息设置失败"));
}
