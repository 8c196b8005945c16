#pragma once

#include "transmitlist.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TransmitRowWidget;
}

class CanTxWorker;
class QLineEdit;

// One row of the transmit list: its fields and buttons, the periodic sending
// it runs, and where a refused send is shown. What a click does is the list's.
class TransmitRowWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TransmitRowWidget(QWidget *parent = nullptr);
    ~TransmitRowWidget() override;

    TransmitRow row() const;
    void setRow(const TransmitRow &row);
    // Names the widgets after the row's place (the first without a number),
    // so that the first two rows keep the names the transmit rows always had.
    void setPlace(int index);
    int place() const { return m_place; }
    // Marks the row the list's selection buttons act on.
    void setCurrent(bool current);

    // Shows why the row was not sent at the field at fault; empty clears it.
    void showProblem(TransmitProblem problem);
    // The data field's bytes after a send took the counter on by `steps`.
    void advanceCounter(const QVector<uint8_t> &sentData, qint64 steps);

    // The periodic sending; null while it is off.
    std::unique_ptr<CanTxWorker> periodic;
    // Shows the row as sending or not: the button says "停止" while it runs,
    // and what it sends cannot change under it.
    void showRunning(bool running);
    void showSentCount(qint64 sent);
    bool periodicChecked() const;
    void setPeriodicChecked(bool on);
    void setDbcAvailable(bool available);

signals:
    void sendRequested();
    void periodicToggled(bool on);
    void dbcRequested();
    void edited();

private:
    void reformatData();
    void updateEnabled();

    std::unique_ptr<Ui::TransmitRowWidget> ui;
    int m_place = 0;
    bool m_dbcAvailable = false;
};
