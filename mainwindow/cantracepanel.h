#pragma once

#include "canframetype.h"

#include <QObject>
#include <QString>

class CanIdSummaryModel;
class CanRxModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStyledItemDelegate;
class QTableView;

// The controls over a trace: the table and what it shows (freeze, time,
// identifier filter, data search, the per-identifier view), and what can be
// done with its rows (copy, send again, filter or hide an identifier). The
// CAN tab and every trace window have one; the filter, freeze and time
// belong to the rows, so every view over the same rows shows the same.
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
        // Shown while the user has scrolled away from the newest row.
        QPushButton *jump;
        // A refused filter or search is told here, beside its field.
        QLabel *filterError;
        QLabel *searchError;
    };

    CanTracePanel(const Widgets &widgets, CanRxModel *rows, CanIdSummaryModel *ids, QWidget *owner);

    bool showsIds() const;
    // The view scrolls along with new rows.
    bool followsNewest() const { return m_following; }
    // Adds the entries that act on the clicked or selected rows.
    void addRowActions(QMenu *menu);

    // The selected rows as candump -L lines ("(1733580000.123456) can0 7DF#02010C"),
    // as copied to the clipboard: at most kMaxCopiedRows, `left` says how many
    // more were selected.
    static constexpr int kMaxCopiedRows = 1000000;
    QString selectedRowsText(int *left = nullptr) const;
    void copyRows();
    // Shows only the current row's identifier, or hides it too.
    void filterCurrentId(bool hide);

signals:
    // "Send this frame": the current row's frame for the transmit area.
    void sendFrameRequested(const CanFrame &frame);

private:
    void applyFilter();
    void find(bool forward);
    void showIds(bool byId);
    void setColumns();
    void followNewest();
    void jumpToNewest();
    void scrolled(int value);
    void showHeld();
    // Shows the rows' filter, freeze and time as another view may have set them.
    void syncWithRows();
    // Marks `field` refused with `text` beside it; an empty text clears it.
    void showRefusal(QLineEdit *field, QLabel *label, const QString &text);
    // The identifier of the current row, -1 for none.
    int currentId() const;

    Widgets m_w;
    CanRxModel *m_rows;
    CanIdSummaryModel *m_ids;
    QStyledItemDelegate *m_changedBytes;
    QWidget *m_owner;
    // The rows' filter text this panel last showed.
    QString m_shownFilter;
    bool m_following = true;
    // Raised while the panel scrolls, so that its own scrolling is not taken
    // for the user's.
    bool m_scrolling = false;
};
