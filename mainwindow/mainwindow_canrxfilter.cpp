// The receive table's identifier filter and data search.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "canfilter.h"
#include "canrxmodel.h"
#include "messagebox.h"

#include <QToolTip>

void MainWindow::on_lineEdit_can_rx_filter_returnPressed()
{
    applyCanRxFilter();
}

void MainWindow::on_comboBox_can_rx_filter_mode_currentIndexChanged(int)
{
    applyCanRxFilter();
}

void MainWindow::applyCanRxFilter()
{
    const QString text = ui->lineEdit_can_rx_filter->text();
    if (text.trimmed().isEmpty()) {
        if (m_rxModel->isFiltered())
            m_rxModel->setIdFilter(std::nullopt);
        return;
    }
    const auto mode = ui->comboBox_can_rx_filter_mode->currentIndex() == 1
                          ? CanIdFilter::Mode::Hide
                          : CanIdFilter::Mode::ShowOnly;
    const std::optional<CanIdFilter> filter = CanIdFilter::parse(text, mode);
    if (!filter) {
        // The view stays as it was: a filter half understood would hide frames unasked.
        MessageBox::warning(this, tr("信息"),
                            tr("ID 过滤有误：应为十六进制 ID 或范围（如 7DF, 100-1FF），"
                               "以逗号或空格分隔"));
        return;
    }
    m_rxModel->setIdFilter(filter);
}

void MainWindow::on_lineEdit_can_rx_search_returnPressed()
{
    findCanRxData(true);
}

void MainWindow::on_pushButton_can_rx_next_clicked()
{
    findCanRxData(true);
}

void MainWindow::on_pushButton_can_rx_prev_clicked()
{
    findCanRxData(false);
}

void MainWindow::findCanRxData(bool forward)
{
    const std::optional<CanDataPattern> pattern =
        CanDataPattern::parse(ui->lineEdit_can_rx_search->text());
    if (!pattern) {
        MessageBox::warning(this, tr("信息"),
                            tr("查找内容有误：应为两位十六进制字节或 ??，以空格分隔"));
        return;
    }
    QTableView *table = ui->table_can_rx;
    const QModelIndex current = table->currentIndex();
    const int from = current.isValid() ? current.row() : (forward ? -1 : m_rxModel->rowCount());
    const int found = m_rxModel->findData(*pattern, from, forward);
    if (found < 0) {
        QToolTip::showText(ui->lineEdit_can_rx_search->mapToGlobal(QPoint(0, 0)), tr("未找到"),
                           ui->lineEdit_can_rx_search);
        return;
    }
    // A found row stays in sight: following the newest frame would scroll it away.
    if (!ui->pushButton_can_rx_pause->isChecked())
        ui->pushButton_can_rx_pause->setChecked(true);
    const QModelIndex index = m_rxModel->index(found, 0);
    table->setCurrentIndex(index);
    table->selectRow(found);
    table->scrollTo(index, QAbstractItemView::PositionAtCenter);
}
