#pragma once

#include <QTreeWidget>

// The plot window's tree of messages and signals; a signal dragged from it
// carries "message index, signal index" for a pane to take.
class PlotSignalTree : public QTreeWidget
{
    Q_OBJECT
public:
    using QTreeWidget::QTreeWidget;

    static constexpr int kMessageRole = Qt::UserRole;
    static constexpr int kSignalRole = Qt::UserRole + 1;

protected:
    QMimeData *mimeData(const QList<QTreeWidgetItem *> items) const override;
    QStringList mimeTypes() const override;
};
