#include "upgradetab.h"
#include "ui_upgradetab.h"

#include "boxsession.h"
#include "config.h"
#include "filechooser.h"
#include "messagebox.h"
#include "otafile.h"
#include "replydecode.h"
#include "windowlog.h"

#include <QFileInfo>

#include <utility>

UpgradeTab::UpgradeTab(QWidget *parent) : QWidget(parent), ui(new Ui::UpgradeTab)
{
    ui->setupUi(this);
    ui->label_ota_result->setText(tr("进度："));
}

UpgradeTab::~UpgradeTab() = default;

void UpgradeTab::setUp(BoxSession &session, OtaHandle &ota)
{
    m_session = &session;
    m_ota = &ota;
    connect(m_ota, &OtaHandle::sig_send_ota_progress, this, &UpgradeTab::slt_update_ota_progress);
    connect(m_ota, &OtaHandle::sig_ota_restarting, this, &UpgradeTab::showOtaRestarting);
    connect(m_ota, &OtaHandle::sig_ota_verdict, this, &UpgradeTab::showOtaVerdict);
    // Queued behind the verdict: the window is set right after it is shown.
    connect(m_ota, &QThread::finished, this, [this] {
        setUpgradeControlsEnabled(true);
        emit transferEnded();
    });
}

void UpgradeTab::setStartCheck(std::function<bool()> check)
{
    m_startCheck = std::move(check);
}

bool UpgradeTab::isUpgrading() const
{
    return m_upgradeStarting || (m_ota && m_ota->isRunning());
}

void UpgradeTab::setStartEnabled(bool enabled)
{
    ui->pushButton_ota->setEnabled(enabled);
}

void UpgradeTab::on_button_select_file_clicked()
{
    qCDebug(lcWindow) << "select file button clicked";
    const QString dir = config()->get(Config::UpgradeDir).toString();
    const QString path = openFileChooser()(window(), tr("打开升级文件"), dir, tr("升级文件(*.ota)"),
                                           QFileDialog::DontUseNativeDialog);
    qCDebug(lcWindow) << path;
    if (path.isEmpty())
        return;
    ui->lineEdit_ota_file->setText(path);
    config()->set(Config::UpgradeDir, QFileInfo(path).absolutePath());
    // A wrong file is told now, not after the user has asked for the upgrade.
    const QString problem = fileProblemText(readOtaFile(path).status);
    ui->label_ota_result->setText(problem.isEmpty() ? tr("进度：") : problem);
}

void UpgradeTab::setBoxFacts(const QString &serial, const QString &version)
{
    m_boxSerial = serial;
    m_boxVersion = version;
}

QString UpgradeTab::fileProblemText(OtaFileStatus status)
{
    switch (status) {
    case OtaFileStatus::Ok:
        break;
    case OtaFileStatus::CannotOpen:
        return tr("进度:升级文件打开失败");
    case OtaFileStatus::ChecksumMismatch:
        // A damaged image could brick the box.
        return tr("进度:升级文件校验错误");
    case OtaFileStatus::WrongSize:
        return tr("进度:升级文件大小错误，应为 %1 字节").arg(OTA_FILE_SIZE);
    case OtaFileStatus::WrongFlag:
        return tr("进度:升级文件错误");
    }
    return QString();
}

bool UpgradeTab::confirmUpgrade()
{
    bool number = false;
    const quint32 version = m_boxVersion.toUInt(&number);
    const QString unknown = tr("未知");
    // The upgrade file's header carries no version of its image.
    const QString text = tr("要升级这个设备的固件吗？\n\n序列号：%1\n当前固件：%2\n文件版本：%3\n\n"
                            "升级期间请勿断开设备。")
                             .arg(m_boxSerial.isEmpty() ? unknown : m_boxSerial,
                                  number ? versionText(version) : unknown, tr("文件未标明版本"));
    return MessageBox::question(window(), tr("固件升级"), text) == QMessageBox::Yes;
}

void UpgradeTab::on_pushButton_ota_clicked()
{
    const QString path = ui->lineEdit_ota_file->text();
    if (path.isEmpty()) {
        qCDebug(lcWindow) << "file name is empty";
        ui->label_ota_result->setText(tr("进度:请先选择升级文件"));
        return;
    }
    // Reading the file now would change the image under the running transfer.
    if (!m_ota || (m_startCheck && !m_startCheck()))
        return;

    const OtaFileRead file = readOtaFile(path);
    const QString problem = fileProblemText(file.status);
    if (!problem.isEmpty()) {
        ui->label_ota_result->setText(problem);
        return;
    }
    // Nothing is sent, nor anything changed, unless the user agrees.
    if (!confirmUpgrade())
        return;
    if (!m_ota->setImage(file.image)) {
        ui->label_ota_result->setText(fileProblemText(OtaFileStatus::WrongSize));
        return;
    }

    ui->label_ota_result->setText(tr("进度:正在升级"));
    ui->progressBar->setFormat(QStringLiteral("%p%"));
    setUpgradeControlsEnabled(false);
    // Receiving on every tab pauses for the transfer, which needs the link to
    // itself, with the box's reporting off.
    emit transferStarting();
    // The transfer starts once the box has stopped reporting.
    m_upgradeStarting = true;
    m_session->pauseForUpgrade([this] {
        m_upgradeStarting = false;
        m_ota->start(QThread::InheritPriority);
    });
}

void UpgradeTab::slt_update_ota_progress(int value)
{
    // The label says what the upgrade is doing; it changes with its steps.
    ui->progressBar->setValue(value);
}

void UpgradeTab::showOtaRestarting()
{
    ui->label_ota_result->setText(tr("设备重启中，请稍候"));
}

void UpgradeTab::showOtaVerdict(OtaVerdict verdict)
{
    // A bar left short of 100 after a failure says where the transfer stopped.
    const bool stopped = verdict == OtaVerdict::Interrupted || verdict == OtaVerdict::Failed ||
                         verdict == OtaVerdict::LinkBusy;
    ui->progressBar->setFormat(stopped ? tr("停在 %p%") : QStringLiteral("%p%"));
    switch (verdict) {
    case OtaVerdict::Success:
        ui->label_ota_result->setText(tr("结果:升级成功,请重新上电VOTK设备"));
        break;
    case OtaVerdict::Interrupted:
        ui->label_ota_result->setText(tr("结果:升级中断,请重新连接VOTK设备后再试"));
        break;
    case OtaVerdict::Failed:
    case OtaVerdict::LinkBusy:
        ui->label_ota_result->setText(tr("结果:升级失败"));
        break;
    }
}

void UpgradeTab::setUpgradeControlsEnabled(bool enabled)
{
    ui->pushButton_ota->setEnabled(enabled);
    ui->button_select_file->setEnabled(enabled);
}
