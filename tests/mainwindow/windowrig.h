#pragma once

#include "devicelink.h"
#include "hidbackend.h"
#include "mainwindow.h"
#include "simhidbackend.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMetaType>
#include <QPushButton>
#include <QTabWidget>

#include <cstdint>

// A window in a fresh working directory, in front of a simulated box, with
// every message box answered and the debug log collected. Members are torn
// down in reverse: the window goes before the box and the link.
struct WindowRig
{
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes;
    LogCapture log;
    MainWindow window{*DeviceLink::instance()};

    SimBox &box() { return sim.box; }

    template <typename T = QWidget> T *w(const char *name)
    {
        T *found = window.findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }
    QAction *action(const char *name) { return w<QAction>(name); }
    QTabWidget *tabs() { return w<QTabWidget>("tabWidget"); }
    QString text(const char *label) { return w<QLabel>(label)->text(); }

    // Serves events until the box work the window started has its results.
    bool settle() { return waitForBoxWork(&window); }
    // Shows a tab, as a click on it does, and waits for what that asks of the box.
    void showTab(int index)
    {
        tabs()->setCurrentIndex(index);
        settle();
    }

    // Opens the settings dialog from the menu, as the user does; null when
    // none appeared.
    QDialog *openSettings()
    {
        action("actionsetting")->trigger();
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->isVisible() && top->objectName() == QLatin1String("SettingDialog"))
                return qobject_cast<QDialog *>(top);
        return nullptr;
    }

    // Connect by the button, with the box accepting the handshake, then forget
    // what that put on the wire and showed.
    void connectAccepted()
    {
        w<QPushButton>("pushButton_connect")->click();
        settle();
        box().clearWire();
        boxes.shown.clear();
        log.clear();
    }

    // What the window says about the link, in one line: the label, whether
    // the connect button can be pressed, and the answer of the connection check.
    QString linkState()
    {
        const QList<MessageBox::Shown> before = boxes.shown;
        const bool connected = window.check_connected();
        boxes.shown = before;
        return text("label_connect_info") +
               (w<QPushButton>("pushButton_connect")->isEnabled() ? " | button on"
                                                                  : " | button off") +
               (connected ? " | connected" : " | not connected");
    }
};

// linkState() of a window that shows the link as it is.
const QString kShownConnected = QStringLiteral("VOTK已连接 | button off | connected");
const QString kShownDisconnected = QStringLiteral("VOTK已断开 | button on | not connected");

// The box answers one command with a payload of the test's choosing: the box
// is told to keep quiet for that command and the scripted reply is queued as
// soon as the command is written. Installed while alive.
class ScriptedReplyBackend : public SimHidBackend
{
public:
    ScriptedReplyBackend(WindowRig &rig, uint8_t cmd, const QByteArray &payload)
        : SimHidBackend(rig.box()), m_rig(rig), m_box(rig.box()), m_cmd(cmd), m_payload(payload)
    {
        m_box.setFault(SimBox::Fault::Silent, cmd);
        DeviceLink::instance()->setBackend(this);
    }
    ~ScriptedReplyBackend() override { DeviceLink::instance()->setBackend(&m_rig.sim.backend); }

    int write(HidHandle *dev, const unsigned char *data, size_t length) override
    {
        const int result = SimHidBackend::write(dev, data, length);
        if (result > 0 && length == 65 && data[1] == 8 && data[3] == m_cmd)
            m_box.queueInputReport(inputFrame(m_cmd, m_payload));
        return result;
    }

private:
    WindowRig &m_rig;
    SimBox &m_box;
    uint8_t m_cmd;
    QByteArray m_payload;
};

inline void registerFrameType()
{
    qRegisterMetaType<QVector<CanFrame>>("QVector<CanFrame>");
}
