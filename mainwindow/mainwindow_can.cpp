// The CAN tab: the two transmit rows (the receive table is in mainwindow_canrx.cpp).
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "cantext.h"
#include "cmdpacket.h"
#include "commands.h"
#include "devicelink.h"

#include <QDebug>
#include <QLineEdit>

namespace {
// Raised while a data-field handler rewrites its field, so that the change
// notification of that rewrite is recognised. Shared by both rows.
bool can_data_formatting = false;
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
    CmdPacket packet;
    packet.set(CMD_CAN_FRAME, canSendPayload(idText, dataText));
    for (uint8_t b : packet.getPayload())
        qDebug() << int(b);
    // Frames go out without a reply: the receive thread may be reading.
    DeviceLink::instance()->sendPacket(packet);
}
