#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "hidcmdhandle.h"
#include "messagebox.h"
#include "wifitext.h"
#include "windowlog.h"

namespace {
// What the log shows for a WiFi password: debug output ends up in files and
// the system journal.
const QString kMaskedPassword = QStringLiteral("********");
} // namespace

void MainWindow::on_pushButton_clicked()
{
    if (upgradeInProgress(true) || !check_connected())
        return;
    HidCmdHandle handle;
    const QString softwareId = handle.getSoftwareId();
    const QString softwareVersion = handle.getSoftwareVersion();
    const QString hardwareId = handle.getHardwareId();
    qCDebug(lcWindow).noquote().nospace() << "software id:     " << softwareId;
    qCDebug(lcWindow).noquote().nospace() << "software_version:" << softwareVersion;
    qCDebug(lcWindow).noquote().nospace() << "hardware id:     " << hardwareId;

    const QStringList wifi = handle.getWifiInfo();
    if (wifi.size() == 2)
        qCDebug(lcWindow).noquote().nospace() << "Wifi Name:       " << wifi.at(0) << "\n"
                                              << "Wifi Password:   " << kMaskedPassword;

    ui->label_6->setText(softwareId);
    ui->label_7->setText(softwareVersion);
    ui->label_8->setText(hardwareId);
    if (wifi.size() == 2) {
        ui->label_9->setText(wifi.at(0));
        ui->label_10->setText(wifi.at(1));
    }
}

QString MainWindow::wifiRefusalText(WifiTextProblem problem)
{
    switch (problem) {
    case WifiTextProblem::None:
        break;
    case WifiTextProblem::EmptyName:
        return tr("WIFI名称不能为空");
    case WifiTextProblem::NameComma:
        return tr("WIFI名称不能包含“,”");
    case WifiTextProblem::NameNotLatin1:
        return tr("WIFI名称只能包含西文字符（Latin-1），不支持中文等");
    case WifiTextProblem::PasswordComma:
        return tr("WIFI密码不能包含“,”");
    case WifiTextProblem::PasswordNotLatin1:
        return tr("WIFI密码只能包含西文字符（Latin-1），不支持中文等");
    case WifiTextProblem::NameControl:
        return tr("WIFI名称不能包含控制字符（换行、制表符等）");
    case WifiTextProblem::PasswordControl:
        return tr("WIFI密码不能包含控制字符（换行、制表符等）");
    case WifiTextProblem::TooLong:
        return tr("WIFI名称和密码合计不能超过%1个字符").arg(wifiTextMax());
    }
    return QString();
}

void MainWindow::on_pushButton_2_clicked()
{
    if (upgradeInProgress(true) || !check_connected())
        return;
    const QString name = ui->lineEdit_wifi_name->text();
    const QString password = ui->lineEdit_wifi_pwd->text();
    const QString refusal = wifiRefusalText(checkWifiText(name, password));
    if (!refusal.isEmpty()) {
        MessageBox::warning(this, tr("信息"), refusal);
        return;
    }
    HidCmdHandle handle;
    const bool answered = handle.setWifiInfo(name, password);
    qCDebug(lcWindow).noquote() << "update wifi" << name << "," << kMaskedPassword;
    // Only a reply tells that the box took the settings.
    if (answered)
        MessageBox::information(this, tr("信息"), tr("WIFI信息已设置"));
    else
        MessageBox::warning(this, tr("信息"), tr("WIFI信息设置失败"));
}
