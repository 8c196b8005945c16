// The CAN tab: the two transmit rows and the receive table.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "cantext.h"
#include "cmdpacket.h"
#include "commands.h"
#include "devicelink.h"
#include "messagebox.h"

#include <QCursor>
#include <QDebug>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>

#include <algorithm>
#include <utility>

namespace {
// Raised while a data-field handler rewrites its field, so that the change
// notification of that rewrite is recognised. Shared by both rows.
bool can_data_formatting = false;

CanRxClock &rxClock()
{
    static CanRxClock clock;
    return clock;
}
} // namespace

void MainWindow::on_lineEdit_can_data_textChanged(QString)
{
    qDebug() << "can data changed";
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
    for (const QString &line : r.debugLines)
        qDebug().noquote() << line;
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
    if (!check_connected())
        return;
    // A transfer owns the link: a frame in between could corrupt it.
    if (upgradeInProgress(true))
        return;
    qDebug() << "send can";
    const QString idText = idField->text();
    const QString dataText = dataField->text();
    if (idText.isEmpty() || dataText.isEmpty())
        return;
    // On a live bus a frame the user did not mean is a hazard: refuse rather than guess.
    const std::optional<quint16> id = parseCanId(idText);
    if (!id) {
        MessageBox::warning(this, tr("信息"), tr("CAN ID有误：应为1~3位十六进制数，不大于7FF"));
        return;
    }
    const std::optional<QVector<uint8_t>> data = parseCanData(dataText);
    if (!data) {
        MessageBox::warning(this, tr("信息"),
                            tr("CAN数据有误：应为最多8个字节，每个1~2位十六进制数，"
                               "以单个空格分隔；或不带空格的偶数位十六进制数，最多16位"));
        return;
    }
    CmdPacket packet;
    packet.set(CMD_CAN_FRAME, canSendPayload(*id, *data));
    for (uint8_t b : packet.getPayload())
        qDebug() << int(b);
    // Frames go out without a reply: the receive thread may be reading.
    DeviceLink::instance()->sendPacket(packet);
}

void MainWindow::receive_can_rx(QVector<uint8_t> frame)
{
    qDebug() << "receive can rx";
    QTableWidget *table = ui->table_can_rx;
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, 0, new QTableWidgetItem(rxClock().now()));
    if (frame.size() >= 2)
        table->setItem(row, 1, new QTableWidgetItem(canRxIdText(frame)));
    table->setItem(row, 2, new QTableWidgetItem(canRxDataText(frame)));
    // Scrolling costs more the longer the table is, so it is done once for all
    // the frames already queued, after the last of them.
    if (!m_rxScrollPending) {
        m_rxScrollPending = true;
        QMetaObject::invokeMethod(
            this, [this] { scrollRxTableToBottom(); }, Qt::QueuedConnection);
    }
}

void MainWindow::scrollRxTableToBottom()
{
    m_rxScrollPending = false;
    ui->table_can_rx->scrollToBottom();
}

void MainWindow::table_can_rx_delete()
{
    qDebug() << "xxx";
    QTableWidget *table = ui->table_can_rx;
    // Every row holding a selected cell goes. The selection is taken as row
    // ranges and removed from the bottom up, a block at a time, so that
    // deleting a large selection does not rescan it after every row.
    QVector<std::pair<int, int>> spans;
    for (const QItemSelectionRange &range : table->selectionModel()->selection())
        if (range.isValid())
            spans.append({range.top(), range.bottom()});
    std::sort(spans.begin(), spans.end());
    QVector<std::pair<int, int>> merged;
    for (const auto &span : spans) {
        if (!merged.isEmpty() && span.first <= merged.last().second + 1)
            merged.last().second = std::max(merged.last().second, span.second);
        else
            merged.append(span);
    }
    for (int i = merged.size() - 1; i >= 0; --i)
        table->model()->removeRows(merged.at(i).first,
                                   merged.at(i).second - merged.at(i).first + 1);
}

void MainWindow::table_can_rx_delete_all()
{
    ui->table_can_rx->setRowCount(0);
}

void MainWindow::show_table_can_rx_menu()
{
    // A fresh menu for every request, gone once it has closed.
    QMenu *menu = new QMenu();
    menu->addAction(tr("删除"), this, &MainWindow::table_can_rx_delete);
    menu->addAction(tr("全部删除"), this, &MainWindow::table_can_rx_delete_all);
    menu->exec(QCursor::pos());
    delete menu;
}
