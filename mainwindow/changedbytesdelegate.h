#pragma once

#include <QStyledItemDelegate>

// Paints a data cell ("01 02 03 ") with the bytes marked
// whose bits the model gives in CanIdSummaryModel::ChangedBytesRole.
class ChangedBytesDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
