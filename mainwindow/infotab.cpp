#include "infotab.h"
#include "ui_infotab.h"

#include "boxsession.h"

#include "devicethread.h"
#include "hidcmdhandle.h"
#include "messagebox.h"
#include "wifitext.h"
#include "windowlog.h"

#include <QCheckBox>
#include <QFile>
#include <QPixmap>

#include <utility>

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

InfoTab::InfoTab(QWidget *parent) : QWidget(parent), ui(new Ui::InfoTab)
{
    ui->setupUi(this);
    // A picture in the working directory comes first, as the translations do.
    const QString picture = QFile::exists(QStringLiteral("wb1.png"))
                                ? QStringLiteral("wb1.png")
                                : QStringLiteral(":/builtin/wb1.png");
    ui->label_pic->setPixmap(QPixmap(picture));
    ui->label_pic->setScaledContents(true);
    ui->lineEdit_wifi_name->setMaxLength(kWifiNameMax);
    ui->lineEdit_wifi_pwd->setMaxLength(kWifiPasswordMax);
    connect(ui->checkBox_wifi_pwd_show, &QCheckBox::toggled, this, [this](bool shown) {
        ui->lineEdit_wifi_pwd->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
}

InfoTab::~InfoTab() = default;

void InfoTab::setUp(DeviceLink &link, BoxSession &session)
{
    m_link = &link;
    m_session = &session;
}

void InfoTab::setWorkCheck(std::function<bool()> check)
{
    m_workCheck = std::move(check);
}

void InfoTab::end()
{
    m_ended = true;
}

void InfoTab::on_pushButton_connect_clicked()
{
    emit connectRequested();
}

void InfoTab::showConnected()
{
    ui->pushButton_connect->setEnabled(false);
    ui->label_connect_info->setText(tr("VOTK已连接"));
}

void InfoTab::showDisconnected(bool connectEnabled)
{
    ui->label_connect_info->setText(tr("VOTK已断开"));
    ui->pushButton_connect->setEnabled(connectEnabled);
    clearBoxValues();
}

void InfoTab::clearBoxValues()
{
    // Back to the form's "not read" text: a value of a box that is gone must
    // not pass for the current one.
    for (QLabel *value : {ui->label_6, ui->label_7, ui->label_8, ui->label_9, ui->label_10})
        value->setText(QStringLiteral("..."));
}

void InfoTab::on_pushButton_clicked()
{
    readInformation(nullptr);
}

bool InfoTab::readInformation(std::function<void()> then)
{
    if (!m_session || (m_workCheck && !m_workCheck()) || m_session->isBusy())
        return false;
    m_session->run(
        [link = m_link](const DeviceThread &thread) {
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

void InfoTab::showInformation(const IdentityRead &read)
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
    emit versionRead(read.softwareVersion);
    ui->label_8->setText(read.hardwareId);
    if (wifi.size() == 2) {
        ui->label_9->setText(wifi.at(0));
        ui->label_10->setText(wifi.at(1));
    }
}

void InfoTab::setBusy(bool busy, bool accepted)
{
    const bool idle = !busy;
    ui->pushButton->setEnabled(idle);
    ui->pushButton_2->setEnabled(idle);
    ui->pushButton_connect->setEnabled(idle && !accepted);
}

QString InfoTab::wifiRefusalText(WifiTextProblem problem)
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
    case WifiTextProblem::NameTooLong:
        return tr("WIFI名称不能超过%1个字符").arg(kWifiNameMax);
    case WifiTextProblem::PasswordNotAscii:
        return tr("WIFI密码只能包含可打印的ASCII字符");
    case WifiTextProblem::PasswordTooShort:
        return tr("WIFI密码至少需要%1个字符").arg(kWifiPasswordMin);
    case WifiTextProblem::PasswordTooLong:
        return tr("WIFI密码不能超过%1个字符").arg(kWifiPasswordMax);
    case WifiTextProblem::OpenNetwork:
        break;
    }
    return QString();
}

void InfoTab::on_pushButton_2_clicked()
{
    if (!m_session || (m_workCheck && !m_workCheck()) || m_session->isBusy())
        return;
    const QString name = ui->lineEdit_wifi_name->text();
    const QString password = ui->lineEdit_wifi_pwd->text();
    const WifiTextProblem problem = checkWifiText(name, password);
    const QString refusal = wifiRefusalText(problem);
    if (!refusal.isEmpty()) {
        MessageBox::warning(window(), tr("信息"), refusal);
        return;
    }
    if (problem == WifiTextProblem::OpenNetwork &&
        MessageBox::question(window(), tr("信息"),
                             tr("密码为空：WIFI将成为开放网络，范围内任何人都可以连接。"
                                "仍要设置吗？")) != QMessageBox::Yes)
        return;
    m_session->run(
        [link = m_link, name, password](const DeviceThread &) {
            HidCmdHandle handle(*link);
            if (!handle.setWifiInfo(name, password))
                return QVariant();
            // What the box now holds, so the values shown above are its own.
            return QVariant(handle.getWifiInfo());
        },
        [this, name](const QVariant &stored) {
            qCDebug(lcWindow).noquote() << "update wifi" << name << "," << kMaskedPassword;
            // Only a reply tells that the box took the settings.
            const bool answered = stored.isValid();
            const QStringList wifi = stored.toStringList();
            if (wifi.size() == 2) {
                ui->label_9->setText(wifi.at(0));
                ui->label_10->setText(wifi.at(1));
            }
            if (answered)
                MessageBox::information(window(), tr("信息"), tr("WIFI信息已设置"));
            else
                MessageBox::warning(window(), tr("信息"), tr("WIFI信息设置失败"));
        });
}
