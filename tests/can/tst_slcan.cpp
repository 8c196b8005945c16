#include "slcan.h"

#include <QtTest>

// The slcan text side of the bridge: which client commands are taken and
// what they carry, how the byte stream splits into commands, and the lines
// and answers a client reads.
Q_DECLARE_METATYPE(SlcanCommand::Kind)

class TestSlcan : public QObject
{
    Q_OBJECT
private slots:
    void commandRead_data();
    void commandRead();
    void streamSplitsAtCarriageReturns();
    void frameLine_data();
    void frameLine();
    void answerTexts();
};

void TestSlcan::commandRead_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<SlcanCommand::Kind>("kind");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("data"); // hex, for Send
    QTest::addColumn<bool>("timestamps");
    using K = SlcanCommand;
    QTest::newRow("open") << QByteArray("O") << K::Open << 0 << QByteArray() << false;
    QTest::newRow("listen") << QByteArray("L") << K::ListenOnly << 0 << QByteArray() << false;
    QTest::newRow("close") << QByteArray("C") << K::Close << 0 << QByteArray() << false;
    QTest::newRow("S0") << QByteArray("S0") << K::BitRate << 0 << QByteArray() << false;
    QTest::newRow("S8") << QByteArray("S8") << K::BitRate << 0 << QByteArray() << false;
    QTest::newRow("S9 unknown") << QByteArray("S9") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("btr") << QByteArray("s031C") << K::BitRate << 0 << QByteArray() << false;
    QTest::newRow("btr short") << QByteArray("s031") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("btr not hex") << QByteArray("s03G1") << K::Malformed << 0 << QByteArray()
                                 << false;
    QTest::newRow("version") << QByteArray("V") << K::Version << 0 << QByteArray() << false;
    QTest::newRow("bridge version")
        << QByteArray("v") << K::BridgeVersion << 0 << QByteArray() << false;
    QTest::newRow("serial") << QByteArray("N") << K::Serial << 0 << QByteArray() << false;
    QTest::newRow("status") << QByteArray("F") << K::Status << 0 << QByteArray() << false;
    QTest::newRow("Z1") << QByteArray("Z1") << K::Timestamps << 0 << QByteArray() << true;
    QTest::newRow("Z0") << QByteArray("Z0") << K::Timestamps << 0 << QByteArray() << false;
    QTest::newRow("Z2") << QByteArray("Z2") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("send no data") << QByteArray("t1230") << K::Send << 0x123 << QByteArray()
                                  << false;
    QTest::newRow("send 8, lower case") << QByteArray("t7df81122334455aabbcc") << K::Send << 0x7DF
                                        << QByteArray("1122334455aabbcc") << false;
    QTest::newRow("send 3") << QByteArray("t0013A0B0C0") << K::Send << 0x001 << QByteArray("a0b0c0")
                            << false;
    QTest::newRow("id above 7FF") << QByteArray("t8000") << K::Malformed << 0 << QByteArray()
                                  << false;
    QTest::newRow("length 9") << QByteArray("t123900112233445566778899") << K::Malformed << 0
                              << QByteArray() << false;
    QTest::newRow("fewer bytes than length")
        << QByteArray("t123211") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("more bytes than length")
        << QByteArray("t12311122") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("odd digit") << QByteArray("t12311") << K::Malformed << 0 << QByteArray()
                               << false;
    QTest::newRow("bad data digit")
        << QByteArray("t1231G1") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("short id") << QByteArray("t12") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("extended") << QByteArray("T123456781AA") << K::Malformed << 0 << QByteArray()
                              << false;
    QTest::newRow("remote") << QByteArray("r1230") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("remote extended")
        << QByteArray("R123456780") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("open with tail")
        << QByteArray("OX") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("overlong") << QByteArray("t123811223344556677889") << K::Malformed << 0
                              << QByteArray() << false;
    QTest::newRow("overlong, a frame in its first 21")
        << QByteArray("t1238112233445566778899aabb") << K::Malformed << 0 << QByteArray() << false;
    QTest::newRow("nul") << QByteArray(1, '\0') << K::Malformed << 0 << QByteArray() << false;
}

void TestSlcan::commandRead()
{
    QFETCH(QByteArray, text);
    QFETCH(SlcanCommand::Kind, kind);
    QFETCH(int, id);
    QFETCH(QByteArray, data);
    QFETCH(bool, timestamps);
    // Split from the stream as the bridge does, so a cut cannot make a command.
    QByteArray pending = text + '\r';
    const QVector<QByteArray> commands = takeSlcanCommands(pending);
    QCOMPARE(commands.size(), 1);
    const SlcanCommand c = parseSlcanCommand(commands.first());
    QCOMPARE(c.kind, kind);
    if (kind == SlcanCommand::Send) {
        QCOMPARE(int(c.id), id);
        QByteArray bytes;
        for (uint8_t b : c.data)
            bytes.append(char(b));
        QCOMPARE(bytes.toHex(), data);
    }
    QCOMPARE(c.timestamps, timestamps);
}

void TestSlcan::streamSplitsAtCarriageReturns()
{
    QByteArray pending("O\rt1230\r\nV");
    QCOMPARE(takeSlcanCommands(pending), (QVector<QByteArray>{"O", "t1230"}));
    QCOMPARE(pending, QByteArray("\nV"));
    pending += "\r\r";
    QCOMPARE(takeSlcanCommands(pending), (QVector<QByteArray>{"V", ""}));
    QCOMPARE(pending, QByteArray());

    // A client that never sends CR costs bounded memory, and what it sent
    // stays one malformed command instead of turning into a valid one.
    pending = "t123" + QByteArray(100000, '0');
    QVERIFY(takeSlcanCommands(pending).isEmpty());
    QVERIFY(pending.size() <= SLCAN_MAX_COMMAND + 2);
    pending += "\rO\r";
    const QVector<QByteArray> commands = takeSlcanCommands(pending);
    QCOMPARE(commands.size(), 2);
    QCOMPARE(parseSlcanCommand(commands.at(0)).kind, SlcanCommand::Malformed);
    QCOMPARE(parseSlcanCommand(commands.at(1)).kind, SlcanCommand::Open);
}

void TestSlcan::frameLine_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("data"); // hex
    QTest::addColumn<qint64>("timestampMs");
    QTest::addColumn<QByteArray>("line"); // empty: refused
    QTest::newRow("no data") << 0x123 << QByteArray() << qint64(-1) << QByteArray("t1230\r");
    QTest::newRow("eight bytes") << 0x7DF << QByteArray("02010c00000000ff") << qint64(-1)
                                 << QByteArray("t7DF802010C00000000FF\r");
    QTest::newRow("small id padded")
        << 0x5 << QByteArray("aa") << qint64(-1) << QByteArray("t0051AA\r");
    QTest::newRow("timestamp") << 0x0C9 << QByteArray("01") << qint64(1234)
                               << QByteArray("t0C91\x30\x31\x30\x34\x44\x32\r");
    QTest::newRow("timestamp wraps at a minute")
        << 0x0C9 << QByteArray() << qint64(60001) << QByteArray("t0C900001\r");
    QTest::newRow("id above 7FF") << 0x800 << QByteArray("01") << qint64(-1)
                                  << QByteArray("T00000800101\r");
    QTest::newRow("no id") << -1 << QByteArray() << qint64(-1) << QByteArray();
    QTest::newRow("nine bytes") << 0x123 << QByteArray("010203040506070809") << qint64(-1)
                                << QByteArray();
}

void TestSlcan::frameLine()
{
    QFETCH(int, id);
    QFETCH(QByteArray, data);
    QFETCH(qint64, timestampMs);
    QFETCH(QByteArray, line);
    const QByteArray bytes = QByteArray::fromHex(data);
    QByteArray out("x");
    const bool taken = appendSlcanFrame(
        out, id, reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size(), timestampMs);
    QCOMPARE(taken, !line.isEmpty());
    QCOMPARE(out, "x" + line);
}

void TestSlcan::answerTexts()
{
    // python-can reads V as two pairs of decimal digits.
    QCOMPARE(slcanVersionText(0x01000002), QByteArray("V0102"));
    QCOMPARE(slcanVersionText(0xFF0000FF), QByteArray("V5555"));
    QCOMPARE(slcanBridgeVersionText(QStringLiteral("1.2")), QByteArray("v0102"));
    QCOMPARE(slcanSerialText(QStringLiteral("0001")), QByteArray("N0001"));
    QCOMPARE(slcanSerialText(QStringLiteral("SN-00c0ffee")), QByteArray("NFFEE"));
    QCOMPARE(slcanSerialText(QStringLiteral("7")), QByteArray("N0007"));
    QCOMPARE(slcanSerialText(QString()), QByteArray("N0000"));
    QCOMPARE(slcanSerialText(QStringLiteral("box-")), QByteArray("N0000"));
    QCOMPARE(slcanStatusText(SLCAN_FLAG_OVERRUN), QByteArray("F08"));
}

QTEST_GUILESS_MAIN(TestSlcan)
#include "tst_slcan.moc"
