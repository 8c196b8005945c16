// The CAN tab: the two transmit rows, sent once or periodically (the receive
// table is in mainwindow_canrx.cpp).
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "boxcommands.h"
#include "cantext.h"
#include "messagebox.h"
#include "windowlog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {
// How often the sent counts of running rows are shown.
constexpr int kPeriodicCountsMs = 200;

// Raised while a data-field handler rewrites its field, so that the change
// notification of that rewrite is recognised. Shared by both rows.
bool can_data_formatting = false;
} // namespace

void MainWindow::on_lineEdit_can_data_textChanged(QString)
{
    qCDebug(lcCanTyping) << "can data changed";
    reformatCanData(ui->lineEdit_can_data);
}

void MainWindow::on_lineEdit_can_data_2_textChanged(QString)
{
    reformatCanData(ui->lineEdit_can_data_2);
}

void MainWindow::reformatCanData(QLineEdit *dataField)
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

void MainWindow::on_pushButton_can_send_clicked()
{
    sendCanRow(ui->lineEdit_can_id, ui->lineEdit_can_data);
}

void MainWindow::on_pushButton_can_send_2_clicked()
{
    sendCanRow(ui->lineEdit_can_id_2, ui->lineEdit_can_data_2);
}

void MainWindow::sendCanRow(QLineEdit *idField, QLineEdit *dataField)
{
    const std::optional<ScheduledCanFrame> frame = checkedCanFrame(idField, dataField);
    if (frame)
        CanTxWorker::transmit(m_link, frame->id, frame->data);
}

std::optional<ScheduledCanFrame> MainWindow::checkedCanFrame(QLineEdit *idField,
                                                             QLineEdit *dataField)
{
    if (!check_connected())
        return std::nullopt;
    // A transfer owns the link: a frame in between could corrupt it.
    if (upgradeInProgress(true))
        return std::nullopt;
    qCDebug(lcWindow) << "send can";
    const QString idText = idField->text();
    const QString dataText = dataField->text();
    if (idText.isEmpty() || dataText.isEmpty())
        return std::nullopt;
    // On a live bus a frame the user did not mean is a hazard: refuse rather than guess.
    const std::optional<quint16> id = parseCanId(idText);
    if (!id) {
        MessageBox::warning(this, tr("信息"), tr("CAN ID有误：应为1~3位十六进制数，不大于7FF"));
        return std::nullopt;
    }
    const std::optional<QVector<uint8_t>> data = parseCanData(dataText);
    if (!data) {
        MessageBox::warning(this, tr("信息"),
                            tr("CAN数据有误：应为最多8个字节，每个1~2位十六进制数，"
                               "以单个空格分隔；或不带空格的偶数位十六进制数，最多16位"));
        return std::nullopt;
    }
    return ScheduledCanFrame{0, *id, *data};
}

MainWindow::CanTxRow MainWindow::canTxRow(int row) const
{
    if (row == 0)
        return {ui->lineEdit_can_id, ui->lineEdit_can_data, ui->spinBox_can_period,
                ui->pushButton_can_period, ui->label_can_period_count};
    return {ui->lineEdit_can_id_2, ui->lineEdit_can_data_2, ui->spinBox_can_period_2,
            ui->pushButton_can_period_2, ui->label_can_period_count_2};
}

void MainWindow::on_pushButton_can_period_toggled(bool on)
{
    togglePeriodicRow(0, on);
}

void MainWindow::on_pushButton_can_period_2_toggled(bool on)
{
    togglePeriodicRow(1, on);
}

void MainWindow::togglePeriodicRow(int row, bool on)
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
            m_link, CanTxWorker::periodic(frame->id, frame->data,
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

void MainWindow::syncSendCounts()
{
    const bool running = m_periodic[0] || m_periodic[1] || m_replay;
    if (running && !m_periodicCounts.isActive()) {
        connect(&m_periodicCounts, &QTimer::timeout, this, &MainWindow::showPeriodicCounts,
                Qt::UniqueConnection);
        m_periodicCounts.start(kPeriodicCountsMs);
    } else if (!running) {
        m_periodicCounts.stop();
    }
}

void MainWindow::showPeriodicCounts()
{
    for (int row = 0; row < 2; ++row)
        if (m_periodic[row])
            canTxRow(row).count->setText(QString::number(m_periodic[row]->sentCount()));
    if (m_replay)
        showReplayProgress();
}

void MainWindow::stopPeriodicRows()
{
    for (int row = 0; row < 2; ++row)
        canTxRow(row).toggle->setChecked(false);
    ui->pushButton_can_replay->setChecked(false);
}
