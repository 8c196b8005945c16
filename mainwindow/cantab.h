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
class TransmitListWidget;

// The CAN page: the receive table over the frames read and sent, its counts
// and saving, the transmit list (transmitlist.h), and the replay of a
// capture. The window decides whether the link may be used.
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
    TransmitListWidget *transmitList() const;
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

public slots:
    // A frame to send again: fills the selected transmit row when it is
    // empty, otherwise a new row after it.
    void addTransmitFrame(const CanFrame &frame);

signals:
    // What the status bar tells of the recording; empty when none runs.
    void recordingShown(const QString &text);
    // Frames just stored in the rows, in order (a plot window follows them).
    void framesStored(const QVector<CanFrame> &frames);
    // A periodic row or the replay started or ended; sent at every change.
    void sendersRunning(bool periodic, bool replay);

private slots:
    void table_can_rx_delete();
    void table_can_rx_delete_all();
    void show_table_can_rx_menu();
    void on_pushButton_can_replay_toggled(bool on);
    void on_pushButton_can_rx_save_clicked();

private:
    void setUpCanRxTable();
    // Stores the batches handed over, up to a share of frames per pass of the
    // event loop; the rest wait for the next pass.
    void takeCanRxBacklog();
    void showCanRxCounts();
    void showReplayProgress();
    void showReplayRunning(bool running);
    // Tells who listens whether a periodic row or the replay runs.
    void reportSenders();
    // The frames of a capture chosen for replay, as the replay's options
    // take them; empty when cancelled or refused.
    QVector<ReplayFrame> chooseReplayCapture();
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
    // The replay of a capture; null while none runs.
    std::unique_ptr<CanTxWorker> m_replay;
    qint64 m_replayTotal = 0; // 0: endless
    // Shows how many frames the replay sent.
    QTimer m_replayCounts;
    // The recording to a file, kept while it ends; null once none runs.
    std::unique_ptr<CaptureRecorder> m_recorder;
    bool m_recordingStopped = false;
    QTimer m_recordingTicks;
};
