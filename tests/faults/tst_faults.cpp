// The tool against a box that misbehaves: silent or malformed replies to every
// command, a box pulled out at each step, a flood of CAN frames and unusable
// configuration files. Each case ends with a normal exchange that must work.
#include "../mainwindow/windowrig.h"
#include "commands.h"
#include "config.h"
#include "configfile.h"
#include "devicelink.h"
#include "otahandle.h"
#include "settingdialog.h"
#include "windowparts.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QSettings>
#include <QTableView>
#include <QtTest>

#include <atomic>
#include <functional>

namespace {
const QString kFailure = QStringLiteral("结果:升级失败");
const QString kSuccess = QStringLiteral("结果:升级成功,请重新上电VOTK设备");
const QString kLost = QStringLiteral("结果:升级中断,请重新连接VOTK设备后再试");

// Faults as table entries: -1 silent, -2 wrong command code, else a length byte.
constexpr int kSilent = -1;
constexpr int kWrongCommand = -2;
const int kLengthBytes[] = {0, 1, 2, 64, 255};

// A short box restart and an upgrade pause that outlasts it with a wide margin:
// on a loaded machine, or under ThreadSanitizer, the box's restart timer can
// wake tens of milliseconds late.
constexpr int kRestartMs = 5;
constexpr unsigned long kRestartPauseMs = 200;

void applyFault(SimBox &box, int fault, uint8_t cmd)
{
    // A missing answer is what these rows are about: no need to sit out the time-out.
    if (fault == kSilent || fault == kWrongCommand)
        box.setInstantTimeouts(true);
    if (fault == kSilent) {
        box.setFault(SimBox::Fault::Silent, cmd);
    } else if (fault == kWrongCommand) {
        box.setFault(SimBox::Fault::WrongCommand, cmd);
    } else {
        box.setFaultLengthByte(uint8_t(fault));
        box.setFault(SimBox::Fault::LengthByte, cmd);
    }
}

QString faultName(int fault)
{
    if (fault == kSilent)
        return QStringLiteral("silent");
    if (fault == kWrongCommand)
        return QStringLiteral("wrong command");
    return QStringLiteral("length %1").arg(fault);
}

// Payload bytes a reply keeps after its length byte was replaced: the frame
// holds at most 61 of them.
int keptBytes(int fault)
{
    if (fault == kSilent)
        return 0;
    if (fault == kWrongCommand)
        return 0; // a reply to another command is no answer
    return fault > 2 ? qMin(fault - 2, 61) : 0;
}

// What the box's zero-padded reply payload gives when `kept` bytes of it are decoded.
QByteArray keptPayload(const QByteArray &payload, int kept)
{
    if (kept < 0)
        return payload;
    QByteArray padded = payload.left(61);
    padded.append(QByteArray(61 - padded.size(), '\0'));
    return padded.left(kept);
}

// Every byte, zeros included (the QByteArray overload stops at the first zero).
QString latin1(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.constData(), bytes.size());
}

QString digitText(const QByteArray &bytes)
{
    QString out;
    for (char c : bytes)
        out += (c >= '0' && c <= '9') ? QChar(c) : QChar('0');
    return out;
}

// Pulls the box out right after a chosen write reached it.
class UnplugBackend : public SimHidBackend
{
public:
    using Trigger = std::function<bool(int writeIndex, const unsigned char *data, size_t length)>;
    UnplugBackend(WindowRig &rig, Trigger trigger)
        : SimHidBackend(rig.box()), m_rig(rig), m_trigger(std::move(trigger))
    {
        DeviceLink::instance()->setBackend(this);
    }
    ~UnplugBackend() override { DeviceLink::instance()->setBackend(&m_rig.sim.backend); }

    int write(HidHandle *dev, const unsigned char *data, size_t length) override
    {
        const int result = SimHidBackend::write(dev, data, length);
        const int index = ++m_writes;
        if (result > 0 && !m_fired && m_trigger(index, data, length)) {
            m_fired = true;
            m_rig.box().unplug();
        }
        return result;
    }
    bool fired() const { return m_fired; }

private:
    WindowRig &m_rig;
    Trigger m_trigger;
    std::atomic<int> m_writes{0};
    std::atomic<bool> m_fired{false};
};

// Spoils the replies to the upgrade's blocks only (they carry the announce's
// code, so the box's own faults cannot tell them apart): a block reply is a
// reply read after the first raw report went out.
class BlockReplyFaultBackend : public SimHidBackend
{
public:
    BlockReplyFaultBackend(WindowRig &rig, int fault)
        : SimHidBackend(rig.box()), m_rig(rig), m_fault(fault)
    {
        DeviceLink::instance()->setBackend(this);
    }
    ~BlockReplyFaultBackend() override { DeviceLink::instance()->setBackend(&m_rig.sim.backend); }

    int write(HidHandle *dev, const unsigned char *data, size_t length) override
    {
        if (++m_writes == 2)
            m_streaming = true;
        return SimHidBackend::write(dev, data, length);
    }
    int readTimeout(HidHandle *dev, unsigned char *data, size_t length, int ms) override
    {
        const int result = SimHidBackend::readTimeout(dev, data, length, ms);
        if (result < 3 || !m_streaming || data[2] != CMD_OTA_START)
            return result;
        ++m_spoiled;
        if (m_fault == kSilent) {
            // Swallowed: the read goes on for the rest of its time-out, as a
            // box that never answers makes it.
            QElapsedTimer waited;
            waited.start();
            int left = ms;
            while (left > 0) {
                const int next = SimHidBackend::readTimeout(dev, data, length, left);
                if (next != 0)
                    return next;
                left = ms - int(waited.elapsed());
            }
            return 0;
        }
        if (m_fault == kWrongCommand)
            data[2] = uint8_t(data[2] ^ 0x80);
        else
            data[1] = uint8_t(m_fault);
        return result;
    }
    int spoiled() const { return m_spoiled; }

private:
    WindowRig &m_rig;
    int m_fault;
    std::atomic<int> m_writes{0};
    std::atomic<bool> m_streaming{false};
    std::atomic<int> m_spoiled{0};
};

// Pulls the box out at one step of a transfer: right after the n-th write,
// the n-th report read or the n-th open; notes the writes tried after that.
class UnplugAtStepBackend : public SimHidBackend
{
public:
    enum Step
    {
        Write,
        Read,
        Open
    };
    UnplugAtStepBackend(WindowRig &rig, Step step, int count)
        : SimHidBackend(rig.box()), m_rig(rig), m_step(step), m_count(count)
    {
        setHidBackend(this);
    }
    ~UnplugAtStepBackend() override { setHidBackend(&m_rig.sim.backend); }

    HidHandle *open(unsigned short vid, unsigned short pid, const wchar_t *serial) override
    {
        HidHandle *handle = SimHidBackend::open(vid, pid, serial);
        if (handle)
            step(Open);
        return handle;
    }
    int write(HidHandle *dev, const unsigned char *data, size_t length) override
    {
        if (m_fired)
            ++m_writesAfter;
        const int result = SimHidBackend::write(dev, data, length);
        if (result > 0)
            step(Write);
        return result;
    }
    int readTimeout(HidHandle *dev, unsigned char *data, size_t length, int ms) override
    {
        const int result = SimHidBackend::readTimeout(dev, data, length, ms);
        if (result > 0)
            step(Read);
        return result;
    }
    bool fired() const { return m_fired; }
    int writesAfter() const { return m_writesAfter; }

private:
    void step(Step step)
    {
        if (step == m_step && ++m_seen == m_count && !m_fired) {
            m_fired = true;
            m_rig.box().unplug();
        }
    }

    WindowRig &m_rig;
    Step m_step;
    int m_count;
    std::atomic<int> m_seen{0};
    std::atomic<bool> m_fired{false};
    std::atomic<int> m_writesAfter{0};
};

UnplugBackend::Trigger onCommand(uint8_t cmd)
{
    return [cmd](int, const unsigned char *data, size_t length) {
        return length == 65 && data[1] == LINK_FRAME_MARKER && data[3] == cmd;
    };
}

template <typename T> T *child(QWidget &parent, const char *name)
{
    T *w = parent.findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

// The labels a full, normal read of the default box fills in.
void verifyNormalRead(WindowRig &rig)
{
    rig.w<QPushButton>("pushButton")->click();
    QVERIFY(waitForBoxWork(&rig.window));
    const SimBox::Identity id = rig.box().identity();
    QCOMPARE(rig.text("label_6"), id.softwareId);
    QCOMPARE(rig.text("label_7"), QString::number(id.softwareVersion));
    QCOMPARE(rig.text("label_8"), id.hardwareId);
    QCOMPARE(rig.text("label_9"), rig.box().wifiName());
    QCOMPARE(rig.text("label_10"), rig.box().wifiPassword());
}

// Every row of the receive table came from a real frame: an ID and data bytes.
// A cell's text, or a null string for a cell the row does not have.
QString cellText(QTableView *table, int row, int column)
{
    const QVariant text = table->model()->index(row, column).data();
    return text.isValid() ? text.toString() : QString();
}

void verifyRowsComplete(QTableView *table)
{
    QCoreApplication::processEvents();
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        if (cellText(table, row, 1).isEmpty() || cellText(table, row, 2).isEmpty())
            QFAIL(qPrintable(QStringLiteral("row %1 is not a received frame").arg(row)));
    }
}

void presetLabels(WindowRig &rig)
{
    for (const char *name : {"label_6", "label_7", "label_8", "label_9", "label_10"})
        rig.w<QLabel>(name)->setText(QStringLiteral("old"));
}

bool runUpgrade(OtaHandle &ota)
{
    ota.start();
    return ota.wait(QDeadlineTimer(120000));
}
} // namespace

class TestFaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void informationRead_data();
    void informationRead();
    void handshake_data();
    void handshake();
    void settingsDialog_data();
    void settingsDialog();
    void upgrade_data();
    void upgrade();
    void upgradeBlockReplies_data();
    void upgradeBlockReplies();

    void unplugDuringExchange_data();
    void unplugDuringExchange();
    void unplugWithCanTabShown();
    void unplugDuringUpgrade_data();
    void unplugDuringUpgrade();

    void canBurstWhileDialogReadsCanTime();
    void repliesStayInStepWithFramesInFlight_data();
    void repliesStayInStepWithFramesInFlight();

    void unusableConfig_data();
    void unusableConfig();

private:
    static void addFaultRows(const QString &prefix, uint8_t cmd);
};

void TestFaults::initTestCase()
{
    registerFrameType();
}

void TestFaults::addFaultRows(const QString &prefix, uint8_t cmd)
{
    QList<int> faults{kSilent, kWrongCommand};
    for (int length : kLengthBytes)
        faults << length;
    for (int fault : faults)
        QTest::newRow(qPrintable(prefix + QLatin1Char(' ') + faultName(fault)))
            << int(cmd) << fault;
}

void TestFaults::informationRead_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<int>("fault");
    addFaultRows("software id", CMD_GET_SOFTWARE_ID);
    addFaultRows("software version", CMD_GET_SOFTWARE_VERSION);
    addFaultRows("hardware id", CMD_GET_HARDWARE_ID);
    addFaultRows("wifi info", CMD_GET_WIFI_INFO);
}

void TestFaults::informationRead()
{
    QFETCH(int, cmd);
    QFETCH(int, fault);
    WindowRig rig;
    rig.connectAccepted();
    presetLabels(rig);
    applyFault(rig.box(), fault, uint8_t(cmd));
    const SimBox::Identity id = rig.box().identity();
    const int kept = keptBytes(fault);

    rig.w<QPushButton>("pushButton")->click();
    QVERIFY(waitForBoxWork(&rig.window));

    QCOMPARE(rig.box().commandsOnWire(),
             (QList<uint8_t>{CMD_GET_SOFTWARE_ID, CMD_GET_SOFTWARE_VERSION, CMD_GET_HARDWARE_ID,
                             CMD_GET_WIFI_INFO}));
    QString softwareId = id.softwareId;
    QString version = QString::number(id.softwareVersion);
    QString hardwareId = id.hardwareId;
    QString wifiName = rig.box().wifiName();
    QString wifiPassword = rig.box().wifiPassword();
    if (cmd == CMD_GET_SOFTWARE_ID) {
        softwareId = latin1(keptPayload(id.softwareId.toLatin1(), kept));
    } else if (cmd == CMD_GET_SOFTWARE_VERSION) {
        // Missing version bytes count as zero.
        if (kept >= 0 && kept < 4)
            version = QStringLiteral("0");
    } else if (cmd == CMD_GET_HARDWARE_ID) {
        hardwareId = digitText(keptPayload(id.hardwareId.toLatin1(), kept));
    } else {
        const QByteArray text = keptPayload((wifiName + ',' + wifiPassword).toLatin1(), kept);
        const QList<QByteArray> parts = text.split(',');
        if (parts.size() == 2) {
            wifiName = latin1(parts.at(0));
            wifiPassword = latin1(parts.at(1));
        } else {
            wifiName = wifiPassword = QStringLiteral("old");
        }
    }
    QCOMPARE(rig.text("label_6"), softwareId);
    QCOMPARE(rig.text("label_7"), version);
    QCOMPARE(rig.text("label_8"), hardwareId);
    QCOMPARE(rig.text("label_9"), wifiName);
    QCOMPARE(rig.text("label_10"), wifiPassword);
    for (const char *name : {"label_6", "label_8", "label_9", "label_10"})
        QVERIFY(rig.text(name).size() <= 61);
    QVERIFY(rig.boxes.shown.isEmpty());

    rig.box().clearFaults();
    verifyNormalRead(rig);
}

void TestFaults::handshake_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<int>("fault");
    addFaultRows("probe", CMD_PROBE);
    addFaultRows("usb mode", CMD_ENTER_USB_MODE);
}

void TestFaults::handshake()
{
    QFETCH(int, cmd);
    QFETCH(int, fault);
    WindowRig rig;
    applyFault(rig.box(), fault, uint8_t(cmd));
    auto *button = rig.w<QPushButton>("pushButton_connect");

    button->click();
    QVERIFY(rig.settle());

    // Any reply with a payload lets the probe go on; a kept first byte of the
    // usb mode reply is the box's 1.
    const bool answered = keptBytes(fault) > 0;
    const bool probeEnds = cmd == CMD_PROBE && !answered;
    const bool accepted = answered;
    QList<uint8_t> wire{CMD_PROBE};
    if (!probeEnds)
        wire << CMD_ENTER_USB_MODE;
    QCOMPARE(rig.box().commandsOnWire(), wire);
    QCOMPARE(rig.log.contains("usb mode"), !probeEnds);
    QCOMPARE(button->isEnabled(), !accepted);
    QCOMPARE(rig.text("label_connect_info"), accepted ? QString("VOTK已连接") : QString());
    QVERIFY(rig.boxes.shown.isEmpty());
    QVERIFY(DeviceLink::instance()->isConnected());

    rig.box().clearFaults();
    if (!accepted) {
        button->click();
        QVERIFY(rig.settle());
        QVERIFY(!button->isEnabled());
        QCOMPARE(rig.text("label_connect_info"), QString("VOTK已连接"));
    }
    verifyNormalRead(rig);
}

void TestFaults::settingsDialog_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<int>("fault");
    addFaultRows("get can time", CMD_GET_CAN_TIME);
    addFaultRows("set can time", CMD_SET_CAN_TIME);
    addFaultRows("factory reset", CMD_WIFI_FACTORY_RESET);
}

void TestFaults::settingsDialog()
{
    QFETCH(int, cmd);
    QFETCH(int, fault);
    WindowRig rig;
    rig.connectAccepted();
    SettingDialog dialog(*DeviceLink::instance());
    auto *label = child<QLabel>(dialog, "label_can_time");
    auto *read = child<QPushButton>(dialog, "pushButton_read_can_time");
    applyFault(rig.box(), fault, uint8_t(cmd));
    rig.boxes.answers << QMessageBox::Yes;

    if (cmd == CMD_GET_CAN_TIME) {
        read->click();
        QVERIFY(waitForBoxWork(&dialog));
        const bool shown = keptBytes(fault) > 0;
        QCOMPARE(label->text(), shown ? QStringLiteral("30 ms") : QStringLiteral("..."));
    } else if (cmd == CMD_SET_CAN_TIME) {
        child<QLineEdit>(dialog, "lineEdit_can_time")->setText(QStringLiteral("20"));
        child<QPushButton>(dialog, "pushButton_update_can_time")->click();
        QVERIFY(waitForBoxWork(&dialog));
        QCOMPARE(int(rig.box().canTime()), 20);
        QCOMPARE(label->text(), QStringLiteral("..."));
    } else {
        rig.box().setWifi("changed", "secret");
        child<QPushButton>(dialog, "pushButto_wifi_factory")->click();
        QVERIFY(waitForBoxWork(&dialog));
        QCOMPARE(rig.box().wifiName(), QStringLiteral("VOTK_BOX"));
        QVERIFY(!child<QLabel>(dialog, "label_factory")->isVisible());
    }
    QCOMPARE(rig.box().commandsOnWire(), QList<uint8_t>{uint8_t(cmd)});
    // A setting the box did not answer is reported, after the question asked.
    const bool unanswered = cmd != CMD_GET_CAN_TIME && (fault == kSilent || fault == kWrongCommand);
    QCOMPARE(rig.boxes.shown.size(),
             (cmd == CMD_WIFI_FACTORY_RESET ? 1 : 0) + (unanswered ? 1 : 0));
    if (unanswered)
        QCOMPARE(rig.boxes.shown.last().kind, MessageBox::Warning);

    // Nothing of the faulty reply is left for the next exchange.
    rig.box().clearFaults();
    rig.box().setCanTime(42);
    read->click();
    QVERIFY(waitForBoxWork(&dialog));
    QCOMPARE(label->text(), QStringLiteral("42 ms"));
    verifyNormalRead(rig);
}

void TestFaults::upgrade_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<int>("fault");
    // The block replies carry the announce's code, so these rows fault both.
    addFaultRows("announce and block replies", CMD_OTA_START);
    addFaultRows("finish", CMD_OTA_FINISH);
    addFaultRows("result", CMD_OTA_RESULT);
}

void TestFaults::upgrade()
{
    QFETCH(int, cmd);
    QFETCH(int, fault);
    WindowRig rig;
    // Connected again by hand after the restart, to read the box afresh.
    config()->set(Config::AutoConnect, false);
    // The faults matter here, not how long a silent box takes.
    rig.box().setInstantTimeouts(true);
    rig.box().setRestartTimeMs(kRestartMs);
    OtaHandle &ota = otaHandleOf(rig.window);
    ota.setRestartPauseMs(kRestartPauseMs);
    rig.connectAccepted();
    applyFault(rig.box(), fault, uint8_t(cmd));

    QVERIFY(runUpgrade(ota));
    QCoreApplication::processEvents();

    const int reports = int(OTA_DATA_SIZE / 64);
    if (cmd == CMD_OTA_START && fault == kSilent) {
        // Unanswered blocks: the box is not taking the image, so no more goes out.
        QTRY_COMPARE(rig.text("label_ota_result"), kLost);
        QCOMPARE(rig.w<QProgressBar>("progressBar")->value(), 20);
        QCOMPARE(rig.box().rawReportsReceived(), 256);
        QCOMPARE(rig.box().commandsOnWire().last(), CMD_OTA_START);
        // Still waiting for the rest of the image, the box takes every report
        // as image data; the verdict asks for a re-plug.
        rig.box().unplug();
        rig.box().plug();
    } else {
        // Only the result's first byte counts; the box's 0x0E survives a longer
        // length byte, but not a reply to another command.
        const bool success = cmd != CMD_OTA_RESULT || keptBytes(fault) > 0;
        QTRY_COMPARE(rig.text("label_ota_result"), success ? kSuccess : kFailure);
        QCOMPARE(rig.w<QProgressBar>("progressBar")->value(), success ? 100 : 85);
        QCOMPARE(rig.box().rawReportsReceived(), reports);
        QCOMPARE(rig.box().commandsOnWire().last(), CMD_OTA_RESULT);
    }
    QTRY_COMPARE(rig.linkState(), kShownDisconnected);

    rig.box().clearFaults();
    rig.w<QPushButton>("pushButton_connect")->click();
    QVERIFY(rig.settle());
    QCOMPARE(rig.linkState(), kShownConnected);
    verifyNormalRead(rig);
}

void TestFaults::upgradeBlockReplies_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("silent") << kSilent;
    QTest::newRow("wrong command") << kWrongCommand;
    for (int length : kLengthBytes)
        QTest::newRow(qPrintable(faultName(length))) << length;
}

void TestFaults::upgradeBlockReplies()
{
    QFETCH(int, fault);
    WindowRig rig;
    // Connected again by hand after the restart, to read the box afresh.
    config()->set(Config::AutoConnect, false);
    rig.box().setRestartTimeMs(kRestartMs);
    OtaHandle &ota = otaHandleOf(rig.window);
    ota.setRestartPauseMs(kRestartPauseMs);
    rig.connectAccepted();
    {
        // The silent row waits the real reply time-out once.
        BlockReplyFaultBackend spoil(rig, fault);
        QVERIFY(runUpgrade(ota));
        QCOMPARE(spoil.spoiled(), fault == kSilent ? 1 : 14);
    }
    if (fault == kSilent) {
        QTRY_COMPARE(rig.text("label_ota_result"), kLost);
        QCOMPARE(rig.w<QProgressBar>("progressBar")->value(), 20);
        QCOMPARE(rig.box().receivedImage().size(), int(OTA_BLOCK_SIZE));
        QVERIFY(!rig.box().commandsOnWire().contains(CMD_OTA_FINISH));
        rig.box().unplug();
        rig.box().plug();
    } else {
        // Any answer to a block will do: only the verdict judges the image.
        QTRY_COMPARE(rig.text("label_ota_result"), kSuccess);
        QCOMPARE(rig.w<QProgressBar>("progressBar")->value(), 100);
        QCOMPARE(rig.box().receivedImage().size(), int(OTA_DATA_SIZE));
    }
    QTRY_COMPARE(rig.linkState(), kShownDisconnected);

    rig.w<QPushButton>("pushButton_connect")->click();
    QVERIFY(rig.settle());
    verifyNormalRead(rig);
}

void TestFaults::unplugDuringExchange_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<bool>("handshake");
    QTest::addColumn<bool>("canTab");
    for (bool canTab : {false, true}) {
        const QString where = canTab ? QStringLiteral(", CAN tab shown") : QString();
        auto row = [&](const char *name, uint8_t cmd, bool handshake) {
            QTest::newRow(qPrintable(QLatin1String(name) + where))
                << int(cmd) << handshake << canTab;
        };
        row("handshake probe", CMD_PROBE, true);
        row("handshake usb mode", CMD_ENTER_USB_MODE, true);
        row("read software id", CMD_GET_SOFTWARE_ID, false);
        row("read software version", CMD_GET_SOFTWARE_VERSION, false);
        row("read hardware id", CMD_GET_HARDWARE_ID, false);
        row("read wifi info", CMD_GET_WIFI_INFO, false);
    }
}

void TestFaults::unplugDuringExchange()
{
    QFETCH(int, cmd);
    QFETCH(bool, handshake);
    QFETCH(bool, canTab);
    WindowRig rig;
    auto *button = rig.w<QPushButton>("pushButton_connect");
    auto *table = rig.w<QTableView>("table_can_rx");
    CanRxThread &rx = canRxThreadOf(rig.window);
    if (canTab) {
        // An open link without an accepted handshake leaves the button usable.
        if (handshake)
            rig.box().setUsbModeAnswer(0);
        rig.connectAccepted();
        rig.box().setUsbModeAnswer(1);
        rig.box().setCanRate(500);
        rig.showTab(1);
        QVERIFY(rx.isRunning());
        QTRY_VERIFY(table->model()->rowCount() > 0);
    } else if (!handshake) {
        rig.connectAccepted();
    }
    presetLabels(rig);
    {
        UnplugBackend unplug(rig, onCommand(uint8_t(cmd)));
        if (handshake)
            button->click();
        else
            rig.w<QPushButton>("pushButton")->click();
        QVERIFY(waitForBoxWork(&rig.window));
        QVERIFY(unplug.fired());
    }
    QVERIFY(!rig.box().isPlugged());
    // A connect that failed shows no values of an earlier read as current; a
    // cut read leaves what it did not get to.
    QCOMPARE(rig.text("label_9"), handshake ? QStringLiteral("...") : QStringLiteral("old"));
    if (handshake)
        QCOMPARE(rig.text("label_connect_info"), QString());
    QVERIFY(rig.boxes.shown.isEmpty());

    rig.window.handleDeviceRemoval(5, false);
    QVERIFY(rig.settle());
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已断开"));
    QVERIFY(button->isEnabled());
    QVERIFY(!DeviceLink::instance()->isConnected());
    QCOMPARE(rx.isRunning(), canTab);
    if (canTab) {
        QTest::qWait(50); // the thread meets the gone box a few times
        verifyRowsComplete(table);
    }

    rig.box().plug();
    button->click();
    QVERIFY(rig.settle());
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已连接"));
    if (canTab) {
        rig.showTab(0);
        QVERIFY(!rx.isRunning());
        rig.box().setCanRate(0);
        verifyRowsComplete(table);
    }
    verifyNormalRead(rig);
}

void TestFaults::unplugWithCanTabShown()
{
    WindowRig rig;
    rig.connectAccepted();
    auto *table = rig.w<QTableView>("table_can_rx");
    CanRxThread &rx = canRxThreadOf(rig.window);
    rig.box().setCanRate(2000);
    rig.showTab(1);
    QVERIFY(rx.isRunning());
    QTRY_VERIFY(table->model()->rowCount() > 10);

    rig.box().unplug();
    rig.window.handleDeviceRemoval(5, false);
    QVERIFY(rig.settle());
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已断开"));
    QVERIFY(rig.w<QPushButton>("pushButton_connect")->isEnabled());
    QVERIFY(!DeviceLink::instance()->isConnected());
    QVERIFY(rx.isRunning());
    QTest::qWait(100); // the thread meets the gone box a few times
    QCoreApplication::processEvents();
    verifyRowsComplete(table);

    rig.box().plug();
    rig.w<QPushButton>("pushButton_connect")->click();
    QVERIFY(rig.settle());
    QCOMPARE(rig.text("label_connect_info"), QString("VOTK已连接"));
    rig.showTab(0);
    QVERIFY(!rx.isRunning());
    rig.box().setCanRate(0);
    verifyNormalRead(rig);
    QVERIFY(rig.boxes.shown.isEmpty());
}

void TestFaults::unplugDuringUpgrade_data()
{
    // Steps of a transfer: the announce (write 1) and its answer (read 1),
    // 256 raw reports and one answer per block, the finish, the restart, the
    // link opened again, the result.
    using S = UnplugAtStepBackend;
    const int reports = int(OTA_DATA_SIZE / 64);
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("progress");
    QTest::addColumn<int>("rawReceived");
    QTest::addColumn<QList<uint8_t>>("commands");
    const QList<uint8_t> start{CMD_OTA_START};
    const QList<uint8_t> finish{CMD_OTA_START, CMD_OTA_FINISH};
    const QList<uint8_t> all{CMD_OTA_START, CMD_OTA_FINISH, CMD_OTA_RESULT};
    QTest::newRow("during the announce") << int(S::Write) << 1 << 10 << 0 << start;
    QTest::newRow("in block 1") << int(S::Write) << 1 + 100 << 20 << 100 << start;
    QTest::newRow("end of block 1") << int(S::Write) << 1 + 256 << 20 << 256 << start;
    QTest::newRow("in block 14") << int(S::Write) << 1 + 13 * 256 + 100 << 80 << 13 * 256 + 100
                                 << start;
    QTest::newRow("end of block 14") << int(S::Write) << 1 + reports << 85 << reports << start;
    QTest::newRow("before the finish") << int(S::Read) << 15 << 85 << reports << start;
    QTest::newRow("during the restart") << int(S::Write) << 2 + reports << 85 << reports << finish;
    QTest::newRow("before the result") << int(S::Open) << 1 << 85 << reports << finish;
    QTest::newRow("awaiting the result") << int(S::Write) << 3 + reports << 85 << reports << all;
}

void TestFaults::unplugDuringUpgrade()
{
    QFETCH(int, step);
    QFETCH(int, count);
    QFETCH(int, progress);
    QFETCH(int, rawReceived);
    QFETCH(QList<uint8_t>, commands);
    WindowRig rig;
    // Connected again by hand after the restart, to read the box afresh.
    config()->set(Config::AutoConnect, false);
    rig.box().setRestartTimeMs(kRestartMs);
    OtaHandle &ota = otaHandleOf(rig.window);
    ota.setRestartPauseMs(kRestartPauseMs);
    auto *connect = rig.w<QPushButton>("pushButton_connect");
    auto *bar = rig.w<QProgressBar>("progressBar");
    rig.connectAccepted();

    // A good upgrade first: the box remembers that verdict through restarts,
    // and a cut transfer must not pass it off as its own.
    QVERIFY(runUpgrade(ota));
    QTRY_COMPARE(rig.text("label_ota_result"), kSuccess);
    QTRY_COMPARE(rig.linkState(), kShownDisconnected);
    connect->click();
    QVERIFY(rig.settle());
    QCOMPARE(rig.linkState(), kShownConnected);
    rig.box().clearWire();

    // Queued to this thread, so the reports need no lock of their own.
    int highest = 0;
    const QMetaObject::Connection watch = QObject::connect(
        &ota, &OtaHandle::sig_send_ota_progress, &rig.window,
        [&highest](int value) { highest = std::max(highest, value); }, Qt::QueuedConnection);
    {
        UnplugAtStepBackend unplug(rig, UnplugAtStepBackend::Step(step), count);
        QVERIFY(runUpgrade(ota));
        QVERIFY(unplug.fired());
        // At most the one write that found the box gone.
        QVERIFY2(unplug.writesAfter() <= 1, qPrintable(QString::number(unplug.writesAfter())));
    }
    QTRY_COMPARE(rig.text("label_ota_result"), kLost);
    QObject::disconnect(watch);
    QCOMPARE(bar->value(), progress);
    QVERIFY(highest <= progress);
    QCOMPARE(rig.box().rawReportsReceived(), rawReceived);
    QCOMPARE(rig.box().commandsOnWire(), commands);
    QVERIFY(!DeviceLink::instance()->isClaimedByOther());
    QTRY_COMPARE(rig.linkState(), kShownDisconnected);

    // Plugged in again: one click connects, and the next upgrade goes through.
    rig.box().plug();
    connect->click();
    QVERIFY(rig.settle());
    QCOMPARE(rig.linkState(), kShownConnected);
    verifyNormalRead(rig);
    QVERIFY(runUpgrade(ota));
    QTRY_COMPARE(rig.text("label_ota_result"), kSuccess);
    QCOMPARE(bar->value(), 100);
    QCOMPARE(rig.box().receivedImage().size(), int(OTA_DATA_SIZE));
    QTRY_COMPARE(rig.linkState(), kShownDisconnected);
}

void TestFaults::canBurstWhileDialogReadsCanTime()
{
#ifdef __SANITIZE_THREAD__
    // ThreadSanitizer keeps a bounded history per thread: with the reader
    // this far ahead of the window it loses the stack that would match the
    // suppression of Qt's queued-argument hand-over.
    constexpr int kFrames = 10000;
#else
    constexpr int kFrames = 100000;
#endif
    WindowRig rig;
    rig.connectAccepted();
    auto *table = rig.w<QTableView>("table_can_rx");
    rig.showTab(1);
    QVERIFY(canRxThreadOf(rig.window).isRunning());
    SettingDialog dialog(*DeviceLink::instance());

    auto *read = child<QPushButton>(dialog, "pushButton_read_can_time");
    auto *label = child<QLabel>(dialog, "label_can_time");

    rig.box().queueCanBurst(kFrames);
    read->click();
    QVERIFY(waitForBoxWork(&dialog));
    QCOMPARE(label->text(), QStringLiteral("30 ms"));
    // More reads while the flood lasts, each with a value of its own.
    for (int round = 0; round < 50 && rig.box().generatedFramesRead() < quint64(kFrames); ++round) {
        const int value = 31 + round;
        rig.box().setCanTime(uint8_t(value));
        read->click();
        QVERIFY(waitForBoxWork(&dialog));
        QCOMPARE(label->text(), QStringLiteral("%1 ms").arg(value));
    }

    QTRY_COMPARE_WITH_TIMEOUT(quint64(rig.box().generatedFramesRead()), quint64(kFrames), 120000);
    QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), kFrames, 120000);
    rig.showTab(0);
    QCOMPARE(table->model()->rowCount(), kFrames);

    // The generated stream: identifiers in turn, then a counter in the data.
    static const quint16 ids[] = {0x0C9, 0x1A0, 0x2F1, 0x3E9, 0x7DF, 0x7E8};
    for (int row = 0; row < kFrames; ++row) {
        const quint64 n = quint64(row);
        QString data;
        for (int i = 0; i < 8; ++i)
            data += QStringLiteral("%1 ").arg(uint8_t((n >> (8 * (i % 4))) + i), 2, 16,
                                              QLatin1Char('0'));
        if (cellText(table, row, 1) != QString::number(ids[n % 6], 16) ||
            cellText(table, row, 2) != data)
            QFAIL(qPrintable(QStringLiteral("row %1 out of order or wrong").arg(row)));
    }
}

void TestFaults::repliesStayInStepWithFramesInFlight_data()
{
    QTest::addColumn<bool>("everyTab"); // can_rx_always
    QTest::newRow("CAN tab shown") << false;
    QTest::newRow("receiving on every tab, information tab shown") << true;
}

// A real box keeps sending frames until it has read "reporting off", and the
// ones already on their way come ahead of every reply.
void TestFaults::repliesStayInStepWithFramesInFlight()
{
    QFETCH(bool, everyTab);
    WindowRig rig;
    config()->set(Config::CanRxAlways, everyTab);
    rig.connectAccepted();
    QAbstractItemModel *rows = rig.w<QAbstractItemView>("table_can_rx")->model();
    const quint64 before = rig.box().generatedFramesRead();
    rig.showTab(1);
    // Back from the CAN tab, receiving goes on, on the handle it had: a
    // re-opened node misses what the box sends meanwhile.
    const quint64 opened = rig.box().sessionsOpened();
    if (everyTab)
        rig.showTab(0);
    QCOMPARE(rig.box().sessionsOpened(), opened);
    // The host keeps 64 reports. A ThreadSanitizer build now and then leaves
    // every thread still for a few hundred ms while the box's clock runs on.
#ifdef __SANITIZE_THREAD__
    rig.box().setCanRate(100);
#else
    rig.box().setCanRate(1000);
#endif
    QTRY_VERIFY(rows->rowCount() > 200);

    SettingDialog dialog(*DeviceLink::instance());
    auto *read = child<QPushButton>(dialog, "pushButton_read_can_time");
    for (int value : {17, 99, 223}) {
        rig.box().setCanTime(uint8_t(value));
        read->click();
        QVERIFY(waitForBoxWork(&dialog));
        QCOMPARE(child<QLabel>(dialog, "label_can_time")->text(),
                 QStringLiteral("%1 ms").arg(value));
        if (!everyTab)
            continue;
        SimBox::Identity id;
        id.softwareId = QStringLiteral("SW-%1").arg(value);
        id.softwareVersion = quint32(value);
        rig.box().setIdentity(id);
        rig.w<QLineEdit>("lineEdit_wifi_name")->setText(QStringLiteral("net%1").arg(value));
        rig.w<QLineEdit>("lineEdit_wifi_pwd")->setText(QStringLiteral("password%1").arg(value));
        rig.w<QPushButton>("pushButton_2")->click();
        QVERIFY(waitForBoxWork(&rig.window));
        QCOMPARE(rig.boxes.texts().value(0), QStringLiteral("WIFI信息已设置"));
        rig.boxes.shown.clear();
        verifyNormalRead(rig);
    }
    if (everyTab) {
        QVERIFY(rig.box().canReporting());
        rig.box().setCanRate(0);
    } else {
        rig.showTab(0);
        QVERIFY(!rig.box().canReporting());
        verifyNormalRead(rig);
    }

    // Every frame the box sent is a row, once, in order: the stream counts in
    // its first data byte.
    QCOMPARE(rig.box().droppedReports(), quint64(0));
    QTRY_COMPARE(quint64(rows->rowCount()), rig.box().generatedFramesRead() - before);
    for (int row = 0; row < rows->rowCount(); ++row) {
        const QString data = rows->index(row, 2).data().toString();
        const QString counter =
            QStringLiteral("%1").arg((before + quint64(row)) & 0xFF, 2, 16, QLatin1Char('0'));
        if (!data.startsWith(counter))
            QFAIL(qPrintable(QStringLiteral("row %1 holds %2").arg(row).arg(data)));
    }
}

void TestFaults::unusableConfig_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("binary junk") << "junk";
    QTest::newRow("read-only file") << "read-only";
    QTest::newRow("directory") << "directory";
    QTest::newRow("read-only working directory") << "read-only dir";
}

void TestFaults::unusableConfig()
{
    QFETCH(QString, kind);
    TempWorkDir dir;
    const QString path = dir.file("config.ini");
    if (kind == "junk") {
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk.append(char((i * 131 + (i >> 3)) & 0xFF));
        junk.replace('=', '\x01');
        dir.writeFile("config.ini", junk);
    } else if (kind == "read-only") {
        dir.writeFile("config.ini", "[General]\nlanguage=en\n");
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    } else if (kind == "directory") {
        QVERIFY(QDir(dir.path()).mkdir("config.ini"));
    } else {
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    }
    const QByteArray before =
        kind == "read-only" ? dir.readFile("config.ini").toLatin1() : QByteArray();

    {
        QSettings settings(configFilePath(), QSettings::IniFormat);
        config()->load(settings);
    }
    QCOMPARE(config()->get(Config::Language).toString(),
             kind == "read-only" ? QString("en") : QString("cn"));
    QCOMPARE(config()->get(Config::CanTime), QVariant(30));
    QCOMPARE(config()->get(Config::AutoConnect), QVariant(true));

    bool written = false;
    {
        MessageBoxRecorder boxes;
        SettingDialog dialog(*DeviceLink::instance());
        child<QRadioButton>(dialog, kind == "read-only" ? "radioButton_cn" : "radioButton_en")
            ->click();
        child<QCheckBox>(dialog, "checkBox_auto_connect")->click();
        QCOMPARE(config()->get(Config::Language).toString(),
                 kind == "read-only" ? QString("cn") : QString("en"));
        QCOMPARE(config()->get(Config::AutoConnect), QVariant(false));
        QVERIFY(boxes.shown.isEmpty());
    }
    if (kind == "directory")
        QVERIFY(QFileInfo(path).isDir());
    else if (kind == "read-only")
        written = dir.readFile("config.ini").toLatin1() != before;
    else if (kind == "read-only dir")
        written = QFile::exists(path);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (kind == "read-only")
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (written)
        QSKIP("running with rights that write through read-only permissions");
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
