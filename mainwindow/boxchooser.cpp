#include "boxchooser.h"
#include "ui_boxchooser.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidgetItem>

BoxPick pickBox(const std::vector<BoxInfo> &boxes, const BoxSelector &named,
                const QString &chosenLast, bool byHand)
{
    const auto indexWhere = [&boxes](const BoxSelector &which) {
        for (size_t n = 0; n < boxes.size(); ++n)
            if (which.matches(boxes[n]))
                return int(n);
        return -1;
    };
    BoxPick pick;
    if (!named.isEmpty()) {
        pick.index = indexWhere(named);
        return pick;
    }
    const int last = chosenLast.isEmpty() ? -1 : indexWhere(BoxSelector{QString(), chosenLast});
    if (boxes.size() == 1)
        pick.index = 0;
    else if (!byHand && last >= 0)
        pick.index = last;
    else if (boxes.size() > 1)
        pick = BoxPick{-1, true, last};
    return pick;
}

BoxChooser::BoxChooser(const std::vector<BoxInfo> &boxes, int preselected, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::BoxChooser>())
{
    ui->setupUi(this);
    QTableWidget *table = ui->tableWidget_boxes;
    table->setRowCount(int(boxes.size()));
    for (int row = 0; row < int(boxes.size()); ++row) {
        const BoxInfo &box = boxes[size_t(row)];
        const QString texts[] = {box.serialNumber, box.path, box.product};
        for (int column = 0; column < 3; ++column)
            table->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->selectRow(preselected >= 0 ? preselected : 0);
    connect(table, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
}

BoxChooser::~BoxChooser() = default;

int BoxChooser::chosen() const
{
    return ui->tableWidget_boxes->currentRow();
}

BoxChoice &boxChoice()
{
    static BoxChoice choice = [](QWidget *parent, const std::vector<BoxInfo> &boxes,
                                 int preselected) {
        BoxChooser dialog(boxes, preselected, parent);
        return dialog.exec() == QDialog::Accepted ? dialog.chosen() : -1;
    };
    return choice;
}
