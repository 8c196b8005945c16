#include "boxcommands.h"
#include "commands.h"
#include "devicelink.h"
#include "hidcmdhandle.h"
#include "replydecode.h"
#include "testsupport.h"

#include <QtTest>

// The identity and WiFi commands: what goes on the wire and how replies decode.
class TestCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void replyDecoding_data();
    void replyDecoding();
    void wifiInfoSplits_data();
    void wifiInfoSplits();
    void requestsOnTheWire();
    void wifiPayload_data();
    void wifiPayload();
    void setWifiReportsWhetherTheBoxAnswered();
    void unansweredCommandsGiveDocumentedValues();
    void handleAloneSendsNothing();
    void canPayloadsAndTimes();
    void typedAnswers_data();
    void typedAnswers();
    void handshakeOutcomes_data();
    void handshakeOutcomes();

private:
    // The box's next reply to `cmd` is exactly `reply`.
    void answerWith(uint8_t cmd, const QByteArray &replyPayload);
    // The box leaves `cmd` unanswered (Silent) or answers another code (WrongCode).
    void applyFault(uint8_t cmd, int fault);
    std::unique_ptr<SimFixture> m_sim;
};

void TestCommands::init()
{
    m_sim = std::make_unique<SimFixture>();
    QCOMPARE(DeviceLink::instance()->open(), 0);
}

void TestCommands::cleanup()
{
    m_sim.reset();
}

void TestCommands::answerWith(uint8_t cmd, const QByteArray &replyPayload)
{
    m_sim->box.answerNext(cmd, inputFrame(cmd, replyPayload));
}

void TestCommands::replyDecoding_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("text");
    QTest::newRow("version 513") << int(CMD_GET_SOFTWARE_VERSION) << hexBytes("01 02 00 00")
                                 << "513";
    QTest::newRow("version max") << int(CMD_GET_SOFTWARE_VERSION) << hexBytes("ff ff ff ff")
                                 << "4294967295";
    QTest::newRow("version extra bytes")
        << int(CMD_GET_SOFTWARE_VERSION) << hexBytes("01 00 00 00 09") << "1";
    QTest::newRow("version short") << int(CMD_GET_SOFTWARE_VERSION) << hexBytes("01 01") << "257";
    QTest::newRow("hardware digits")
        << int(CMD_GET_HARDWARE_ID) << hexBytes("31 32 00 41") << "1200";
    QTest::newRow("software id keeps zero")
        << int(CMD_GET_SOFTWARE_ID) << hexBytes("41 42 00") << QString("AB") + QChar(0);
    QTest::newRow("software id latin1")
        << int(CMD_GET_SOFTWARE_ID) << hexBytes("e9") << QString(QChar(0xE9));
}

void TestCommands::replyDecoding()
{
    QFETCH(int, cmd);
    QFETCH(QByteArray, reply);
    QFETCH(QString, text);
    answerWith(uint8_t(cmd), reply);
    HidCmdHandle handle(*DeviceLink::instance());
    QString got;
    if (cmd == CMD_GET_SOFTWARE_VERSION)
        got = handle.getSoftwareVersion();
    else if (cmd == CMD_GET_HARDWARE_ID)
        got = handle.getHardwareId();
    else
        got = handle.getSoftwareId();
    QCOMPARE(got, text);
}

void TestCommands::wifiInfoSplits_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("name and password")
        << QByteArray("home,secret12") << QStringList{"home", "secret12"};
    QTest::newRow("ends with comma") << QByteArray("home,") << QStringList{"home", ""};
    QTest::newRow("two commas") << QByteArray("a,b,c") << QStringList{"a", "b", "c"};
    QTest::newRow("no comma") << QByteArray("alone") << QStringList{"alone"};
}

void TestCommands::wifiInfoSplits()
{
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, parts);
    answerWith(CMD_GET_WIFI_INFO, reply);
    HidCmdHandle handle(*DeviceLink::instance());
    QCOMPARE(handle.getWifiInfo(), parts);
}

void TestCommands::requestsOnTheWire()
{
    HidCmdHandle handle(*DeviceLink::instance());
    handle.getSoftwareId();
    handle.getSoftwareVersion();
    handle.getHardwareId();
    handle.getWifiInfo();
    const QList<QByteArray> wire = m_sim->box.wire();
    QCOMPARE(wire.size(), 4);
    QCOMPARE(wire.at(0), commandReport(CMD_GET_SOFTWARE_ID));
    QCOMPARE(wire.at(1), commandReport(CMD_GET_SOFTWARE_VERSION));
    QCOMPARE(wire.at(2), commandReport(CMD_GET_HARDWARE_ID));
    // The WiFi read carries one zero byte, not an empty payload.
    QCOMPARE(wire.at(3), commandReport(CMD_GET_WIFI_INFO, hexBytes("00")));
}

void TestCommands::wifiPayload_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("4 and 6") << "abcd"
                             << "123456" << QByteArray("abcd,123456");
    QTest::newRow("both empty") << ""
                                << "" << QByteArray(",");
    QTest::newRow("outside latin1") << QString(QChar(0x4E2D)) << "x" << QByteArray("?,x");
    QTest::newRow("comma inside") << "a,b"
                                  << "c" << QByteArray("a,b,c");
}

void TestCommands::wifiPayload()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QByteArray, payload);
    HidCmdHandle handle(*DeviceLink::instance());
    QVERIFY(handle.setWifiInfo(name, password));
    QCOMPARE(m_sim->box.wire().value(0), commandReport(CMD_SET_WIFI_INFO, payload));
}

void TestCommands::setWifiReportsWhetherTheBoxAnswered()
{
    HidCmdHandle handle(*DeviceLink::instance());
    QVERIFY(handle.setWifiInfo("network1", "password1"));
    QCOMPARE(m_sim->box.wifiName(), QStringLiteral("network1"));
    m_sim->box.setFault(SimBox::Fault::Silent, CMD_SET_WIFI_INFO);
    m_sim->box.setInstantTimeouts(true);
    QVERIFY(!handle.setWifiInfo("network2", "password2"));
}

void TestCommands::unansweredCommandsGiveDocumentedValues()
{
    m_sim->box.setFault(SimBox::Fault::Silent);
    m_sim->box.setInstantTimeouts(true);
    HidCmdHandle handle(*DeviceLink::instance());
    QCOMPARE(handle.getSoftwareId(), QString());
    QCOMPARE(handle.getSoftwareVersion(), QStringLiteral("0"));
    QCOMPARE(handle.getHardwareId(), QString());
    QCOMPARE(handle.getWifiInfo(), QStringList{QString()});
}

void TestCommands::handleAloneSendsNothing()
{
    LogCapture log;
    {
        HidCmdHandle first(*DeviceLink::instance());
        HidCmdHandle second(*DeviceLink::instance());
    }
    QVERIFY(m_sim->box.wire().isEmpty());
    QVERIFY(log.lines().isEmpty());
}

void TestCommands::canPayloadsAndTimes()
{
    QCOMPARE(vectorBytes(canFramePayload(0x123, bytesVector(hexBytes("11 22 33")))),
             hexBytes("23 01 11 22 33"));
    CmdPacket p;
    p.set(CMD_CAN_FRAME, canFramePayload(0x123, bytesVector(hexBytes("11 22 33"))));
    QCOMPARE(DeviceLink::instance()->sendPacket(p), 65);
    QCOMPARE(uint8_t(m_sim->box.wire().value(0).at(2)), uint8_t(7));
    QCOMPARE(m_sim->box.sentCanFrames().value(0), bytesVector(hexBytes("23 01 11 22 33")));
    QCOMPARE(int(canTimeValue(3)), 5);
    QCOMPARE(int(canTimeValue(5)), 5);
    QCOMPARE(int(canTimeValue(99)), 99);
    QCOMPARE(int(canTimeValue(256 + 30)), 30);
    QCOMPARE(int(canTimeValue(256 + 2)), 5);
    // Only what the box can store faithfully is taken from text.
    QCOMPARE(canTimeFromText(" 7 "), std::optional<quint32>(7));
    QCOMPARE(canTimeFromText("255"), std::optional<quint32>(255));
    QCOMPARE(canTimeFromText("0"), std::optional<quint32>(0));
    for (const char *refused : {"256", "300", "", "  ", "5 5", "-1", "+3", "1e2", "0x10", "0255"})
        QVERIFY2(!canTimeFromText(QString::fromLatin1(refused)), refused);
}

namespace {
enum BoxFault
{
    Answers,
    Silent,
    WrongCode,
};

template <typename T> QString shown(const BoxAnswer<T> &answer)
{
    if (!answer.value)
        return QStringLiteral("-");
    if constexpr (std::is_same_v<T, QString>)
        return *answer.value;
    else if constexpr (std::is_same_v<T, QStringList>)
        return answer.value->join(QLatin1Char('|'));
    else
        return QString::number(*answer.value);
}

// Runs one command of the layer: whether the box answered and what it said.
std::pair<bool, QString> runCommand(const QString &name)
{
    const auto pick = [](auto answer) { return std::make_pair(answer.answered, shown(answer)); };
    const auto ack = [](const BoxAck &a) { return std::make_pair(a.answered, QString("-")); };
    if (name == "software id")
        return pick(BoxCommands::softwareId(*DeviceLink::instance()));
    if (name == "software version")
        return pick(BoxCommands::softwareVersion(*DeviceLink::instance()));
    if (name == "hardware id")
        return pick(BoxCommands::hardwareId(*DeviceLink::instance()));
    if (name == "wifi info")
        return pick(BoxCommands::wifiInfo(*DeviceLink::instance()));
    if (name == "set wifi info")
        return ack(BoxCommands::setWifiInfo(*DeviceLink::instance(), "net", "pass"));
    if (name == "can time")
        return pick(BoxCommands::canTime(*DeviceLink::instance()));
    if (name == "set can time")
        return pick(BoxCommands::setCanTime(*DeviceLink::instance(), 256 + 2));
    if (name == "can reporting on")
        return ack(BoxCommands::setCanReporting(*DeviceLink::instance(), true));
    if (name == "can reporting off")
        return ack(BoxCommands::setCanReporting(*DeviceLink::instance(), false));
    if (name == "factory reset")
        return ack(BoxCommands::wifiFactoryReset(*DeviceLink::instance()));
    if (name == "ota start")
        return pick(BoxCommands::otaStart(*DeviceLink::instance(), 0x1234));
    if (name == "ota result")
        return pick(BoxCommands::otaResult(*DeviceLink::instance()));
    return {false, QStringLiteral("unknown command")};
}
} // namespace

void TestCommands::applyFault(uint8_t cmd, int fault)
{
    // A missing answer is what these rows are about: no need to sit out the time-out.
    m_sim->box.setInstantTimeouts(true);
    if (fault == Silent)
        m_sim->box.setFault(SimBox::Fault::Silent, cmd);
    else if (fault == WrongCode)
        m_sim->box.setFault(SimBox::Fault::WrongCommand, cmd);
}

void TestCommands::typedAnswers_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    const struct
    {
        const char *command;
        uint8_t code;
        const char *value;
    } commands[] = {
        {"software id", CMD_GET_SOFTWARE_ID, "VOTK-WB1"},
        {"software version", CMD_GET_SOFTWARE_VERSION, "66051"},
        {"hardware id", CMD_GET_HARDWARE_ID, "20231105"},
        {"wifi info", CMD_GET_WIFI_INFO, "VOTK_BOX|12345678"},
        {"set wifi info", CMD_SET_WIFI_INFO, "-"},
        {"can time", CMD_GET_CAN_TIME, "30"},
        // What the box was given: the low byte, raised to 5.
        {"set can time", CMD_SET_CAN_TIME, "5"},
        {"can reporting on", CMD_CAN_RX_ENABLE, "-"},
        {"can reporting off", CMD_CAN_RX_ENABLE, "-"},
        {"factory reset", CMD_WIFI_FACTORY_RESET, "-"},
        {"ota start", CMD_OTA_START, "1"},
        // No upgrade was made.
        {"ota result", CMD_OTA_RESULT, "0"},
    };
    QTest::addColumn<int>("fault");
    for (const auto &c : commands) {
        QTest::addRow("%s answered", c.command)
            << c.command << int(c.code) << c.value << int(Answers);
        QTest::addRow("%s silent", c.command) << c.command << int(c.code) << "-" << int(Silent);
        QTest::addRow("%s wrong code", c.command)
            << c.command << int(c.code) << "-" << int(WrongCode);
    }
}

// Each command tells an answer from none: a silent box and a reply to another
// command both leave it unanswered, without a value.
void TestCommands::typedAnswers()
{
    QFETCH(QString, command);
    QFETCH(int, code);
    QFETCH(QString, value);
    QFETCH(int, fault);
    applyFault(uint8_t(code), fault);

    const std::pair<bool, QString> got = runCommand(command);

    QCOMPARE(got.first, fault == Answers);
    QCOMPARE(got.second, value);
    QCOMPARE(m_sim->box.commandsOnWire().value(0), uint8_t(code));
}

void TestCommands::handshakeOutcomes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("fault");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("outcome");
    QTest::newRow("accepted") << 0 << int(Answers) << QByteArray() << int(Handshake::Ok);
    QTest::newRow("probe silent") << int(CMD_PROBE) << int(Silent) << QByteArray()
                                  << int(Handshake::NoAnswerToProbe);
    QTest::newRow("probe wrong code")
        << int(CMD_PROBE) << int(WrongCode) << QByteArray() << int(Handshake::NoAnswerToProbe);
    QTest::newRow("probe without byte")
        << int(CMD_PROBE) << int(Answers) << QByteArray() << int(Handshake::NoAnswerToProbe);
    QTest::newRow("usb mode silent") << int(CMD_ENTER_USB_MODE) << int(Silent) << QByteArray()
                                     << int(Handshake::NoAnswerToUsbMode);
    QTest::newRow("usb mode wrong code") << int(CMD_ENTER_USB_MODE) << int(WrongCode)
                                         << QByteArray() << int(Handshake::NoAnswerToUsbMode);
    QTest::newRow("usb mode refused") << int(CMD_ENTER_USB_MODE) << int(Answers) << hexBytes("00")
                                      << int(Handshake::UsbModeRefused);
}

void TestCommands::handshakeOutcomes()
{
    QFETCH(int, code);
    QFETCH(int, fault);
    QFETCH(QByteArray, reply);
    QFETCH(int, outcome);
    if (fault == Answers && code != 0)
        answerWith(uint8_t(code), reply);
    else
        applyFault(uint8_t(code), fault);

    QCOMPARE(int(BoxCommands::connect(*DeviceLink::instance())), outcome);
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
