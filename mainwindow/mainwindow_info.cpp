#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "devicethread.h"
#include "hidcmdhandle.h"
#include "messagebox.h"
#include "upgradetab.h"
#include "wifitext.h"
#include "windowlog.h"

namespace {
// What the log shows for a WiFi password: debug output ends up in files and
// the system journal.
const QString kMaskedPassword = QStringLiteral("********");
} // namespace

// What one "read info" brings back from the box.
struct IdentityRead
{
    QString softwareId;
    QString softwareVersion;
    QString hardwareId;
    QStringList wifi;
};
Q_DECLARE_METATYPE(IdentityRead)

void MainWindow::on_pushButton_clicked()
{
    readInformation(nullptr);
}

bool MainWindow::readInformation(std::function<void()> then)
{
    if (upgradeInProgress(true) || !check_connected() || m_session.isBusy())
        return false;
    m_session.run(
        [link = &m_link](const DeviceThread &thread) {
            IdentityRead read;
            HidCmdHandle handle(*link);
            read.softwareId = handle.getSoftwareId();
            // A window that is closing takes no more of the box's time.
            if (thread.stopRequested())
                return QVariant();
            read.softwareVersion = handle.getSoftwareVersion();
            if (thread.stopRequested())
                return QVariant();
            read.hardwareId = handle.getHardwareId();
            if (thread.stopRequested())
                return QVariant();
            read.wifi = handle.getWifiInfo();
            return QVariant::fromValue(read);
        },
        [this, then](const QVariant &result) {
            // A window that has closed left the box idle: nothing more goes to it.
            if (m_ended || !result.isValid())
                return;
            showInformation(result.value<IdentityRead>());
            if (then)
                then();
        });
    return true;
}

void MainWindow::showInformation(const IdentityRead &read)
{
    qCDebug(lcWindow).noquote().nospace() << "software id:     " << read.softwareId;
    qCDebug(lcWindow).noquote().nospace() << "software_version:" << read.softwareVersion;
    qCDebug(lcWindow).noquote().nospace() << "hardware id:     " << read.hardwareId;

    const QStringList &wifi = read.wifi;
    if (wifi.size() == 2)
        qCDebug(lcWindow).noquote().nospace() << "Wifi Name:       " << wifi.at(0) << "\n"
                                              << "Wifi Password:   " << kMaskedPassword;

    ui->label_6->setText(read.softwareId);
    ui->label_7->setText(read.softwareVersion);
    ui->label_8->setText(read.hardwareId);
    if (wifi.size() == 2) {
        ui->label_9->setText(wifi.at(0));
        ui->label_10->setText(wifi.at(1));
    }
}

void MainWindow::setBoxBusy(bool busy)
{
    const bool idle = !busy;
    // The buttons that would queue more box work behind the running one, and
    // the upgrade, which would take the link from under it.
    ui->pushButton->setEnabled(idle);
    ui->pushButton_2->setEnabled(idle);
    ui->tab_upgrade->setStartEnabled(idle && !upgradeInProgress(false));
    ui->pushButton_connect->setEnabled(idle && !m_session.isAccepted());
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
    if (upgradeInProgress(true) || !check_connected() || m_session.isBusy())
        return;
    const QString name = ui->lineEdit_wifi_name->text();
    const QString password = ui->lineEdit_wifi_pwd->text();
    const QString refusal = wifiRefusalText(checkWifiText(name, password));
    if (!refusal.isEmpty()) {
        MessageBox::warning(this, tr("信息"), refusal);
        return;
    }
    m_session.run(
        [link = &m_link, name, password](const DeviceThread &) {
            return QVariant(HidCmdHandle(*link).setWifiInfo(name, password));
        },
        [this, name](const QVariant &answered) {
            qCDebug(lcWindow).noquote() << "update wifi" << name << "," << kMaskedPassword;
            // Only a reply tells that the box took the settings.
            if (answered.toBool())
                MessageBox::information(this, tr("信息"), tr("WIFI信息已设置"));
            else
                MessageBox::warning(this, tr("信息"), tr("WIFI信息设置失败"));
        });
}
