// The CAN tab: the two transmit rows, sent once or periodically (the receive
// table is in cantab_rx.cpp).
#include "cantab.h"
#include "ui_cantab.h"

#include "boxcommands.h"
#include "canframe.h"
#include "cantext.h"
#include "capturerecorder.h"
#include "dbcframedialog.h"
#include "loadeddbc.h"
#include "messagebox.h"
#include "windowlog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegExp>
#include <QRegExpValidator>
#include <QSpinBox>

#include <utility>

namespace {
// How often the sent counts of running rows are shown.
constexpr int kPeriodicCountsMs = 200;

// Raised while a data-field handler rewrites its field, so that the change
// notification of that rewrite is recognised. Shared by both rows.
bool can_data_formatting = false;
} // namespace

CanTab::CanTab(QWidget *parent) : QWidget(parent), ui(new Ui::CanTab)
{
    ui->setupUi(this);
    setUpCanRxTable();

    // Each field owns its validator.
    const QRegExp hex(QStringLiteral("[a-fA-F0-9 ]+$"), Qt::CaseSensitive, QRegExp::RegExp);
    for (QLineEdit *field : {ui->lineEdit_can_data, ui->lineEdit_can_id, ui->lineEdit_can_data_2,
                             ui->lineEdit_can_id_2})
        field->setValidator(new QRegExpValidator(hex, field));
    // Enter in either field of a row sends that row, as its button does.
    for (auto row : {std::make_pair(ui->lineEdit_can_id, ui->lineEdit_can_data),
                     std::make_pair(ui->lineEdit_can_id_2, ui->lineEdit_can_data_2)})
        for (QLineEdit *field : {row.first, row.second})
            connect(field, &QLineEdit::returnPressed, this,
                    [this, row] { sendCanRow(row.first, row.second); });
    // Frames from a database need one loaded.
    const auto enableDbcButtons = [this] {
        const bool loaded = loadedDbc()->database() != nullptr;
        ui->pushButton_can_dbc->setEnabled(loaded);
        ui->pushButton_can_dbc_2->setEnabled(loaded);
    };
    enableDbcButtons();
    connect(loadedDbc(), &LoadedDbc::changed, this, enableDbcButtons);
    // The ID fields take longer text than an identifier has, so that a pasted
    // or overtyped 18DAF110 is refused at the send instead of being cut to 18D,
    // another identifier.
}

CanTab::~CanTab() = default;

void CanTab::setUp(DeviceLink &link)
{
    m_link = &link;
}

void CanTab::setLinkChecks(std::function<bool()> connected, std::function<bool()> upgradeRunning)
{
    m_connectedCheck = std::move(connected);
    m_upgradeCheck = std::move(upgradeRunning);
}

void CanTab::on_lineEdit_can_data_textChanged(QString)
{
    qCDebug(lcCanTyping) << "can data changed";
    reformatCanData(ui->lineEdit_can_data);
}

void CanTab::on_lineEdit_can_data_2_textChanged(QString)
{
    reformatCanData(ui->lineEdit_can_data_2);
}

void CanTab::on_pushButton_can_dbc_clicked()
{
    fillRowFromDbc(0);
}

void CanTab::on_pushButton_can_dbc_2_clicked()
{
    fillRowFromDbc(1);
}

void CanTab::fillRowFromDbc(int row)
{
    DbcFrameDialog dialog(loadedDbc()->database(), this);
    if (dialog.exec() != QDialog::Accepted || dialog.bytes().isEmpty())
        return;
    const CanTxRow r = canTxRow(row);
    const QByteArray bytes = dialog.bytes();
    r.id->setText(QString::number(dialog.id(), 16).toUpper());
    r.data->setText(
        hexBytesText(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size()).trimmed());
}

void CanTab::reformatCanData(QLineEdit *dataField)
{
    const CanDataRewrite r =
        canDataRewrite(dataField->text(), dataField->cursorPosition(), can_data_formatting);
    if (r.rewrite) {
        can_data_formatting = true;
        // Reports a changed text at once, inside this call; that nested call
        // sees the raised flag and leaves the text alone.
        dataField->setText(r.text);
    }
    can_data_formatting = false;
}

void CanTab::on_pushButton_can_send_clicked()
{
    sendCanRow(ui->lineEdit_can_id, ui->lineEdit_can_data);
}

void CanTab::on_pushButton_can_send_2_clicked()
{
    sendCanRow(ui->lineEdit_can_id_2, ui->lineEdit_can_data_2);
}

void CanTab::sendCanRow(QLineEdit *idField, QLineEdit *dataField)
{
    const std::optional<ScheduledCanFrame> frame = checkedCanFrame(idField, dataField);
    if (frame)
        CanTxWorker::transmit(*m_link, frame->id, frame->data);
}

std::optional<ScheduledCanFrame> CanTab::checkedCanFrame(QLineEdit *idField, QLineEdit *dataField)
{
    if (!m_link || (m_connectedCheck && !m_connectedCheck()))
        return std::nullopt;
    // A transfer owns the link: a frame in between could corrupt it.
    if (m_upgradeCheck && m_upgradeCheck())
        return std::nullopt;
    qCDebug(lcWindow) << "send can";
    const QString idText = idField->text();
    const QString dataText = dataField->text();
    if (idText.isEmpty() || dataText.isEmpty())
        return std::nullopt;
    // On a live bus a frame the user did not mean is a hazard: refuse rather than guess.
    const std::optional<quint16> id = parseCanId(idText);
    if (!id) {
        MessageBox::warning(window(), tr("信息"), tr("CAN ID有误：应为1~3位十六进制数，不大于7FF"));
        return std::nullopt;
    }
    const std::optional<QVector<uint8_t>> data = parseCanData(dataText);
    if (!data) {
        MessageBox::warning(window(), tr("信息"),
                            tr("CAN数据有误：应为最多8个字节，每个1~2位十六进制数，"
                               "以单个空格分隔；或不带空格的偶数位十六进制数，最多16位"));
        return std::nullopt;
    }
    return ScheduledCanFrame{0, *id, *data};
}

CanTab::CanTxRow CanTab::canTxRow(int row) const
{
    if (row == 0)
        return {ui->lineEdit_can_id, ui->lineEdit_can_data, ui->spinBox_can_period,
                ui->pushButton_can_period, ui->label_can_period_count};
    return {ui->lineEdit_can_id_2, ui->lineEdit_can_data_2, ui->spinBox_can_period_2,
            ui->pushButton_can_period_2, ui->label_can_period_count_2};
}

void CanTab::on_pushButton_can_period_toggled(bool on)
{
    togglePeriodicRow(0, on);
}

void CanTab::on_pushButton_can_period_2_toggled(bool on)
{
    togglePeriodicRow(1, on);
}

void CanTab::togglePeriodicRow(int row, bool on)
{
    const CanTxRow r = canTxRow(row);
    std::unique_ptr<CanTxWorker> &worker = m_periodic[row];
    if (!on) {
        if (worker) {
            worker->stop();
            r.count->setText(QString::number(worker->sentCount()));
            worker.reset();
        }
    } else if (!worker) {
        const std::optional<ScheduledCanFrame> frame = checkedCanFrame(r.id, r.data);
        if (!frame) {
            const QSignalBlocker quiet(r.toggle);
            r.toggle->setChecked(false);
            return;
        }
        // Its own clock: a busy window does not stretch the period.
        worker = std::make_unique<CanTxWorker>(
            *m_link, CanTxWorker::periodic(frame->id, frame->data,
                                           qint64(r.period->value()) * 1000000, -1, -1));
        // A frame that could not be written (the box is gone) ends the row.
        connect(
            worker.get(), &QThread::finished, worker.get(),
            [this, row, w = worker.get()] {
                if (m_periodic[row].get() == w)
                    canTxRow(row).toggle->setChecked(false);
            },
            Qt::QueuedConnection);
        r.count->setText(QStringLiteral("0"));
        worker->start();
    }
    // What a running row sends cannot change under it.
    for (QWidget *field : {static_cast<QWidget *>(r.id), static_cast<QWidget *>(r.data),
                           static_cast<QWidget *>(r.period)})
        field->setEnabled(!worker);
    syncSendCounts();
}

void CanTab::syncSendCounts()
{
    const bool running = m_periodic[0] || m_periodic[1] || m_replay;
    if (running && !m_periodicCounts.isActive()) {
        connect(&m_periodicCounts, &QTimer::timeout, this, &CanTab::showPeriodicCounts,
                Qt::UniqueConnection);
        m_periodicCounts.start(kPeriodicCountsMs);
    } else if (!running) {
        m_periodicCounts.stop();
    }
    emit sendersRunning(m_periodic[0] || m_periodic[1], m_replay != nullptr);
}

void CanTab::showPeriodicCounts()
{
    for (int row = 0; row < 2; ++row)
        if (m_periodic[row])
            canTxRow(row).count->setText(QString::number(m_periodic[row]->sentCount()));
    if (m_replay)
        showReplayProgress();
}

void CanTab::stopPeriodicRows()
{
    for (int row = 0; row < 2; ++row)
        canTxRow(row).toggle->setChecked(false);
    ui->pushButton_can_replay->setChecked(false);
}
