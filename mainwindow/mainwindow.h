#pragma once

#include "boxsession.h"
#include "canrxthread.h"
#include "cantxworker.h"
#include "otahandle.h"
#include "replaytimeline.h"

#include <QAbstractNativeEventFilter>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace Ui {
class MainWindow;
}

class CanTraceWindow;
class HotplugSource;
class QCloseEvent;
class QLabel;

class MainWindow : public QMainWindow, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit MainWindow(DeviceLink &link, QWidget *parent = nullptr);
    ~MainWindow() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;

    bool check_connected();
    // Switches the box's reporting on the device thread; the result comes later.
    void can_rx_enable(int on);

    // USB plug events, from whichever platform layer noticed them. The device
    // type is the Windows one (5 device interface, 2 volume).
    void handleDeviceArrival(int deviceType, bool physicalVolume);
    void handleDeviceRemoval(int deviceType, bool physicalVolume);
    // Feeds the handlers from a source of plug events (udev, the simulated
    // box); null is allowed and does nothing.
    void attachHotplugSource(HotplugSource *source);

    // Ends the program as the window's close button does, whatever dialog is
    // open, but waits for the verdict of a running upgrade instead of
    // refusing (the quit signals).
    void closeWhenIdle();
    // With automatic connection on, connects a box that is already plugged in
    // as a plug-in would; nothing happens without one.
    void connectPresentBox();
    // Connecting, by hand or automatically, takes only this box and never
    // asks which (the command line's --serial or --device); empty: any.
    void useBox(const BoxSelector &which) { m_namedBox = which; }

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    // Frames read, and the ones this tool sent (shown as sent), in order; the
    // CAN tab's table stores them.
    void receive_can_rx(QVector<CanFrame> frames);
    void on_tabWidget_currentChanged(int index);
    void on_action_exit_triggered();
    void on_action_about_triggered();
    void on_actionsetting_triggered();
    void on_action_trace_window_triggered();
    void on_action_open_capture_triggered();
    void on_action_load_dbc_triggered();
    void on_action_unload_dbc_triggered();
    void on_action_signal_plot_triggered();
    void on_action_record_triggered();
    void on_action_stop_recording_triggered();

private:
    // The info tab asks the window before box work and for a connection.
    void setUpInfoTab();
    void connectByHand();
    // The box a connection takes among those plugged in, asking the user
    // when there are several; none when nothing is to be opened.
    std::optional<BoxSelector> chooseBox(const std::vector<BoxInfo> &boxes, bool byHand);
    // The box named on the command line is not plugged in.
    QString namedBoxAbsentText() const;
    // While box work waits for its replies, the buttons that would queue more
    // are off.
    void setBoxBusy(bool busy);
    // Box work left undone when the window ends: jobs not yet started are
    // dropped, the running one ends after its exchange.
    void stopBoxWork();
    void showHandshake(Handshake outcome);
    // What came of the connect button; the session then resumes the reporting.
    void showConnectAttempt(const ConnectAttempt &attempt);
    // Switches the box's reporting on the device thread, `then` once it has
    // answered or timed out; false, and nothing sent, without a connected link.
    bool switchReporting(bool on, std::function<void()> then);
    // The information read and the reporting of an automatic connection;
    // `present`: the box was there at start.
    void connectAutomatically(const ConnectAttempt &attempt, bool present);
    // Why the connect button could not open the box.
    static QString openFailureText(const LinkOpenResult &opened);
    // Drops a plug message the connection label now contradicts.
    void syncStatusBar(bool connected);
    // The status bar's lasting part: connected to which box and its firmware,
    // or waiting for one.
    void showBoxState();
    void registerDeviceNotifications();
    bool plugEventsKnown() const;
    void showDisconnected();
    bool upgradeInProgress(bool tellUser);
    void stopCanRx();
    // Reporting on and the receive thread started, when the link is connected
    // and no upgrade holds it; nothing while the thread runs.
    void startCanRx(bool tellUser);
    // The receive thread and the box's reporting as the tab shown asks.
    void applyTabReporting(int index);
    // After a connection: a running receive thread gets the box's reporting
    // back; receiving on every tab starts both on any tab.
    void resumeCanRx();
    // The views' banner and, on resuming, the gap row in the rows.
    void showReceivingPaused(bool receiving);
    // The box keeps reporting while `view` is open, whatever tab is shown.
    void needReportingWhileOpen(QWidget *view, ReportingReason reason);
    // Before the window ends: the receive thread stopped, box work not yet
    // started dropped, and the box's reporting switched off after the
    // exchange under way, as leaving the CAN tab does.
    void leaveBoxIdle();
    // Closes every open dialog, as if cancelled.
    void closeDialogs();
    // Stops the periodic rows and the replay.
    void stopPeriodicRows();
    // The upgrade tab works the window's transfer; the window decides whether
    // one may start and what follows its end.
    void setUpUpgradeTab();
    void upgradeFinished();
    // Loads these CAN databases in place of the ones loaded, keeps their
    // paths and tells in the status bar what came of it; `chosen`: the user
    // picked them now, so a file left out is worth a message box.
    void loadDbcFiles(const QStringList &paths, bool chosen);
    // The status bar's recording label and the two menu entries.
    void setUpRecording();

    // The box's link; it outlives the window.
    DeviceLink &m_link;
    Ui::MainWindow *ui;
    QLabel *m_boxState = nullptr;
    QLabel *m_recording = nullptr;
    // The connected box's serial number and firmware version, once known.
    QString m_boxSerial;
    QString m_boxVersion;
    // The only box to connect, from the command line.
    BoxSelector m_namedBox;
    // The box chooser is open: an automatic connection does not ask again.
    bool m_choosing = false;
    OtaHandle m_ota{m_link};
    CanRxThread m_canRx{m_link};
    // The large view over the same frames, while open.
    QPointer<CanTraceWindow> m_traceWindow;
    // The box was pulled out while the transfer held the link.
    bool m_removedDuringUpgrade = false;
    // A quit signal came during the upgrade: close once it has ended.
    bool m_closeAfterUpgrade = false;
    // The window has closed and left the box idle.
    bool m_ended = false;
    // The box's commands run on its device thread, never on the GUI thread;
    // the receive thread is the link's frame sink for the window's lifetime.
    BoxSession m_session{m_link, m_canRx};
    // Where plug events come from; while there is one, a pulled box is told
    // by its removal and needs no probing.
    QPointer<HotplugSource> m_plugEvents;
    bool m_nativePlugEvents = false;
    // The views open that need the box's frames, by reason.
    std::map<unsigned, int> m_openViews;
    QList<QPointer<QWidget>> m_reportingViews;
};
