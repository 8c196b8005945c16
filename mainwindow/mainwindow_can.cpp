// The CAN tab: the two transmit rows (the receive table is in mainwindow_canrx.cpp).
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "boxcommands.h"
#include "cantext.h"
#include "messagebox.h"

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
    BoxCommands::sendCanFrame(*id, *data);
}
