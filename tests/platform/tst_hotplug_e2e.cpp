// The whole hot-plug path on Linux without hardware: a umockdev testbed puts
// the simulated box on a hidraw node, the real libudev monitor sees it come
// and go, and the window connects and reads it through the real hidapi library.

#include "commands.h"
#include "config.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "hotplugsource.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "umockdevbox.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include <memory>

namespace {
// Room for the second of waiting and the exchanges over the node.
constexpr int kConnectWaitMs = 15000;
} // namespace

class HotplugE2eTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void plugInConnectsAndReadsThroughHidraw();
    void pullOutShowsDisconnected();
    void plugInAgainUnderNewNodeConnectsAgain();

private:
    QString text(const char *label) const
    {
        return m_window->findChild<QLabel *>(QLatin1String(label))->text();
    }
    bool connectEnabled() const
    {
        return m_window->findChild<QPushButton *>("pushButton_connect")->isEnabled();
    }
    QString status() const { return m_window->statusBar()->currentMessage(); }

    std::unique_ptr<UmockdevBox> m_dev;
    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<MessageBoxRecorder> m_boxes;
    std::unique_ptr<LogCapture> m_log;
    std::unique_ptr<MainWindow> m_window;
};

void HotplugE2eTest::initTestCase()
{
    // The testbed comes before anything that looks at udev; the box starts out.
    m_dev = std::make_unique<UmockdevBox>(false);
    setHidBackend(nullptr);
    DeviceLink::instance()->reset();
    m_dir = std::make_unique<TempWorkDir>();
    config()->set(Config::AutoConnect, true);
    SimBox::Identity id;
    id.softwareId = "SW-77";
    id.softwareVersion = 0x01020304;
    id.hardwareId = "HW42";
    m_dev->box()->setIdentity(id);
    m_dev->box()->setWifi("home", "secret99");

    m_boxes = std::make_unique<MessageBoxRecorder>();
    m_log = std::make_unique<LogCapture>();
    m_window = std::make_unique<MainWindow>(*DeviceLink::instance());
    HotplugSource *source = createSystemHotplugSource(m_window.get());
    QVERIFY2(source, "no udev monitor");
    m_window->attachHotplugSource(source);
}

void HotplugE2eTest::cleanupTestCase()
{
    m_window.reset();
    m_log.reset();
    m_boxes.reset();
    DeviceLink::instance()->reset();
    m_dev.reset();
    m_dir.reset();
}

void HotplugE2eTest::plugInConnectsAndReadsThroughHidraw()
{
    QCOMPARE(m_dev->plug(), QString("/dev/hidraw0"));

    QTRY_COMPARE_WITH_TIMEOUT(text("label_connect_info"), QString("VOTK已连接"), kConnectWaitMs);
    QVERIFY(waitForBoxWork(m_window.get()));
    QCOMPARE(status(), QString("USB线连接"));
    QVERIFY(!connectEnabled());
    QCOMPARE(text("label_6"), QString("SW-77"));
    QCOMPARE(text("label_7"), QString("16909060"));
    QCOMPARE(text("label_9"), QString("home"));
    QCOMPARE(text("label_10"), QString("secret99"));
    QVERIFY(m_log->contains("my device in:  5"));
    QVERIFY(m_dev->isOpenByHost());
    // One arrival for the box (its interface, hid and hidraw records are not
    // USB devices), so one connection.
    QCOMPARE(m_dev->box()->commandsOnWire(),
             (QList<uint8_t>{CMD_PROBE, CMD_ENTER_USB_MODE, CMD_GET_SOFTWARE_ID,
                             CMD_GET_SOFTWARE_VERSION, CMD_GET_HARDWARE_ID, CMD_GET_WIFI_INFO}));
    QVERIFY(m_boxes->shown.isEmpty());
}

void HotplugE2eTest::pullOutShowsDisconnected()
{
    m_dev->unplug();

    QTRY_COMPARE_WITH_TIMEOUT(text("label_connect_info"), QString("VOTK已断开"), kConnectWaitMs);
    QCOMPARE(status(), QString("USB线断开"));
    QVERIFY(connectEnabled());
    QVERIFY(!DeviceLink::instance()->isConnected());
    QVERIFY(m_log->contains("my device out:  5"));
    QVERIFY(m_boxes->shown.isEmpty());
}

void HotplugE2eTest::plugInAgainUnderNewNodeConnectsAgain()
{
    m_dev->box()->clearWire();
    m_window->findChild<QLabel *>("label_6")->setText("...");

    QCOMPARE(m_dev->plug(), QString("/dev/hidraw1"));

    QTRY_COMPARE_WITH_TIMEOUT(text("label_connect_info"), QString("VOTK已连接"), kConnectWaitMs);
    QVERIFY(waitForBoxWork(m_window.get()));
    QCOMPARE(text("label_6"), QString("SW-77"));
    QVERIFY(!connectEnabled());
    QVERIFY(DeviceLink::instance()->isConnected());
    QCOMPARE(m_dev->box()->commandsOnWire().value(0), uint8_t(CMD_PROBE));
}

QTEST_MAIN(HotplugE2eTest)
#include "tst_hotplug_e2e.moc"
