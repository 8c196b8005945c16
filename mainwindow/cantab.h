#pragma once

#include "canframetype.h"
#include "cantxworker.h"
#include "replaytimeline.h"

#include <QTimer>
#include <QVector>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class CanTab;
}

class CanIdSummaryModel;
class CanRxModel;
class CanTracePanel;
class CaptureRecorder;
class DeviceLink;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The CAN page: the receive table over the frames read and sent, its counts
// and saving, the two transmit rows sent once or periodically, and the replay
// of a capture. The window decides whether the link may be used.
class CanTab : public QWidget
{
    Q_OBJECT
public:
    explicit CanTab(QWidget *parent = nullptr);
    ~CanTab() override;

    // Nothing goes to the box before the tab has the window's link.
    void setUp(DeviceLink &link);
    // Asked before a frame goes out: false when refused, the refusal already
    // told. `connected` is asked first.
    void setLinkChecks(std::function<bool()> connected, std::function<bool()> upgradeRunning);
    // Stops the periodic rows and the replay.
    void stopPeriodicRows();
    // The stored frames and the per-identifier view, which a trace window
    // shows too.
    CanRxModel *rows() const { return m_rxModel; }
    CanIdSummaryModel *ids() const { return m_rxIdModel; }

    // Frames read, and the ones this tool sent (shown as sent), in order.
    void receive_can_rx(QVector<CanFrame> frames);

    // Asks for a file and records every frame to it as it comes, whatever
    // the table keeps, filters or holds back, until stopRecording().
    void recordToFile();
    void stopRecording();
    // A recording runs, or is still ending.
    bool hasRecorder() const { return m_recorder != nullptr; }
    bool isRecording() const { return m_recorder && !m_recordingStopped; }

signals:
    // What the status bar tells of the recording; empty when none runs.
    void recordingShown(const QString &text);
    // Frames just stored in the rows, in order (a plot window follows them).
    void framesStored(const QVector<CanFrame> &frames);
    // A periodic row or the replay started or ended; sent at every change.
    void sendersRunning(bool periodic, bool replay);

private slots:
    void on_pushButton_can_send_clicked();
    void table_can_rx_delete();
    void table_can_rx_delete_all();
    void show_table_can_rx_menu();
    void on_lineEdit_can_data_textChanged(QString text);
    void on_pushButton_can_send_2_clicked();
    void on_lineEdit_can_data_2_textChanged(QString text);
    void on_pushButton_can_period_toggled(bool on);
    void on_pushButton_can_period_2_toggled(bool on);
    void on_pushButton_can_replay_toggled(bool on);
    void on_pushButton_can_rx_save_clicked();
    void on_pushButton_can_dbc_clicked();
    void on_pushButton_can_dbc_2_clicked();

private:
    void setUpCanRxTable();
    // Stores the batches handed over, up to a share of frames per pass of the
    // event loop; the rest wait for the next pass.
    void takeCanRxBacklog();
    void showCanRxCounts();
    void sendCanRow(QLineEdit *idField, QLineEdit *dataField);
    // The frame of a transmit row as a send checks it: warned about and empty
    // when refused, empty without a warning when a field is empty.
    std::optional<ScheduledCanFrame> checkedCanFrame(QLineEdit *idField, QLineEdit *dataField);
    struct CanTxRow
    {
        QLineEdit *id;
        QLineEdit *data;
        QSpinBox *period;
        QPushButton *toggle;
        QLabel *count;
    };
    CanTxRow canTxRow(int row) const;
    void togglePeriodicRow(int row, bool on);
    void showPeriodicCounts();
    void syncSendCounts();
    void showReplayProgress();
    // The frames of a capture chosen for replay; empty when cancelled or refused.
    QVector<ReplayFrame> chooseReplayCapture();
    void reformatCanData(QLineEdit *dataField);
    // Fills a transmit row with a frame built from a message of the loaded
    // database.
    void fillRowFromDbc(int row);
    void showRecording();
    void recordingEnded(const QString &error);

    std::unique_ptr<Ui::CanTab> ui;
    DeviceLink *m_link = nullptr;
    std::function<bool()> m_connectedCheck;
    std::function<bool()> m_upgradeCheck;
    CanRxModel *m_rxModel = nullptr;
    // The per-identifier view, shown in the same table instead of the trace.
    CanIdSummaryModel *m_rxIdModel = nullptr;
    CanTracePanel *m_rxPanel = nullptr;
    // Refreshes the count, rate and given-up labels; one sample a tick.
    QTimer m_rxStatsTimer;
    QVector<quint64> m_rxReceivedSamples;
    std::deque<QVector<CanFrame>> m_rxBacklog;
    int m_rxTakenThisPass = 0;
    bool m_rxPassMarked = false;
    bool m_rxSaving = false;
    // The periodic sending of each transmit row; null while it is off.
    std::unique_ptr<CanTxWorker> m_periodic[2];
    // The replay of a capture; null while none runs.
    std::unique_ptr<CanTxWorker> m_replay;
    qint64 m_replayTotal = 0;
    // Shows how many frames each running row and the replay sent.
    QTimer m_periodicCounts;
    // The recording to a file, kept while it ends; null once none runs.
    std::unique_ptr<CaptureRecorder> m_recorder;
    bool m_recordingStopped = false;
    QTimer m_recordingTicks;
};
