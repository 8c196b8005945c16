#include "settingdialog.h"
#include "ui_settingdialog.h"

#include "boxcommands.h"
#include "boxoperation.h"
#include "config.h"
#include "devicelink.h"
#include "devicethread.h"
#include "messagebox.h"
#include "replydecode.h"

#include <QLoggingCategory>
#include <QRegExp>
#include <QRegExpValidator>

namespace {
Q_LOGGING_CATEGORY(lcSettings, "votkbox.settings", QtInfoMsg)
} // namespace

SettingDialog::SettingDialog(DeviceLink &link, QWidget *parent, DeviceThread *deviceThread)
    : QDialog(parent), ui(new Ui::SettingDialog), m_link(link),
      m_ownThread(deviceThread ? nullptr : new DeviceThread),
      m_deviceThread(deviceThread ? deviceThread : m_ownThread.get())
{
    ui->setupUi(this);
    // The main window keeps no reference to its dialogs, so a closed one
    // frees itself.
    setAttribute(Qt::WA_DeleteOnClose);

    const QString language = config()->get(Config::Language).toString();
    if (language == QLatin1String("cn"))
        ui->radioButton_cn->setChecked(true);
    else if (language == QLatin1String("en"))
        ui->radioButton_en->setChecked(true);

    // Unchecking runs the state-changed slot, which writes "0" at once.
    ui->checkBox_auto_connect->setChecked(config()->get(Config::AutoConnect).toBool());

    ui->lineEdit_can_time->setValidator(
        new QRegExpValidator(QRegExp(QStringLiteral("[0-9 ]+$")), ui->lineEdit_can_time));
    ui->lineEdit_can_time->setMaxLength(2);

    ui->spinBox_rx_row_limit->setValue(config()->get(Config::CanRxRowLimit).toInt());
    // Only a click writes: showing the dialog changes nothing.
    ui->checkBox_can_rx_always->setChecked(config()->get(Config::CanRxAlways).toBool());
    ui->spinBox_record_rotate_mb->setValue(config()->get(Config::RecordRotateMb).toInt());
    ui->spinBox_record_rotate_s->setValue(config()->get(Config::RecordRotateS).toInt());

    ui->label_factory->hide();
}

SettingDialog::~SettingDialog()
{
    delete ui;
}

bool SettingDialog::checkConnected()
{
    if (m_link.isConnected())
        return true;
    MessageBox::warning(this, tr("信息"), tr("VOTK未连接"));
    return false;
}

void SettingDialog::runOnBox(std::function<QVariant()> work,
                             std::function<void(const QVariant &)> done)
{
    auto *operation = new BoxOperation(
        *m_deviceThread, [work](const DeviceThread &) { return work(); }, this);
    connect(operation, &BoxOperation::finished, this,
            [this, operation, done](const QVariant &result) {
                operation->deleteLater();
                setBoxBusy(false);
                done(result);
            });
    setBoxBusy(true);
    operation->start();
}

void SettingDialog::setBoxBusy(bool busy)
{
    m_boxBusy = busy;
    for (QWidget *button :
         {ui->pushButton_read_can_time, ui->pushButton_update_can_time, ui->pushButto_wifi_factory})
        button->setEnabled(!busy);
}

bool SettingDialog::deviceReady()
{
    if (m_boxBusy || !checkConnected())
        return false;
    if (m_link.isClaimedByOther()) {
        MessageBox::information(this, tr("信息"), tr("正在升级固件，请稍候"));
        return false;
    }
    return true;
}

void SettingDialog::chooseLanguage(const QString &language, const char *debugLine)
{
    if (config()->get(Config::Language).toString() == language)
        return;
    qCDebug(lcSettings) << debugLine;
    config()->set(Config::Language, language);
}

void SettingDialog::on_listWidget_currentRowChanged(int currentRow)
{
    qCDebug(lcSettings) << "setting list" << currentRow;
    ui->stackedWidget->setCurrentIndex(currentRow);
}

void SettingDialog::on_radioButton_cn_clicked()
{
    chooseLanguage(QStringLiteral("cn"), "radio cn");
}

void SettingDialog::on_radioButton_en_clicked()
{
    chooseLanguage(QStringLiteral("en"), "radio en");
}

void SettingDialog::on_pushButton_read_can_time_clicked()
{
    qCDebug(lcSettings) << "read can time";
    if (!deviceReady())
        return;
    runOnBox(
        [link = &m_link] {
            const std::optional<int> time = BoxCommands::canTime(*link).value;
            return time ? QVariant(*time) : QVariant();
        },
        [this](const QVariant &time) {
            if (!time.isValid())
                return;
            const int ms = time.toInt();
            qCDebug(lcSettings) << "can time" << ms;
            ui->label_can_time->setText(QString::number(ms) + QStringLiteral(" ms"));
        });
}

void SettingDialog::on_pushButton_update_can_time_clicked()
{
    qCDebug(lcSettings) << "update can time";
    if (!deviceReady())
        return;
    const QString text = ui->lineEdit_can_time->text();
    if (text.trimmed().isEmpty()) {
        MessageBox::warning(this, tr("信息"), tr("请输入CAN时间"));
        return;
    }
    const std::optional<quint32> number = canTimeFromText(text);
    if (!number) {
        MessageBox::warning(this, tr("信息"), tr("CAN时间须为0到255之间的整数"));
        return;
    }
    runOnBox([link = &m_link,
              value = *number] { return QVariant(BoxCommands::setCanTime(*link, value).answered); },
             [this](const QVariant &answered) {
                 if (!answered.toBool())
                     MessageBox::warning(this, tr("信息"), tr("CAN时间设置失败"));
             });
}

void SettingDialog::on_pushButto_wifi_factory_clicked()
{
    qCDebug(lcSettings) << "wifi module factory";
    if (!deviceReady())
        return;
    ui->label_factory->show();
    const QMessageBox::StandardButton answer =
        MessageBox::question(this, tr("提示"), tr("确定要恢复出厂设置吗?"));
    if (answer == QMessageBox::Yes) {
        qCDebug(lcSettings) << "yes yes";
        // The notice stays up until the box has answered.
        runOnBox(
            [link = &m_link] { return QVariant(BoxCommands::wifiFactoryReset(*link).answered); },
            [this](const QVariant &answered) {
                ui->label_factory->hide();
                if (!answered.toBool())
                    MessageBox::warning(this, tr("信息"), tr("恢复出厂设置失败"));
            });
        return;
    }
    qCDebug(lcSettings) << "no no";
    ui->label_factory->hide();
}

void SettingDialog::on_checkBox_auto_connect_stateChanged(int)
{
    config()->set(Config::AutoConnect, ui->checkBox_auto_connect->checkState() == Qt::Checked);
}

void SettingDialog::on_spinBox_rx_row_limit_editingFinished()
{
    // Taken only once typed in full: a limit of the first digit typed would
    // cost the receive table its rows.
    config()->set(Config::CanRxRowLimit, ui->spinBox_rx_row_limit->value());
}

void SettingDialog::on_spinBox_record_rotate_mb_editingFinished()
{
    config()->set(Config::RecordRotateMb, ui->spinBox_record_rotate_mb->value());
}

void SettingDialog::on_spinBox_record_rotate_s_editingFinished()
{
    config()->set(Config::RecordRotateS, ui->spinBox_record_rotate_s->value());
}

void SettingDialog::on_checkBox_can_rx_always_clicked(bool checked)
{
    // Whoever reports frames follows the stored key's change signal.
    config()->set(Config::CanRxAlways, checked);
}
