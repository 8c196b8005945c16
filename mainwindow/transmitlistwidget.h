#pragma once

#include "canframetype.h"
#include "transmitlist.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class TransmitListWidget;
}

class DeviceLink;
class TransmitRowWidget;

// The CAN tab's transmit list: any number of rows, each sent once or
// periodically, kept in the configuration and saved to or loaded from a file.
class TransmitListWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TransmitListWidget(QWidget *parent = nullptr);
    ~TransmitListWidget() override;

    void setUp(DeviceLink &link);
    // As CanTab::setLinkChecks.
    void setLinkChecks(std::function<bool()> connected, std::function<bool()> upgradeRunning);

    QVector<TransmitRow> rows() const;
    // Replaces every row; the running ones stop.
    void setRows(const QVector<TransmitRow> &rows);
    int currentRow() const;
    void setCurrentRow(int index);
    // Some row sends periodically.
    bool anyRunning() const;

public slots:
    // Fills the selected row from `frame` when it is empty, otherwise a new
    // row added after it, which becomes the selected one.
    void addTransmitFrame(const CanFrame &frame);
    void stopAll();
    void addRow();
    void removeRow();
    void moveRow(int by);
    void saveList();
    void loadList();

signals:
    // A row started or stopped sending periodically.
    void runningChanged(bool anyRunning);

private:
    TransmitRowWidget *rowAt(int index) const;
    int indexOf(const TransmitRowWidget *row) const;
    TransmitRowWidget *insertRow(int index, const TransmitRow &row);
    void renumber();
    void send(TransmitRowWidget *row);
    void togglePeriodic(TransmitRowWidget *row, bool on);
    void fillFromDbc(TransmitRowWidget *row);
    // The row's frame as a send checks it: the refusal shown, nullopt then.
    std::optional<TransmitFrame> checkedFrame(TransmitRowWidget *row);
    void showCounts();
    void keepInConfig();

    std::unique_ptr<Ui::TransmitListWidget> ui;
    DeviceLink *m_link = nullptr;
    std::function<bool()> m_connectedCheck;
    std::function<bool()> m_upgradeCheck;
    QPointer<TransmitRowWidget> m_current;
    QTimer m_counts;
    QTimer m_keep;
};
