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

private:
    // The box's next reply to `cmd` is exactly `reply`.
    void answerWith(uint8_t cmd, const QByteArray &replyPayload);
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
    HidCmdHandle handle;
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
    HidCmdHandle handle;
    QCOMPARE(handle.getWifiInfo(), parts);
}

void TestCommands::requestsOnTheWire()
{
    HidCmdHandle handle;
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
    HidCmdHandle handle;
    QVERIFY(handle.setWifiInfo(name, password));
    QCOMPARE(m_sim->box.wire().value(0), commandReport(CMD_SET_WIFI_INFO, payload));
}

void TestCommands::setWifiReportsWhetherTheBoxAnswered()
{
    HidCmdHandle handle;
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
    HidCmdHandle handle;
    QCOMPARE(handle.getSoftwareId(), QString());
    QCOMPARE(handle.getSoftwareVersion(), QStringLiteral("0"));
    QCOMPARE(handle.getHardwareId(), QString());
    QCOMPARE(handle.getWifiInfo(), QStringList{QString()});
}

void TestCommands::handleAloneSendsNothing()
{
    LogCapture log;
    {
        HidCmdHandle first;
        HidCmdHandle second;
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

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
