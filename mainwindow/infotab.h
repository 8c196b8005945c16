#pragma once

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class InfoTab;
}

class BoxSession;
class DeviceLink;
struct IdentityRead;
enum class WifiTextProblem;

// The identity and WiFi page: the connect button and what it shows, the
// box's identity read and its WiFi settings written. The window decides
// whether box work may start.
class InfoTab : public QWidget
{
    Q_OBJECT
public:
    explicit InfoTab(QWidget *parent = nullptr);
    ~InfoTab() override;

    // Nothing goes to the box before the tab has the window's link and session.
    void setUp(DeviceLink &link, BoxSession &session);
    // Asked before box work starts: false when it is refused, the refusal
    // already told.
    void setWorkCheck(std::function<bool()> check);
    // The four identity and WiFi reads on the device thread; the labels are
    // filled, and `then` runs, once they are answered or timed out. False
    // when they were not started.
    bool readInformation(std::function<void()> then);
    // The window has closed and left the box idle: replies still to come are
    // not shown.
    void end();
    void showConnected();
    void showDisconnected(bool connectEnabled);
    // Values read from a box that is no longer connected are not shown as current.
    void clearBoxValues();
    // While box work waits for its replies, the buttons that would queue more
    // are off; the connect button stays off once a box is connected.
    void setBusy(bool busy, bool accepted);

signals:
    void connectRequested();
    // The box's software version, as read.
    void versionRead(const QString &version);

private slots:
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_connect_clicked();

private:
    void showInformation(const IdentityRead &read);
    // The warning for a refused WiFi name or password; empty when none.
    static QString wifiRefusalText(WifiTextProblem problem);

    std::unique_ptr<Ui::InfoTab> ui;
    DeviceLink *m_link = nullptr;
    BoxSession *m_session = nullptr;
    std::function<bool()> m_workCheck;
    bool m_ended = false;
};
