#pragma once

#include <QObject>
#include <QString>

class CanIdSummaryModel;
class CanRxModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStyledItemDelegate;
class QTableView;

// The controls over a trace: the table and what it shows (freeze, time,
// identifier filter, data search, the per-identifier view). The CAN tab and
// every trace window have one; the filter, freeze and time belong to the
// rows, so every view over the same rows shows the same.
class CanTracePanel : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QTableView *table;
        QPushButton *freeze;
        QPushButton *byId;
        QComboBox *time;
        QLineEdit *filter;
        QComboBox *filterMode;
        QLineEdit *search;
        QPushButton *previous;
        QPushButton *next;
        QLabel *held;
    };

    CanTracePanel(const Widgets &widgets, CanRxModel *rows, CanIdSummaryModel *ids, QWidget *owner);

    bool showsIds() const;

private:
    void applyFilter();
    void find(bool forward);
    void showIds(bool byId);
    void setColumns();
    void followNewest();
    void showHeld();
    // Shows the rows' filter, freeze and time as another view may have set them.
    void syncWithRows();

    Widgets m_w;
    CanRxModel *m_rows;
    CanIdSummaryModel *m_ids;
    QStyledItemDelegate *m_changedBytes;
    QWidget *m_owner;
    // The rows' filter text this panel last showed.
    QString m_shownFilter;
};
