#include "changedbytesdelegate.h"

#include "canidsummarymodel.h"

#include <QApplication>
#include <QPainter>

void ChangedBytesDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    // Over the text, translucent: the digits stay readable on any row colour.
    const quint32 changed = index.data(CanIdSummaryModel::ChangedBytesRole).toUInt();
    if (changed != 0 && option.widget) {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QRect text =
            opt.widget->style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
        const int margin = opt.widget->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
        // Each byte is two digits and a space.
        const int pairWidth = opt.fontMetrics.horizontalAdvance(QStringLiteral("00"));
        const int stepWidth = opt.fontMetrics.horizontalAdvance(QStringLiteral("00 "));
        for (int i = 0; i < 32; ++i)
            if (changed & (1u << i))
                painter->fillRect(QRect(text.left() + margin + i * stepWidth, option.rect.top() + 2,
                                        pairWidth, option.rect.height() - 4),
                                  QColor(255, 140, 0, 110));
    }
}
