// The window's reaction to USB plug events, against the simulated box: the
// native filter feeding it, the automatic connection, the disconnected state,
// a re-plug under the running CAN receive thread, an upgrade holding the link,
// and the simulated box's own plug events.

#include "boxchooser.h"
#include "boxsession.h"
#include "commands.h"
#include "config.h"
#include "configfile.h"
#include "devicechange.h"
#include "devicelink.h"
#include "simhotplug.h"
#include "win32msg.h"
#include "windowparts.h"
#include "windowrig.h"

#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QtTest>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {
const QList<uint8_t> kFullConnect = {CMD_PROBE,           CMD_ENTER_USB_MODE,
                                     CMD_GET_SOFTWARE_ID, CMD_GET_SOFTWARE_VERSION,
                                     CMD_GET_HARDWARE_ID, CMD_GET_WIFI_INFO};

// Serves events until the box plugged in has settled and the automatic
// connection that follows, with its reads, is over.
bool arrivalHandled(WindowRig &rig)
{
    return QTest::qWaitFor([&rig] { return rig.log.contains("delay stop"); }, 10000) &&
           waitForBoxWork(&rig.window);
}

void giveIdentity(SimBox &box)
{
    SimBox::Identity id;
    id.softwareId = "SW-77";
    id.softwareVersion = 0x01020304;
    id.hardwareId = "HW42";
    box.setIdentity(id);
    box.setWifi("home", "secret99");
}

QString status(WindowRig &rig)
{
    return rig.window.statusBar()->currentMessage();
}

// The automatic connection as config.ini spells it, read as start-up reads it.
void loadAutoConnect(const TempWorkDir &dir, const QString &text)
{
    dir.writeFile("config.ini", "auto_connect=\"" + text.toUtf8() + "\"\n");
    QSettings settings(configFilePath(), QSettings::IniFormat);
    config()->load(settings);
}

} // namespace

class HotplugTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void filterFeedsHandlersAndNeverConsumes_data();
    void filterFeedsHandlersAndNeverConsumes();
    void otherNativeEventsAreNotDecoded();

    void arrivalConnectsAndReadsInformation();
    void arrivalWithoutAutoConnectOnlyShowsStatus_data();
    void arrivalWithoutAutoConnectOnlyShowsStatus();
    void arrivalWithBoxAbsentStaysQuiet();
    void arrivalWhileConnectedDoesNoSecondHandshake_data();
    void arrivalWhileConnectedDoesNoSecondHandshake();
    void plugFactAsksForWork_data();
    void plugFactAsksForWork();
    void autoConnectTakesTheRightBox_data();
    void autoConnectTakesTheRightBox();
    void otherBoxPluggedLeavesConnectedOne_data();
    void otherBoxPluggedLeavesConnectedOne();

    void boxPulledOutShowsDisconnected_data();
    void boxPulledOutShowsDisconnected();
    void otherDeviceRemovedLeavesScreenUnchanged();
    void removalWithBoxStayingMarksItConnected();

    void replugWhileCanTabShownResumesFrames();
    void upgradeHoldingTheLinkIsNotDisturbed();

    void simulatedBoxPlugEventsReachTheWindow();
    void simulatedBoxShortcutsPullOutAndPlugIn();
};

void HotplugTest::initTestCase()
{
    registerFrameType();
}

void HotplugTest::filterFeedsHandlersAndNeverConsumes_data()
{
    QTest::addColumn<uint>("message");
    QTest::addColumn<qulonglong>("event");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<QString>("statusText");

    const uint dc = WM_DEVICECHANGE;
    QTest::newRow("arrival") << dc << qulonglong(DBT_DEVICEARRIVAL) << "my device in:  5"
                             << "USB线连接";
    QTest::newRow("removal") << dc << qulonglong(DBT_DEVICEREMOVECOMPLETE) << "my device out:  5"
                             << "USB线断开";
    QTest::newRow("devnodes changed")
        << dc << qulonglong(DBT_DEVNODES_CHANGED) << QString() << QString();
    QTest::newRow("query remove") << dc << qulonglong(0x8001) << QString() << QString();
    QTest::newRow("other message")
        << 0x0010u << qulonglong(DBT_DEVICEARRIVAL) << QString() << QString();
}

void HotplugTest::filterFeedsHandlersAndNeverConsumes()
{
    QFETCH(uint, message);
    QFETCH(qulonglong, event);
    QFETCH(QString, logged);
    QFETCH(QString, statusText);

    WindowRig rig;
    // Off, so that an arrival does not spend a second waiting for the box.
    config()->set(Config::AutoConnect, false);
    rig.box().unplug();
    rig.log.clear();

    DEV_BROADCAST_HDR header{sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_DEVICEINTERFACE, 0};
    MSG msg;
    std::memset(&msg, 0, sizeof(msg));
    msg.message = message;
    msg.wParam = WPARAM(event);
    msg.lParam = reinterpret_cast<LPARAM>(&header);
    long result = 0;
    QCOMPARE(rig.window.nativeEventFilter("windows_generic_MSG", &msg, &result), false);
    QVERIFY(rig.settle());

    QCOMPARE(status(rig), statusText);
    if (logged.isEmpty())
        QVERIFY(!rig.log.contains("my device"));
    else
        QVERIFY(rig.log.contains(logged));
}

void HotplugTest::otherNativeEventsAreNotDecoded()
{
#ifdef Q_OS_WIN
    QSKIP("on Windows every native event is a MSG");
#else
    WindowRig rig;
    config()->set(Config::AutoConnect, false);
    // A look-alike of an arrival handed in as some other platform's event.
    DEV_BROADCAST_HDR header{sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_DEVICEINTERFACE, 0};
    MSG msg;
    std::memset(&msg, 0, sizeof(msg));
    msg.message = WM_DEVICECHANGE;
    msg.wParam = DBT_DEVICEARRIVAL;
    msg.lParam = reinterpret_cast<LPARAM>(&header);
    long result = 0;
    QCOMPARE(rig.window.nativeEventFilter("xcb_generic_event_t", &msg, &result), false);
    QCOMPARE(status(rig), QString());
    QVERIFY(!rig.log.contains("my device"));
#endif
}

void HotplugTest::arrivalConnectsAndReadsInformation()
{
    WindowRig rig;
    config()->set(Config::AutoConnect, true);
    giveIdentity(rig.box());

    rig.window.handleDeviceArrival(DEVICE_TYPE_INTERFACE, false);
    // The window is served while the box settles: it has not settled within
    // the handler, and nothing has gone out yet.
    QVERIFY(!rig.log.contains("delay stop"));
    QVERIFY(rig.box().wire().isEmpty());
    QVERIFY(arrivalHandled(rig));

    QCOMPARE(status(rig), QString("USB线连接"));
    QCOMPARE(rig.box().commandsOnWire(), kFullConnect);
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已连接"));
    QVERIFY(!rig.w<QPushButton>("pushButton_connect")->isEnabled());
    QCOMPARE(rig.text("label_6"), QString("SW-77"));
    QCOMPARE(rig.text("label_7"), QString("16909060"));
    QCOMPARE(rig.text("label_8"), QString("0042"));
    QCOMPARE(rig.text("label_9"), QString("home"));
    QCOMPARE(rig.text("label_10"), QString("secret99"));

    // The steps in their order, the wait between the two markers.
    int at = rig.log.indexOf("my device in:  5");
    for (const char *line : {"111111", "delay stop", "222222", "usb mode", "software id:"}) {
        const int next = rig.log.indexOf(line, at + 1);
        QVERIFY2(next > at, line);
        at = next;
    }
    QVERIFY(!rig.log.contains("u disk come"));
    QVERIFY(rig.boxes.shown.isEmpty());
}

void HotplugTest::arrivalWithoutAutoConnectOnlyShowsStatus_data()
{
    QTest::addColumn<QString>("autoConnect");
    QTest::newRow("0") << "0";
    QTest::newRow("off") << "off";
    QTest::newRow("true") << "true";
    QTest::newRow("padded") << " 1";
    QTest::newRow("two") << "11";
}

void HotplugTest::arrivalWithoutAutoConnectOnlyShowsStatus()
{
    QFETCH(QString, autoConnect);
    WindowRig rig;
    loadAutoConnect(rig.dir, autoConnect);

    // A flash drive's volume too: without the automatic connection no volume line.
    rig.window.handleDeviceArrival(DEVICE_TYPE_INTERFACE, false);
    rig.window.handleDeviceArrival(DEVICE_TYPE_VOLUME, true);

    QCOMPARE(status(rig), QString("USB线连接"));
    QVERIFY(rig.box().wire().isEmpty());
    QVERIFY(!DeviceLink::instance()->isConnected());
    QVERIFY(!DeviceLink::instance()->hasHandle());
    QVERIFY(!rig.log.contains("111111"));
    QVERIFY(!rig.log.contains("u disk come"));
    QCOMPARE(rig.text("label_connect_info"), QString());
}

void HotplugTest::arrivalWithBoxAbsentStaysQuiet()
{
    WindowRig rig;
    config()->set(Config::AutoConnect, true);
    rig.box().unplug();

    rig.window.handleDeviceArrival(DEVICE_TYPE_VOLUME, true);
    QVERIFY(arrivalHandled(rig));
    QVERIFY(!rig.log.contains("222222"));
    QCOMPARE(status(rig), QString("USB线连接"));
    QCOMPARE(rig.text("label_connect_info"), QString());
    QVERIFY(rig.w<QPushButton>("pushButton_connect")->isEnabled());
    QVERIFY(!DeviceLink::instance()->isConnected());
    QVERIFY(rig.boxes.shown.isEmpty());
    // The volume check still ends the handling.
    QVERIFY(rig.log.contains("nativeEventFilter u disk come"));
}

void HotplugTest::arrivalWhileConnectedDoesNoSecondHandshake_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<bool>("physicalVolume");
    QTest::addColumn<bool>("volumeLine");
    QTest::newRow("interface") << DEVICE_TYPE_INTERFACE << false << false;
    QTest::newRow("physical volume") << DEVICE_TYPE_VOLUME << true << true;
    QTest::newRow("media volume") << DEVICE_TYPE_VOLUME << false << false;
    QTest::newRow("port") << 3 << false << false;
}

void HotplugTest::arrivalWhileConnectedDoesNoSecondHandshake()
{
    QFETCH(int, deviceType);
    QFETCH(bool, physicalVolume);
    QFETCH(bool, volumeLine);
    WindowRig rig;
    config()->set(Config::AutoConnect, true);
    rig.connectAccepted();

    rig.window.handleDeviceArrival(deviceType, physicalVolume);

    QCOMPARE(status(rig), QString("USB线连接"));
    QVERIFY(rig.box().wire().isEmpty());
    QVERIFY(!rig.log.contains("111111"));
    QVERIFY(rig.log.contains(QString("my device in:  %1").arg(deviceType)));
    QCOMPARE(rig.log.contains("nativeEventFilter u disk come"), volumeLine);
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已连接"));
}

void HotplugTest::plugFactAsksForWork_data()
{
    QTest::addColumn<int>("fact");
    QTest::addColumn<bool>("autoConnect");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("upgrading");
    QTest::addColumn<int>("work");

    const int arrived = int(PlugFact::Arrived), settled = int(PlugFact::Settled),
              present = int(PlugFact::PresentAtStart), removed = int(PlugFact::Removed);
    QTest::newRow("arrival") << arrived << true << false << false << int(PlugWork::Settle);
    QTest::newRow("arrival, auto-connect off")
        << arrived << false << false << false << int(PlugWork::None);
    QTest::newRow("arrival while connected")
        << arrived << true << true << false << int(PlugWork::None);
    QTest::newRow("arrival while upgrading")
        << arrived << true << false << true << int(PlugWork::None);
    QTest::newRow("settled") << settled << true << false << false << int(PlugWork::Connect);
    QTest::newRow("settled, connected by hand meanwhile")
        << settled << true << true << false << int(PlugWork::None);
    QTest::newRow("settled, upgrade started meanwhile")
        << settled << true << false << true << int(PlugWork::None);
    QTest::newRow("present at start")
        << present << true << false << false << int(PlugWork::Connect);
    QTest::newRow("present at start, auto-connect off")
        << present << false << false << false << int(PlugWork::None);
    QTest::newRow("removal") << removed << false << true << false << int(PlugWork::Reopen);
    QTest::newRow("removal while upgrading")
        << removed << true << true << true << int(PlugWork::LeaveToUpgrade);
}

// The session's plug rule without a window: what a plug fact starts.
void HotplugTest::plugFactAsksForWork()
{
    QFETCH(int, fact);
    QFETCH(bool, autoConnect);
    QFETCH(bool, connected);
    QFETCH(bool, upgrading);
    QFETCH(int, work);
    QCOMPARE(int(plugWork(PlugFact(fact), {autoConnect, connected, upgrading})), work);
}

void HotplugTest::autoConnectTakesTheRightBox_data()
{
    QTest::addColumn<QString>("chosenLast"); // box_serial in config.ini
    QTest::addColumn<QString>("named");      // --serial
    QTest::addColumn<bool>("secondPlugged");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("used"); // the box that got the handshake
    QTest::addColumn<QString>("statusText");
    QTest::newRow("the box chosen last") << "0002" << QString() << true << false << "0002"
                                         << "USB线连接";
    QTest::newRow("chosen last absent: asks") << "0999" << QString() << true << true << "0002"
                                              << "USB线连接";
    QTest::newRow("none chosen yet: asks") << QString() << QString() << true << true << "0002"
                                           << "USB线连接";
    QTest::newRow("a single box") << "0002" << QString() << false << false << "0001"
                                  << "USB线连接";
    QTest::newRow("named on the command line") << "0001"
                                               << "0002" << true << false << "0002"
                                               << "USB线连接";
    QTest::newRow("named box absent")
        << QString() << "0777" << true << false << QString() << "未找到序列号为 0777 的VOTK设备";
}

// A box already plugged in at start, as an automatic connection finds it.
void HotplugTest::autoConnectTakesTheRightBox()
{
    QFETCH(QString, chosenLast);
    QFETCH(QString, named);
    QFETCH(bool, secondPlugged);
    QFETCH(bool, asked);
    QFETCH(QString, used);
    QFETCH(QString, statusText);

    WindowRig rig;
    config()->set(Config::AutoConnect, true);
    if (!chosenLast.isEmpty())
        config()->set(Config::BoxSerial, chosenLast);
    SimBox &second = rig.sim.addSecondBox();
    if (!secondPlugged)
        second.unplug();
    rig.window.useBox(BoxSelector{QString(), named});
    int asks = 0;
    const BoxChoice before = boxChoice();
    boxChoice() = [&asks](QWidget *, const std::vector<BoxInfo> &, int) {
        ++asks;
        return 1;
    };
    rig.window.connectPresentBox();
    QVERIFY(rig.settle());
    boxChoice() = before;

    QCOMPARE(asks, asked ? 1 : 0);
    QCOMPARE(rig.box().wire().isEmpty(), used != "0001");
    QCOMPARE(second.wire().isEmpty(), used != "0002");
    if (!used.isEmpty())
        QVERIFY2(rig.text("label_box_state").startsWith(QString("已连接：") + used),
                 qPrintable(rig.text("label_box_state")));
    QCOMPARE(config()->get(Config::BoxSerial).toString(), asked ? used : chosenLast);
    QCOMPARE(status(rig), statusText);
    QVERIFY(rig.boxes.shown.isEmpty());
}

void HotplugTest::otherBoxPluggedLeavesConnectedOne_data()
{
    QTest::addColumn<QString>("event");
    QTest::newRow("second box plugged in") << "plug second";
    QTest::newRow("second box pulled out") << "pull second";
    QTest::newRow("connected box pulled out, second stays") << "pull first";
}

// With two boxes the plug events of one never hand the window the other.
void HotplugTest::otherBoxPluggedLeavesConnectedOne()
{
    QFETCH(QString, event);
    WindowRig rig;
    config()->set(Config::AutoConnect, true);
    SimBox &second = rig.sim.addSecondBox();
    if (event == "plug second")
        second.unplug();
    const BoxChoice before = boxChoice();
    boxChoice() = [](QWidget *, const std::vector<BoxInfo> &, int) { return 0; };
    rig.connectAccepted();
    QCOMPARE(rig.text("label_box_state").left(8), QString("已连接：0001"));
    // Asked again, the chooser would hand over the other box.
    boxChoice() = [](QWidget *, const std::vector<BoxInfo> &, int) { return 1; };

    if (event == "plug second") {
        second.plug();
        rig.window.handleDeviceArrival(DEVICE_TYPE_INTERFACE, false);
        // Past the settle delay an automatic connection would wait for.
        QTest::qWait(1200);
    } else {
        (event == "pull second" ? second : rig.box()).unplug();
        rig.window.handleDeviceRemoval(DEVICE_TYPE_INTERFACE, false);
    }
    QVERIFY(rig.settle());
    boxChoice() = before;

    QVERIFY(second.wire().isEmpty());
    QCOMPARE(second.sessionsOpened(), quint64(0));
    QVERIFY(rig.box().wire().isEmpty()); // no second handshake either
    if (event == "pull first") {
        QCOMPARE(rig.linkState(), kShownDisconnected);
        QCOMPARE(rig.text("label_box_state"), QString("等待设备"));
    } else {
        QCOMPARE(rig.linkState(), kShownConnected);
        QCOMPARE(rig.text("label_box_state").left(8), QString("已连接：0001"));
    }
}

void HotplugTest::boxPulledOutShowsDisconnected_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<bool>("physicalVolume");
    QTest::addColumn<bool>("volumeLine");
    QTest::addColumn<bool>("valuesRead");
    QTest::newRow("interface") << DEVICE_TYPE_INTERFACE << false << false << false;
    QTest::newRow("physical volume") << DEVICE_TYPE_VOLUME << true << true << false;
    QTest::newRow("after reading the values") << DEVICE_TYPE_INTERFACE << false << false << true;
}

void HotplugTest::boxPulledOutShowsDisconnected()
{
    QFETCH(int, deviceType);
    QFETCH(bool, physicalVolume);
    QFETCH(bool, volumeLine);
    QFETCH(bool, valuesRead);
    WindowRig rig;
    giveIdentity(rig.box());
    rig.connectAccepted();
    if (valuesRead) {
        rig.w<QPushButton>("pushButton")->click();
        QVERIFY(waitForBoxWork(&rig.window));
        QCOMPARE(rig.text("label_6"), QString("SW-77"));
        rig.box().clearWire();
    }
    rig.box().unplug();

    rig.window.handleDeviceRemoval(deviceType, physicalVolume);
    QVERIFY(rig.settle());

    QCOMPARE(status(rig), QString("USB线断开"));
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已断开"));
    QVERIFY(rig.w<QPushButton>("pushButton_connect")->isEnabled());
    QVERIFY(!DeviceLink::instance()->isConnected());
    QCOMPARE(rig.log.contains("nativeEventFilter u disk remove"), volumeLine);
    QVERIFY(rig.boxes.shown.isEmpty());
    // Values of a box that is gone are not shown as current.
    for (const char *value : {"label_6", "label_7", "label_8", "label_9", "label_10"})
        QCOMPARE(rig.text(value), QString("..."));

    // From now on every device action is refused with the warning.
    rig.w<QPushButton>("pushButton")->click();
    QVERIFY(waitForBoxWork(&rig.window));
    QCOMPARE(rig.boxes.texts(), QStringList{"VOTK未连接"});
    QVERIFY(rig.box().wire().isEmpty());
}

void HotplugTest::otherDeviceRemovedLeavesScreenUnchanged()
{
    WindowRig rig;
    rig.connectAccepted();
    rig.window.statusBar()->showMessage("before");

    rig.window.handleDeviceRemoval(DEVICE_TYPE_INTERFACE, false);
    QVERIFY(rig.settle());

    QCOMPARE(status(rig), QString("before"));
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已连接"));
    QVERIFY(!rig.w<QPushButton>("pushButton_connect")->isEnabled());
    QVERIFY(DeviceLink::instance()->isConnected());
    QVERIFY(rig.box().wire().isEmpty());
    QCOMPARE(rig.sim.backend.openHandles(), 1); // the re-open replaced the handle
}

void HotplugTest::removalWithBoxStayingMarksItConnected()
{
    WindowRig rig;
    rig.window.handleDeviceRemoval(DEVICE_TYPE_INTERFACE, false);
    QVERIFY(rig.settle());

    // Opened and marked connected, but no handshake and nothing shown.
    QVERIFY(DeviceLink::instance()->isConnected());
    QVERIFY(rig.box().wire().isEmpty());
    QCOMPARE(rig.text("label_connect_info"), QString());
    QVERIFY(rig.w<QPushButton>("pushButton_connect")->isEnabled());
}

void HotplugTest::replugWhileCanTabShownResumesFrames()
{
    WindowRig rig;
    config()->set(Config::AutoConnect, true);
    giveIdentity(rig.box());
    rig.connectAccepted();
    auto *table = rig.w<QTableView>("table_can_rx");
    // Slow enough that a reader held up on a busy machine does not overflow
    // the host's 64 reports: the counts below take every frame the box made.
    rig.box().setCanRate(200);
    rig.showTab(1);
    QVERIFY(canRxThreadOf(rig.window).isRunning());
    QTRY_VERIFY(table->model()->rowCount() > 0);

    rig.box().unplug();
    rig.window.handleDeviceRemoval(DEVICE_TYPE_INTERFACE, false);
    QVERIFY(rig.settle());
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已断开"));
    QVERIFY(canRxThreadOf(rig.window).isRunning());

    // Whatever the thread had read is shown before the box comes back.
    const quint64 framesBefore = rig.box().generatedFramesRead();
    QTRY_COMPARE(quint64(table->model()->rowCount()), framesBefore);
    const int rowsBefore = table->model()->rowCount();

    rig.box().plug();
    rig.box().clearWire();
    rig.window.handleDeviceArrival(DEVICE_TYPE_INTERFACE, false);
    QVERIFY(arrivalHandled(rig));

    // Every reply went to the window, not to the receive thread.
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已连接"));
    QCOMPARE(rig.text("label_6"), QString("SW-77"));
    QCOMPARE(rig.text("label_9"), QString("home"));
    QCOMPARE(rig.box().commandsOnWire(), kFullConnect + QList<uint8_t>{CMD_CAN_RX_ENABLE});
    QVERIFY(rig.box().canReporting());
    QVERIFY(canRxThreadOf(rig.window).isRunning());

    QTRY_VERIFY(table->model()->rowCount() > rowsBefore + 5);
    // Rows are CAN frames only: the table never took a reply.
    rig.showTab(0);
    // Rows reach the table in batches, a few tens of milliseconds apart.
    QTRY_COMPARE(quint64(table->model()->rowCount()), rig.box().generatedFramesRead());
}

void HotplugTest::upgradeHoldingTheLinkIsNotDisturbed()
{
    WindowRig rig;
    config()->set(Config::AutoConnect, true);
    rig.connectAccepted();
    {
        LinkClaimer upgrade;
        rig.box().unplug();
        rig.window.handleDeviceRemoval(DEVICE_TYPE_INTERFACE, false);
        QVERIFY(rig.settle());

        // The cable is reported; the connection stays the transfer's business.
        QCOMPARE(status(rig), QString("USB线断开"));
        QCOMPARE(rig.text("label_connect_info"), QString("VOTK已连接"));
        QVERIFY(!rig.w<QPushButton>("pushButton_connect")->isEnabled());
        QVERIFY(DeviceLink::instance()->isConnected());

        // Coming back while the transfer still holds the link: no wait, no open.
        rig.box().plug();
        rig.window.findChild<BoxSession *>("boxSession")->forgetBox();
        rig.window.handleDeviceArrival(DEVICE_TYPE_INTERFACE, false);
        QCOMPARE(status(rig), QString("USB线连接"));
        QVERIFY(!rig.log.contains("111111"));
        QVERIFY(rig.box().wire().isEmpty());
        QVERIFY(rig.boxes.shown.isEmpty());
    }
    // The old handle was left to the transfer.
    QVERIFY(DeviceLink::instance()->hasHandle());
}

void HotplugTest::simulatedBoxPlugEventsReachTheWindow()
{
    WindowRig rig;
    config()->set(Config::AutoConnect, false);
    rig.connectAccepted();
    auto *source = new SimHotplug(rig.box(), &rig.window);
    rig.window.attachHotplugSource(source);
    // The plug events tell where the box is: a tab switch re-opens nothing.
    const quint64 opened = rig.box().sessionsOpened();
    rig.showTab(2);
    rig.showTab(0);
    QCOMPARE(rig.box().sessionsOpened(), opened);

    QThread *handledOn = nullptr;
    connect(source, &HotplugSource::deviceRemoved, this,
            [&handledOn] { handledOn = QThread::currentThread(); });

    // Pulled out from another thread (as the box's restart timer does).
    std::thread([&rig] { rig.box().unplug(); }).join();
    QTRY_COMPARE(rig.text("label_connect_info"), QString("VOTK已断开"));
    QCOMPARE(handledOn, QThread::currentThread());
    QVERIFY(rig.log.contains("my device out:  5"));

    rig.box().plug();
    QTRY_COMPARE(status(rig), QString("USB线连接"));
    QVERIFY(rig.log.contains("my device in:  5"));

    // Once the source is gone the box's plug events go nowhere.
    delete source;
    rig.box().unplug();
    QCoreApplication::processEvents();
    QCOMPARE(status(rig), QString("USB线连接"));
}

void HotplugTest::simulatedBoxShortcutsPullOutAndPlugIn()
{
    WindowRig rig;
    config()->set(Config::AutoConnect, false);
    auto *source = new SimHotplug(rig.box(), &rig.window);
    source->addShortcuts(&rig.window);
    rig.window.attachHotplugSource(source);
    rig.window.show();
    QApplication::setActiveWindow(&rig.window);
    QVERIFY(QTest::qWaitForWindowActive(&rig.window));

    QTest::keyClick(&rig.window, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!rig.box().isPlugged());
    QTRY_COMPARE(status(rig), QString("USB线断开"));

    QTest::keyClick(&rig.window, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(rig.box().isPlugged());
    QTRY_COMPARE(status(rig), QString("USB线连接"));
}

QTEST_MAIN(HotplugTest)
#include "tst_hotplug.moc"
