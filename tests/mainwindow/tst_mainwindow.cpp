#include "boxchooser.h"
#include "commands.h"
#include "config.h"
#include "devicelink.h"
#include "filechooser.h"
#include "otafile.h"
#include "quitsignals.h"
#include "settingdialog.h"
#include "windowparts.h"
#include "windowrig.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <memory>
#include <mutex>

#include <unistd.h>

// The main window against the simulated box: construction, connecting, the
// information and WiFi tab, the tab switch and leaving the program.
class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void constructionWithOrWithoutPicture_data();
    void constructionWithOrWithoutPicture();

    void connectButton_data();
    void connectButton();
    void connectButtonWithTwoBoxes_data();
    void connectButtonWithTwoBoxes();
    void checkConnectedWarnsOnlyWithoutConnection();
    void canRxEnableSendsNothingWhenNotConnected();

    void readInformationFillsLabels();
    void wifiReplyNeedsExactlyTwoEntries_data();
    void wifiReplyNeedsExactlyTwoEntries();
    void unansweredReadLeavesDecodedEmptyValues();
    void silentBoxLeavesWindowServingUntilPulled_data();
    void silentBoxLeavesWindowServingUntilPulled();
    void wifiUpdate_data();
    void wifiUpdate();
    void wifiFieldsStopAtWpa2Lengths();
    void boxStateShowsTheBoxOrTheWait();

    void canTabRunsReceiverBetweenEnableAndDisable();
    void infoToUpgradeDisablesReportingWithoutThread();
    void canTabWithoutConnectionSendsNothing();
    void connectByHandWithCanTabShownResumesReporting();
    void tabSwitchWithBoxGoneShowsDisconnected();
    void receivingOnEveryTabAppliesAtOnce();
    void openViewKeepsFramesComingOnOtherTabs_data();
    void openViewKeepsFramesComingOnOtherTabs();

    void exitActionEndsLoopWith111AndStopsReceiver();
    void closingWindowEndsLoopWith0();
    void unwritableConfigWarnsOnceAndKeepsValues();
    void quitSignalsEndLikeTheCloseButton_data();
    void quitSignalsEndLikeTheCloseButton();
};

namespace {
// A file the upgrade takes: size field, flag and checksum right.
QByteArray validUpgradeFile()
{
    QByteArray file(int(OTA_FILE_SIZE), '\x5A');
    for (int i = 0; i < 4; ++i)
        file[i] = char((OTA_FILE_SIZE >> (8 * i)) & 0xFF);
    file.replace(int(OTA_HEADER_SIZE + OTA_FLAG_OFFSET), 4, "votk");
    const int end = int(OTA_FILE_SIZE) - 1;
    file[end] = char(crc8Maxim(reinterpret_cast<const uint8_t *>(file.constData()), size_t(end)));
    return file;
}

QList<QByteArray> reports(std::initializer_list<QByteArray> list)
{
    return QList<QByteArray>(list);
}

// Ends a stuck event loop instead of letting the test hang.
int execGuarded()
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, qApp, [] { qApp->exit(-99); });
    guard.start(60000);
    return qApp->exec();
}

// Records what was on the wire at the moment a thread started or finished.
struct WireAt
{
    std::mutex mutex; // visible to ThreadSanitizer, unlike QMutex
    QList<QByteArray> wire;
    bool taken = false;

    void take(SimBox &box)
    {
        std::lock_guard<std::mutex> lock(mutex);
        wire = box.wire();
        taken = true;
    }
    bool isTaken()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return taken;
    }
};
} // namespace

void TestMainWindow::initTestCase()
{
    registerFrameType();
}

void TestMainWindow::constructionWithOrWithoutPicture_data()
{
    QTest::addColumn<bool>("withPicture");
    QTest::newRow("wb1.png absent") << false;
    QTest::newRow("wb1.png present") << true;
}

void TestMainWindow::constructionWithOrWithoutPicture()
{
    QFETCH(bool, withPicture);
    TempWorkDir dir;
    if (withPicture) {
        const QString source = qEnvironmentVariable("VOTKBOX_RUN_DIR") + "/wb1.png";
        if (!QFile::exists(source))
            QSKIP("no wb1.png in the run directory");
        QVERIFY(QFile::copy(source, dir.file("wb1.png")));
    }
    SimFixture sim;
    MessageBoxRecorder boxes;
    LogCapture log;
    MainWindow window(*DeviceLink::instance());

    const QPixmap pic = window.findChild<QLabel *>("label_pic")->pixmap(Qt::ReturnByValue);
    QCOMPARE(!pic.isNull(), withPicture);
    QVERIFY(log.contains("w init down"));
    // Start-up leaves the box alone: nothing opened, nothing sent, nothing shown.
    QVERIFY(sim.box.wire().isEmpty());
    QVERIFY(!DeviceLink::instance()->hasHandle());
    QVERIFY(boxes.shown.isEmpty());
    QCOMPARE(window.findChild<QTabWidget *>("tabWidget")->currentIndex(), 0);
    QVERIFY(!canRxThreadOf(window).isRunning());
}

void TestMainWindow::connectButton_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QList<QByteArray>>("wire");
    QTest::addColumn<bool>("usbModeLogged");
    QTest::addColumn<bool>("accepted");
    // The message box's text, which names the cause; empty: none shown.
    QTest::addColumn<QString>("message");

    const QByteArray probe = commandReport(CMD_PROBE);
    const QByteArray usb = commandReport(CMD_ENTER_USB_MODE);
    const QString failed = QStringLiteral("VOTK连接失败\n");
    const QString refused = failed + QStringLiteral("VOTK设备拒绝进入USB模式");
    QTest::newRow("no box") << "unplugged" << reports({}) << false << false
                            << failed + QStringLiteral("未找到VOTK设备，请检查USB线");
    QTest::newRow("no permission")
        << "denied" << reports({}) << false << false
        << failed + QStringLiteral("没有访问VOTK设备的权限：请安装udev规则 60-votkbox.rules，"
                                   "然后重新插拔设备");
    QTest::newRow("held by another program")
        << "held" << reports({}) << false << false << QStringLiteral("VOTK设备正被其他程序使用");
    QTest::newRow("lock file is a directory") << "lock unusable" << reports({}) << false << false
                                              << QStringLiteral("无法锁定VOTK设备，未打开设备\n");
    QTest::newRow("silent box") << "silent" << reports({probe}) << false << false << QString();
    QTest::newRow("usb mode unanswered")
        << "usb silent" << reports({probe, usb}) << true << false << QString();
    QTest::newRow("usb mode answer 0")
        << "answer 0" << reports({probe, usb}) << true << false << refused;
    QTest::newRow("usb mode answer 2")
        << "answer 2" << reports({probe, usb}) << true << false << refused;
    QTest::newRow("accepted") << "answer 1" << reports({probe, usb}) << true << true << QString();
}

namespace {
// A box whose device node this user may not open, as without the udev rule.
class DeniedBackend : public SimHidBackend
{
public:
    // A node that refuses writing to everyone, root included.
    static constexpr const char *kNode = "/proc/sys/kernel/osrelease";
    explicit DeniedBackend(SimBox &box) : SimHidBackend(box) {}
    bool sharedWithOtherPrograms() const override { return true; }
    std::vector<HidDeviceEntry> enumerate(unsigned short, unsigned short) override
    {
        HidDeviceEntry entry;
        entry.path = kNode;
        entry.serialNumber =
            QStringLiteral("denied-%1").arg(QCoreApplication::applicationPid()).toStdWString();
        return {entry};
    }
    HidHandle *open(unsigned short, unsigned short, const wchar_t *) override { return nullptr; }
};
} // namespace

void TestMainWindow::connectButton()
{
    QFETCH(QString, box);
    QFETCH(QList<QByteArray>, wire);
    QFETCH(bool, usbModeLogged);
    QFETCH(bool, accepted);
    QFETCH(QString, message);

    WindowRig rig;
    // The rows without an answer are about it: no need to sit out the time-out.
    rig.box().setInstantTimeouts(true);
    // Values of an earlier read, which a failed connect must not leave as current.
    rig.w<QLabel>("label_6")->setText("SW-old");
    rig.w<QLabel>("label_9")->setText("old-net");
    if (box == "unplugged")
        rig.box().unplug();
    else if (box == "silent")
        rig.box().setFault(SimBox::Fault::Silent);
    else if (box == "usb silent")
        rig.box().setFault(SimBox::Fault::Silent, CMD_ENTER_USB_MODE);
    else if (box == "answer 0")
        rig.box().setUsbModeAnswer(0);
    else if (box == "answer 2")
        rig.box().setUsbModeAnswer(2);
    std::unique_ptr<DeniedBackend> denied;
    if (box == "denied") {
        if (::access(DeniedBackend::kNode, R_OK | W_OK) == 0 || errno != EACCES)
            QSKIP("no node here that refuses this user with EACCES");
        denied = std::make_unique<DeniedBackend>(rig.box());
        DeviceLink::instance()->setBackend(denied.get());
    }
    std::unique_ptr<LockHolder> other;
    QString lockFile;
    if (box == "held" || box == "lock unusable") {
        rig.sim.backend.setSharedWithOtherPrograms(true);
        SimBox::Identity id = rig.box().identity();
        id.serialNumber = QStringLiteral("window-%1").arg(QCoreApplication::applicationPid());
        rig.box().setIdentity(id);
        lockFile = BoxLock::filePath(BoxLock::keyFor(id.serialNumber, QString()));
        if (box == "held") {
            other = std::make_unique<LockHolder>(lockFile);
            QVERIFY(other->pid() > 0);
        } else {
            QVERIFY(QDir().mkdir(lockFile));
        }
    }

    auto *button = rig.w<QPushButton>("pushButton_connect");
    button->click();
    QVERIFY(rig.settle());
    if (denied)
        DeviceLink::instance()->setBackend(&rig.sim.backend);

    QCOMPARE(rig.box().wire(), wire);
    QVERIFY(rig.log.contains("connect ..."));
    QCOMPARE(rig.log.contains("usb mode"), usbModeLogged);
    QCOMPARE(button->isEnabled(), !accepted);
    QCOMPARE(rig.text("label_connect_info"), accepted ? QString("VOTK已连接") : QString());
    QCOMPARE(rig.log.contains("device open failed"), wire.isEmpty());
    QCOMPARE(DeviceLink::instance()->isConnected(), !wire.isEmpty());
    if (message.isEmpty()) {
        QVERIFY(rig.boxes.shown.isEmpty());
    } else {
        QCOMPARE(rig.boxes.shown.size(), 1);
        QCOMPARE(rig.boxes.shown.at(0).kind, MessageBox::Information);
        QCOMPARE(rig.boxes.shown.at(0).title, QString("信息"));
        const QString text = rig.boxes.shown.at(0).text;
        QVERIFY2(text.startsWith(message), qPrintable(text));
    }
    if (!accepted) {
        QCOMPARE(rig.text("label_6"), QString("..."));
        QCOMPARE(rig.text("label_9"), QString("..."));
    }
    if (box == "held") {
        QVERIFY2(rig.boxes.shown.at(0).text.contains(QString::number(other->pid())),
                 qPrintable(rig.boxes.shown.at(0).text));
        other.reset();
        QFile::remove(lockFile);
    }
    if (box == "lock unusable")
        QDir().rmdir(lockFile);
}

void TestMainWindow::connectButtonWithTwoBoxes_data()
{
    QTest::addColumn<QString>("named"); // --serial
    QTest::addColumn<int>("answer");    // the chooser's row, -1 cancels
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("used"); // the box that got the handshake
    QTest::addColumn<QString>("message");
    QTest::newRow("second chosen") << QString() << 1 << true << "0002" << QString();
    QTest::newRow("first chosen") << QString() << 0 << true << "0001" << QString();
    QTest::newRow("cancelled") << QString() << -1 << true << QString() << QString();
    QTest::newRow("named on the command line") << "0002" << 0 << false << "0002" << QString();
    QTest::newRow("named box absent")
        << "0777" << 0 << false << QString()
        << QStringLiteral("VOTK连接失败\n未找到序列号为 0777 的VOTK设备");
}

void TestMainWindow::connectButtonWithTwoBoxes()
{
    QFETCH(QString, named);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(QString, used);
    QFETCH(QString, message);

    WindowRig rig;
    SimBox &second = rig.sim.addSecondBox();
    rig.window.useBox(BoxSelector{QString(), named});
    QStringList offered;
    const BoxChoice before = boxChoice();
    boxChoice() = [&](QWidget *, const std::vector<BoxInfo> &boxes, int) {
        for (const BoxInfo &box : boxes)
            offered << box.serialNumber + " " + box.path + " " + box.product;
        return answer;
    };
    rig.w<QPushButton>("pushButton_connect")->click();
    QVERIFY(rig.settle());
    boxChoice() = before;

    QCOMPARE(offered, asked ? QStringList({"0001 sim:votkbox VOTK-WIFI BOX",
                                           "0002 sim:votkbox-2 VOTK-WIFI BOX"})
                            : QStringList());
    QCOMPARE(rig.box().wire().isEmpty(), used != "0001");
    QCOMPARE(second.wire().isEmpty(), used != "0002");
    QCOMPARE(rig.text("label_box_state"),
             used.isEmpty() ? QString("等待设备") : QString("已连接：") + used);
    // Only a choice among several is remembered.
    QCOMPARE(config()->get(Config::BoxSerial).toString(), asked ? used : QString());
    QCOMPARE(rig.boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
}

void TestMainWindow::checkConnectedWarnsOnlyWithoutConnection()
{
    WindowRig rig;
    QVERIFY(!rig.window.check_connected());
    QCOMPARE(rig.boxes.shown.size(), 1);
    QCOMPARE(rig.boxes.shown.at(0).kind, MessageBox::Warning);
    QCOMPARE(rig.boxes.shown.at(0).title, QString("信息"));
    QCOMPARE(rig.boxes.shown.at(0).text, QString("VOTK未连接"));

    // An open without an accepted handshake is enough.
    rig.box().setUsbModeAnswer(0);
    rig.w<QPushButton>("pushButton_connect")->click();
    QVERIFY(rig.settle());
    rig.boxes.shown.clear();
    QVERIFY(rig.window.check_connected());
    QVERIFY(rig.boxes.shown.isEmpty());
}

void TestMainWindow::canRxEnableSendsNothingWhenNotConnected()
{
    WindowRig rig;
    rig.window.can_rx_enable(1);
    QVERIFY(rig.settle());
    QVERIFY(rig.box().wire().isEmpty());
    QVERIFY(rig.boxes.shown.isEmpty());
    QVERIFY(!rig.box().canReporting());

    rig.connectAccepted();
    rig.window.can_rx_enable(0x101); // only the low byte goes out
    QVERIFY(rig.settle());
    QCOMPARE(rig.box().wire(), reports({commandReport(CMD_CAN_RX_ENABLE, hexBytes("01"))}));
}

void TestMainWindow::readInformationFillsLabels()
{
    WindowRig rig;
    SimBox::Identity id;
    id.softwareId = "SW-77";
    id.softwareVersion = 0x01020304;
    id.hardwareId = "HW42";
    rig.box().setIdentity(id);
    rig.box().setWifi("home", "secret99");
    rig.connectAccepted();

    rig.w<QPushButton>("pushButton")->click();
    QVERIFY(waitForBoxWork(&rig.window));

    QCOMPARE(rig.box().commandsOnWire(),
             (QList<uint8_t>{CMD_GET_SOFTWARE_ID, CMD_GET_SOFTWARE_VERSION, CMD_GET_HARDWARE_ID,
                             CMD_GET_WIFI_INFO}));
    QCOMPARE(rig.text("label_6"), QString("SW-77"));
    QCOMPARE(rig.text("label_7"), QString("16909060"));
    QCOMPARE(rig.text("label_8"), QString("0042"));
    QCOMPARE(rig.text("label_9"), QString("home"));
    QCOMPARE(rig.text("label_10"), QString("secret99"));
    QVERIFY(rig.log.contains("software id:     SW-77"));
    QVERIFY(rig.log.contains("software_version:16909060"));
    QVERIFY(rig.log.contains("hardware id:     0042"));
    QVERIFY(rig.log.contains("Wifi Name:       home\nWifi Password:   ********"));
    // Shown to the user, never written to the log.
    for (const QString &line : rig.log.lines())
        QVERIFY2(!line.contains("secret99"), qPrintable(line));
    QVERIFY(rig.boxes.shown.isEmpty());
}

void TestMainWindow::wifiReplyNeedsExactlyTwoEntries_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("shown");
    QTest::newRow("name,password") << QByteArray("net,pass1234") << true;
    QTest::newRow("empty password") << QByteArray("net,") << true;
    QTest::newRow("no comma") << QByteArray("netpass") << false;
    QTest::newRow("two commas") << QByteArray("a,b,c") << false;
}

void TestMainWindow::wifiReplyNeedsExactlyTwoEntries()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, shown);
    WindowRig rig;
    ScriptedReplyBackend scripted(rig, CMD_GET_WIFI_INFO, reply);
    rig.connectAccepted();
    rig.w<QLabel>("label_9")->setText("old name");
    rig.w<QLabel>("label_10")->setText("old password");

    rig.w<QPushButton>("pushButton")->click();
    QVERIFY(waitForBoxWork(&rig.window));

    QCOMPARE(rig.text("label_6"), rig.box().identity().softwareId);
    const QList<QByteArray> parts = reply.split(',');
    QCOMPARE(rig.text("label_9"), shown ? QString(parts.at(0)) : QString("old name"));
    QCOMPARE(rig.text("label_10"), shown ? QString(parts.at(1)) : QString("old password"));
    QCOMPARE(rig.log.contains("Wifi Name:"), shown);
}

void TestMainWindow::unansweredReadLeavesDecodedEmptyValues()
{
    WindowRig rig;
    rig.connectAccepted();
    rig.box().setFault(SimBox::Fault::Silent);
    rig.box().setInstantTimeouts(true);

    rig.w<QPushButton>("pushButton")->click();
    QVERIFY(waitForBoxWork(&rig.window));

    QCOMPARE(rig.box().commandsOnWire().size(), 4);
    QCOMPARE(rig.text("label_6"), QString(""));
    QCOMPARE(rig.text("label_7"), QString("0"));
    QCOMPARE(rig.text("label_8"), QString(""));
    QCOMPARE(rig.text("label_9"), QString("..."));
    QCOMPARE(rig.text("label_10"), QString("..."));
    QVERIFY(rig.boxes.shown.isEmpty());
}

void TestMainWindow::silentBoxLeavesWindowServingUntilPulled_data()
{
    QTest::addColumn<QString>("work");
    // The command the box leaves unanswered.
    QTest::addColumn<uint8_t>("waiting");
    QTest::newRow("read info") << "read" << uint8_t(CMD_GET_SOFTWARE_ID);
    QTest::newRow("connect handshake") << "connect" << uint8_t(CMD_PROBE);
    QTest::newRow("reporting on at the CAN tab") << "CAN tab" << uint8_t(CMD_CAN_RX_ENABLE);
    QTest::newRow("reporting off at the info tab") << "info tab" << uint8_t(CMD_CAN_RX_ENABLE);
}

void TestMainWindow::silentBoxLeavesWindowServingUntilPulled()
{
    QFETCH(QString, work);
    QFETCH(uint8_t, waiting);
    WindowRig rig;
    if (work != "connect")
        rig.connectAccepted();
    if (work == "info tab") {
        rig.showTab(1);
        rig.box().clearWire();
    }
    // Real time-outs: the command waits as long as a silent box makes it.
    rig.box().setFault(SimBox::Fault::Silent);
    auto *read = rig.w<QPushButton>("pushButton");
    auto *setWifi = rig.w<QPushButton>("pushButton_2");
    auto *connectButton = rig.w<QPushButton>("pushButton_connect");

    if (work == "read")
        read->click();
    else if (work == "connect")
        connectButton->click();
    else
        rig.tabs()->setCurrentIndex(work == "CAN tab" ? 1 : 0);
    QTRY_COMPARE(rig.box().commandsOnWire(), QList<uint8_t>{waiting});
    bool served = false;
    QTimer::singleShot(0, &rig.window, [&served] { served = true; });
    QVERIFY(QTest::qWaitFor([&served] { return served; }, 1000));
    // Nothing else may be queued behind the waiting command.
    QVERIFY(!read->isEnabled());
    QVERIFY(!setWifi->isEnabled());
    QVERIFY(!connectButton->isEnabled());
    QVERIFY(!rig.w<QPushButton>("pushButton_ota")->isEnabled());

    // Pulled out: the commands left fail at once and the window is free again.
    rig.box().unplug();
    QVERIFY(waitForBoxWork(&rig.window, 5000));
    QVERIFY(read->isEnabled());
    QVERIFY(setWifi->isEnabled());
    QCOMPARE(connectButton->isEnabled(), work == "connect");
    QCOMPARE(rig.box().commandsOnWire(), QList<uint8_t>{waiting});
    if (work == "read") {
        QCOMPARE(rig.text("label_6"), QString(""));
        QCOMPARE(rig.text("label_9"), QString("..."));
    }
}

void TestMainWindow::wifiUpdate_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QByteArray>("payload"); // empty: refused, nothing sent
    QTest::addColumn<QString>("message");
    const QString set = QStringLiteral("WIFI信息已设置");
    QTest::newRow("name and password")
        << "homenet"
        << "secret99" << true << QByteArray("homenet,secret99") << set;
    QTest::newRow("password shorter than WPA2 takes")
        << "abc"
        << "x y" << true << QByteArray() << "WIFI密码至少需要8个字符";
    // An open network is asked about first; the message below follows the answer.
    QTest::newRow("empty password, confirmed") << "homenet"
                                               << "" << true << QByteArray("homenet,") << set;
    QTest::newRow("empty password, declined") << "homenet"
                                              << "" << true << QByteArray() << QString();
    QTest::newRow("latin-1 letter") << QString::fromUtf8("Café") << "secret99" << true
                                    << hexBytes("43 61 66 e9 2c") + "secret99" << set;
    QTest::newRow("box does not answer")
        << "homenet"
        << "secret99" << false << QByteArray("homenet,secret99") << "WIFI信息设置失败";
    QTest::newRow("both empty") << ""
                                << "" << true << QByteArray() << "WIFI名称不能为空";
    QTest::newRow("comma in name") << "home,net"
                                   << "secret99" << true << QByteArray() << "WIFI名称不能包含“,”";
    QTest::newRow("comma in password")
        << "homenet"
        << "se,cret" << true << QByteArray() << "WIFI密码不能包含“,”";
    QTest::newRow("chinese name") << QString::fromUtf8("办公室WiFi") << "secret99" << true
                                  << QByteArray()
                                  << "WIFI名称只能包含西文字符（Latin-1），不支持中文等";
    QTest::newRow("chinese password")
        << "homenet" << QString::fromUtf8("密码12345678") << true << QByteArray()
        << "WIFI密码只能包含西文字符（Latin-1），不支持中文等";
    QTest::newRow("newline in name")
        << "home\nnet"
        << "secret99" << true << QByteArray() << "WIFI名称不能包含控制字符（换行、制表符等）";
    QTest::newRow("tab in password")
        << "homenet"
        << "sec\tret" << true << QByteArray() << "WIFI密码不能包含控制字符（换行、制表符等）";
}

void TestMainWindow::wifiUpdate()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(bool, answered);
    QFETCH(QByteArray, payload);
    QFETCH(QString, message);
    WindowRig rig;
    rig.connectAccepted();
    rig.box().setInstantTimeouts(true);
    if (!answered)
        rig.box().setFault(SimBox::Fault::Silent, CMD_SET_WIFI_INFO);
    rig.w<QLineEdit>("lineEdit_wifi_name")->setText(name);
    rig.w<QLineEdit>("lineEdit_wifi_pwd")->setText(password);
    const bool open = password.isEmpty() && !name.isEmpty();
    if (open)
        rig.boxes.answers = {message.isEmpty() ? QMessageBox::No : QMessageBox::Yes};

    rig.w<QPushButton>("pushButton_2")->click();
    QVERIFY(waitForBoxWork(&rig.window));

    const bool sent = !payload.isEmpty();
    QCOMPARE(rig.box().wire().value(0),
             sent ? commandReport(CMD_SET_WIFI_INFO, payload) : QByteArray());
    if (open)
        QCOMPARE(rig.boxes.shown.takeFirst().kind, MessageBox::Question);
    QCOMPARE(rig.boxes.shown.size(), message.isEmpty() ? 0 : 1);
    if (message.isEmpty())
        return;
    const MessageBox::Shown &shown = rig.boxes.shown.at(0);
    QCOMPARE(shown.title, QString("信息"));
    QCOMPARE(shown.kind, sent && answered ? MessageBox::Information : MessageBox::Warning);
    QCOMPARE(shown.text, message);
    QCOMPARE(rig.log.contains("update wifi " + name + " , ********"), sent);
    for (const QString &line : rig.log.lines())
        QVERIFY2(password.isEmpty() || !line.contains(password), qPrintable(line));
    // Once set, the values above are read back from the box.
    QCOMPARE(rig.text("label_9"), sent && answered ? name : QString("..."));
    QCOMPARE(rig.text("label_10"), sent && answered ? password : QString("..."));
}

void TestMainWindow::wifiFieldsStopAtWpa2Lengths()
{
    WindowRig rig;
    rig.connectAccepted();
    auto *name = rig.w<QLineEdit>("lineEdit_wifi_name");
    auto *password = rig.w<QLineEdit>("lineEdit_wifi_pwd");
    QTest::keyClicks(name, QString(33, 'n'));
    QTest::keyClicks(password, QString(40, 'p'));
    QTest::keyClicks(password, QString(24, 'q'));
    QCOMPARE(name->text(), QString(32, 'n'));
    QCOMPARE(password->text(), QString(40, 'p') + QString(23, 'q'));
    // Typed, the password shows as dots until asked for.
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    rig.w<QCheckBox>("checkBox_wifi_pwd_show")->click();
    QCOMPARE(password->echoMode(), QLineEdit::Normal);
}

// The status bar's lasting part names the box and its firmware, or says
// what the window waits for; the plug messages beside it come and go.
void TestMainWindow::boxStateShowsTheBoxOrTheWait()
{
    WindowRig rig;
    QCOMPARE(rig.text("label_box_state"), QString("等待设备"));
    rig.connectAccepted();
    QCOMPARE(rig.text("label_box_state"), QString("已连接：0001"));
    rig.w<QPushButton>("pushButton")->click();
    QVERIFY(waitForBoxWork(&rig.window));
    const QString shown("已连接：0001 · 固件 66051 (1.2.3)");
    QCOMPARE(rig.text("label_box_state"), shown);
    auto *state = rig.w<QLabel>("label_box_state");
    // A menu's status tips, a replay and an upgrade pass; the box stays named.
    auto *menu = rig.w<QMenu>("menuView");
    menu->popup(rig.window.mapToGlobal(QPoint(10, 10)));
    QTest::keyClick(menu, Qt::Key_Down);
    QCOMPARE(state->text(), shown);
    QVERIFY(state->isVisibleTo(&rig.window));
    menu->close();
    rig.showTab(1);
    rig.dir.writeFile("capture.log", "(1.000000) can0 123#01 T\n(1.050000) can0 123#02 T\n");
    const QString capture = rig.dir.file("capture.log");
    openFileChooser() = [capture](QWidget *, const QString &, const QString &, const QString &,
                                  QFileDialog::Options) { return capture; };
    auto *replay = rig.w<QPushButton>("pushButton_can_replay");
    replay->click();
    QVERIFY(replay->isChecked());
    QTRY_VERIFY(!replay->isChecked());
    openFileChooser() = nullptr;
    QCOMPARE(state->text(), shown);
    rig.showTab(2);
    rig.box().setRestartTimeMs(0);
    otaHandleOf(rig.window).setRestartPauseMs(200);
    rig.dir.writeFile("fw.ota", validUpgradeFile());
    rig.w<QLineEdit>("lineEdit_ota_file")->setText(rig.dir.file("fw.ota"));
    rig.boxes.answers << QMessageBox::Yes;
    rig.w<QPushButton>("pushButton_ota")->click();
    QVERIFY(rig.settle());
    QVERIFY(otaHandleOf(rig.window).isRunning());
    QCOMPARE(state->text(), shown);
    QTRY_VERIFY_WITH_TIMEOUT(!otaHandleOf(rig.window).isRunning(), 60000);
    // The restarted box is taken again by itself, and named again.
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), shown, 20000);
    QVERIFY(state->isVisibleTo(&rig.window));
    rig.box().unplug();
    rig.window.handleDeviceRemoval(5, false);
    QVERIFY(rig.settle());
    QCOMPARE(rig.text("label_box_state"), QString("等待设备"));
    config()->set(Config::AutoConnect, false);
    QCOMPARE(rig.text("label_box_state"), QString("未连接"));
}

void TestMainWindow::connectByHandWithCanTabShownResumesReporting()
{
    WindowRig rig;
    rig.connectAccepted();
    rig.showTab(1);
    QVERIFY(rig.box().canReporting());
    // Pulled out and put back with automatic connection off: the box forgot
    // its reporting, the receive thread is still there.
    rig.box().unplug();
    rig.window.handleDeviceRemoval(5, false);
    QVERIFY(rig.settle());
    rig.box().plug();
    rig.box().clearWire();

    rig.w<QPushButton>("pushButton_connect")->click();
    QVERIFY(rig.settle());

    QCOMPARE(rig.linkState(), kShownConnected);
    QCOMPARE(rig.box().commandsOnWire(),
             QList<uint8_t>({CMD_PROBE, CMD_ENTER_USB_MODE, CMD_CAN_RX_ENABLE}));
    QVERIFY(rig.box().canReporting());
    QVERIFY(canRxThreadOf(rig.window).isRunning());
}

void TestMainWindow::canTabRunsReceiverBetweenEnableAndDisable()
{
    WindowRig rig;
    rig.connectAccepted();
    CanRxThread &rx = canRxThreadOf(rig.window);
    const QByteArray on = commandReport(CMD_CAN_RX_ENABLE, hexBytes("01"));
    const QByteArray off = commandReport(CMD_CAN_RX_ENABLE, hexBytes("00"));

    for (int round = 0; round < 2; ++round) {
        rig.box().clearWire();
        rig.log.clear();
        WireAt atStart;
        WireAt atFinish;
        auto started = connect(
            &rx, &QThread::started, &rx, [&] { atStart.take(rig.box()); }, Qt::DirectConnection);
        auto finished = connect(
            &rx, &QThread::finished, &rx, [&] { atFinish.take(rig.box()); }, Qt::DirectConnection);

        rig.showTab(1);
        QVERIFY(rig.log.contains("tab_changed 1"));
        QVERIFY(rx.isRunning());
        QTRY_VERIFY(atStart.isTaken());
        QCOMPARE(rig.box().wire(), reports({on}));
        QVERIFY(rig.box().canReporting());

        // No frame comes to end a pending read: the stop must not need one.
        rig.showTab(0);
        QVERIFY(!rx.isRunning());
        QVERIFY(rig.log.contains("tab_changed 0"));
        QVERIFY(rig.log.contains("thread 0"));
        // The thread reads on until the box has answered "reporting off".
        QVERIFY(atFinish.isTaken());
        QCOMPARE(atFinish.wire, reports({on, off}));
        QCOMPARE(rig.box().wire(), reports({on, off}));
        QVERIFY(!rig.box().canReporting());

        disconnect(started);
        disconnect(finished);
    }

    rig.showTab(1);
    QVERIFY(rx.isRunning());
    rig.showTab(2);
    QVERIFY(!rx.isRunning());
    QVERIFY(rig.log.contains("thread 2"));
    QCOMPARE(rig.box().wire().last(), off);
    QVERIFY(rig.boxes.shown.isEmpty());
}

void TestMainWindow::infoToUpgradeDisablesReportingWithoutThread()
{
    WindowRig rig;
    rig.connectAccepted();
    rig.showTab(2);
    QCOMPARE(rig.box().wire(), reports({commandReport(CMD_CAN_RX_ENABLE, hexBytes("00"))}));
    QVERIFY(!rig.log.contains("thread"));
    QVERIFY(!canRxThreadOf(rig.window).isRunning());
}

void TestMainWindow::receivingOnEveryTabAppliesAtOnce()
{
    WindowRig rig;
    rig.connectAccepted();
    rig.showTab(2);
    CanRxThread &rx = canRxThreadOf(rig.window);
    QDialog *dialog = rig.openSettings();
    QVERIFY(dialog);
    // Gone with the test, failed or not: a dialog left open keeps the loop of the next one.
    const std::unique_ptr<QDialog> owned(dialog);
    auto *always = dialog->findChild<QCheckBox *>(QStringLiteral("checkBox_can_rx_always"));
    QVERIFY(!always->isChecked());

    // No reconnecting: the box reports and the frames are read from the click on.
    always->click();
    QVERIFY(rig.settle());
    QVERIFY(rx.isRunning());
    QVERIFY(rig.box().canReporting());
    QCOMPARE(QSettings("config.ini", QSettings::IniFormat).value("can_rx_always").toString(),
             QStringLiteral("1"));

    always->click();
    QVERIFY(rig.settle());
    QVERIFY(!rx.isRunning());
    QVERIFY(!rig.box().canReporting());
    QCOMPARE(config()->get(Config::CanRxAlways), QVariant(false));
    QVERIFY(rig.boxes.shown.isEmpty());
}

void TestMainWindow::openViewKeepsFramesComingOnOtherTabs_data()
{
    QTest::addColumn<QString>("view"); // the menu entry that opens it; empty: none
    QTest::addColumn<bool>("closed");  // closed before the window ends
    QTest::newRow("nothing open") << QString() << true;
    QTest::newRow("trace window") << "action_trace_window" << true;
    QTest::newRow("signal plot") << "action_signal_plot" << true;
    QTest::newRow("signal plot open as the window ends") << "action_signal_plot" << false;
}

// With the default configuration, the information tab stops the capture only
// when no view needs it, and a stopped capture says so.
void TestMainWindow::openViewKeepsFramesComingOnOtherTabs()
{
    QFETCH(QString, view);
    QFETCH(bool, closed);
    WindowRig rig;
    rig.connectAccepted();
    rig.showTab(1);
    QPointer<QWidget> opened;
    if (!view.isEmpty()) {
        rig.action(qPrintable(view))->trigger();
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != &rig.window && top->isVisible() && top->parentWidget() == &rig.window)
                opened = top;
        QVERIFY(opened);
    }
    rig.showTab(0);
    const auto *rows = rig.w<QTableView>("table_can_rx")->model();
    auto *banner = rig.w<QLabel>("label_rx_paused");
    const int before = rows->rowCount();
    rig.box().queueCanBurst(5);
    if (view.isEmpty()) {
        QVERIFY(!rig.box().canReporting());
        QVERIFY(!banner->isHidden());
        QCOMPARE(banner->text(), QString("接收已暂停：CAN 页未显示"));
        QTest::qWait(50);
        QCOMPARE(rows->rowCount(), before);
        return;
    }
    QVERIFY(rig.box().canReporting());
    QVERIFY(banner->isHidden());
    QTRY_COMPARE(rows->rowCount(), before + 5);
    if (!closed)
        return;
    // Closing the last view that needed them ends the reporting.
    opened->close();
    QTRY_VERIFY(opened.isNull());
    QVERIFY(rig.settle());
    QVERIFY(!rig.box().canReporting());
    QVERIFY(!canRxThreadOf(rig.window).isRunning());
}

void TestMainWindow::canTabWithoutConnectionSendsNothing()
{
    WindowRig rig;
    rig.showTab(1);
    QVERIFY(rig.log.contains("tab_changed 1"));
    QVERIFY(!canRxThreadOf(rig.window).isRunning());
    rig.showTab(0);
    QVERIFY(rig.box().wire().isEmpty());
    QVERIFY(rig.boxes.shown.isEmpty());
}

void TestMainWindow::tabSwitchWithBoxGoneShowsDisconnected()
{
    WindowRig rig;
    rig.connectAccepted();
    rig.box().unplug();

    rig.showTab(1);

    QVERIFY(rig.box().wire().isEmpty());
    QVERIFY(!canRxThreadOf(rig.window).isRunning());
    QVERIFY(!DeviceLink::instance()->isConnected());
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已断开"));
    QVERIFY(rig.w<QPushButton>("pushButton_connect")->isEnabled());
    QVERIFY(rig.boxes.shown.isEmpty());
}

void TestMainWindow::exitActionEndsLoopWith111AndStopsReceiver()
{
    WindowRig rig;
    rig.connectAccepted();
    rig.showTab(1);
    QVERIFY(canRxThreadOf(rig.window).isRunning());

    QTimer::singleShot(0, rig.action("action_exit"), &QAction::trigger);
    QCOMPARE(execGuarded(), 111);
    QVERIFY(!canRxThreadOf(rig.window).isRunning());
    QTRY_VERIFY(!rig.box().canReporting());
    QCOMPARE(rig.box().wire().last(), commandReport(CMD_CAN_RX_ENABLE, hexBytes("00")));
}

void TestMainWindow::closingWindowEndsLoopWith0()
{
    WindowRig rig;
    rig.connectAccepted();
    rig.showTab(1);
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));

    QTimer::singleShot(0, &rig.window, &QWidget::close);
    QCOMPARE(execGuarded(), 0);
    QVERIFY(!rig.window.isVisible());
    QVERIFY(!canRxThreadOf(rig.window).isRunning());
    QTRY_VERIFY(!rig.box().canReporting());
    QCOMPARE(rig.box().wire().last(), commandReport(CMD_CAN_RX_ENABLE, hexBytes("00")));
}

void TestMainWindow::unwritableConfigWarnsOnceAndKeepsValues()
{
    WindowRig rig;
    // A directory where the file should be: no user, root included, writes it.
    QVERIFY(QDir().mkdir(rig.dir.file("config.ini")));
    SettingDialog dialog(*DeviceLink::instance());
    const QString warning =
        QStringLiteral("配置文件 ./config.ini 无法写入，设置只在本次运行中有效");

    dialog.findChild<QRadioButton *>("radioButton_en")->click();
    QCOMPARE(config()->get(Config::Language).toString(), QStringLiteral("en"));
    QCOMPARE(rig.window.statusBar()->currentMessage(), warning);

    rig.window.statusBar()->clearMessage();
    dialog.findChild<QCheckBox *>("checkBox_auto_connect")->click();
    QCOMPARE(config()->get(Config::AutoConnect), QVariant(false));
    QCOMPARE(rig.window.statusBar()->currentMessage(), QString());
    QVERIFY(rig.boxes.shown.isEmpty());
}

void TestMainWindow::quitSignalsEndLikeTheCloseButton_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("upgrading");
    QTest::addColumn<bool>("everyTab");      // receiving on every tab, information tab shown
    QTest::addColumn<QString>("openDialog"); // open when the signal comes: "settings", "message"
    QTest::newRow("SIGTERM on the CAN tab") << int(SIGTERM) << false << false << QString();
    QTest::newRow("SIGINT on the CAN tab") << int(SIGINT) << false << false << QString();
    QTest::newRow("SIGHUP on the CAN tab") << int(SIGHUP) << false << false << QString();
    QTest::newRow("SIGTERM during an upgrade") << int(SIGTERM) << true << false << QString();
    QTest::newRow("SIGTERM, receiving on every tab") << int(SIGTERM) << false << true << QString();
    QTest::newRow("SIGTERM, settings dialog open") << int(SIGTERM) << false << false << "settings";
    QTest::newRow("SIGTERM, message box open") << int(SIGTERM) << false << false << "message";
}

void TestMainWindow::quitSignalsEndLikeTheCloseButton()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, upgrading);
    QFETCH(bool, everyTab);
    QFETCH(QString, openDialog);
    WindowRig rig;
    config()->set(Config::CanRxAlways, everyTab);
    QuitSignals signals_;
    QVERIFY(signals_.isActive());
    connect(&signals_, &QuitSignals::quitRequested, &rig.window, &MainWindow::closeWhenIdle);
    rig.connectAccepted();
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    if (upgrading) {
        rig.box().setRestartTimeMs(10);
        OtaHandle &ota = otaHandleOf(rig.window);
        ota.setRestartPauseMs(250);
        QVERIFY(ota.setImage(QByteArray(int(OTA_DATA_SIZE), '\x5A')));
        ota.start();
    } else {
        if (!everyTab)
            rig.showTab(1);
        QVERIFY(rig.box().canReporting());
    }

    if (openDialog == "settings") {
        QVERIFY(rig.openSettings());
    } else if (openDialog == "message") {
        // A real modal box, with its own event loop, as the user has it.
        MessageBox::setAnswerer({});
        QTimer::singleShot(0, rig.action("action_about"), &QAction::trigger);
    }
    // The signal comes once the dialog is up.
    QTimer raiser;
    connect(&raiser, &QTimer::timeout, [&] {
        const bool modal = QApplication::activeModalWidget() != nullptr;
        if (modal != (openDialog == "message"))
            return;
        raiser.stop();
        ::raise(signalNumber);
    });
    raiser.start(10);
    QCOMPARE(execGuarded(), 0);
    QVERIFY(!rig.window.isVisible());
    // Switched off by the device thread, which the window does not wait for.
    QTRY_VERIFY(!rig.box().canReporting());
    QVERIFY(rig.boxes.shown.isEmpty());
    for (QWidget *top : QApplication::topLevelWidgets())
        QVERIFY2(!top->isVisible(), qPrintable(top->objectName()));
    if (upgrading) {
        // The transfer ran to its verdict before the window went.
        QCOMPARE(rig.box().rawReportsReceived(), int(OTA_DATA_SIZE / OTA_REPORT_DATA));
        QCOMPARE(rig.box().commandsOnWire().last(), CMD_OTA_RESULT);
    } else {
        QVERIFY(!canRxThreadOf(rig.window).isRunning());
        QCOMPARE(rig.box().wire().last(), commandReport(CMD_CAN_RX_ENABLE, hexBytes("00")));
        // Switched off once, however the window got to its end.
        QCOMPARE(rig.box().wire().count(commandReport(CMD_CAN_RX_ENABLE, hexBytes("00"))), 1);
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
