#include "dbccodec.h"
#include "dbcdatabase.h"

#include <QtTest>

#include <clocale>
#include <cmath>

// The DBC reader and codec on signals with known answers: where the bits of
// each byte order are, signs, scaling, floats, multiplexing, value tables,
// frames too short for a signal, encoding back, and files that cannot be read.
class TestDbc : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void decodeAndEncode_data();
    void decodeAndEncode();
    void brokenFileLoadsNothing_data();
    void brokenFileLoadsNothing();
    void readsWholeFile();
};

namespace {
// One message 0x100 with the signal lines given.
QByteArray message(const char *lines)
{
    return QByteArray("BO_ 256 M: 8 X\n") + lines;
}
} // namespace

// Every number below is read under a locale whose decimal mark is a comma.
void TestDbc::initTestCase()
{
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        std::setlocale(LC_NUMERIC, "C.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German));
}

void TestDbc::decodeAndEncode_data()
{
    QTest::addColumn<QByteArray>("dbc");
    QTest::addColumn<QByteArray>("data"); // hex
    QTest::addColumn<QString>("text");    // decoded; "-" for no message
    QTest::addColumn<double>("encode");   // NaN: decode only
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<bool>("clamped");

    const double no = std::nan("");
    auto decode = [&](const char *name, const char *lines, const char *data, const char *text) {
        QTest::newRow(name) << message(lines) << QByteArray(data) << QString::fromUtf8(text) << no
                            << QByteArray() << false;
    };
    // Writes `value` over `data`, then decodes what was written.
    auto encode = [&](const char *name, const char *lines, const char *data, double value,
                      const char *encoded, bool clamped, const char *text) {
        QTest::newRow(name) << message(lines) << QByteArray(data) << QString::fromUtf8(text)
                            << value << QByteArray(encoded) << clamped;
    };
    const char motorola16[] = " SG_ S : 7|16@0+ (1,0) [0|0] \"\" X\n";
    const char motorolaMid[] = " SG_ S : 3|8@0+ (1,0) [0|0] \"\" X\n";
    const char intelMid[] = " SG_ S : 4|8@1+ (1,0) [0|0] \"\" X\n";
    const char scaled[] = " SG_ S : 0|8@1+ (0.5,-40) [0|0] \"degC\" X\n";
    const char mux[] = " SG_ Mux M : 0|8@1+ (1,0) [0|0] \"\" X\n"
                       " SG_ A m1 : 8|8@1+ (1,0) [0|0] \"\" X\n"
                       " SG_ B m2 : 8|8@1- (1,0) [0|0] \"\" X\n";
    decode("Motorola 7|16", motorola16, "1234", "S=4660");
    decode("Motorola mid-byte runs on to the next byte's bit 7", motorolaMid, "ABCD", "S=188");
    decode("Intel 0|12", " SG_ S : 0|12@1+ (1,0) [0|0] \"\" X\n", "3412", "S=564");
    decode("Intel mid-byte", intelMid, "ABCD", "S=218");
    decode("Intel 64 bits", " SG_ S : 0|64@1+ (1,0) [0|0] \"\" X\n", "0000000000000080",
           "S=9223372036854775808");
    decode("Motorola 64 bits", " SG_ S : 7|64@0+ (1,0) [0|0] \"\" X\n", "8000000000000001",
           "S=9223372036854775808");
    decode("Intel 64 bits over nine bytes", " SG_ S : 4|64@1+ (1,0) [0|0] \"\" X\n",
           "F0FFFFFFFFFFFFFF0F", "S=18446744073709551616");
    decode("signed Intel", " SG_ S : 0|8@1- (1,0) [0|0] \"\" X\n", "FF", "S=-1");
    decode("signed Motorola 12 bits", " SG_ S : 7|12@0- (1,0) [0|0] \"\" X\n", "800F", "S=-2048");
    decode("signed 64 bits", " SG_ S : 0|64@1- (1,0) [0|0] \"\" X\n", "FEFFFFFFFFFFFFFF", "S=-2");
    decode("factor and offset", scaled, "64", "S=10 degC");
    decode("shown with the factor's decimals", " SG_ S : 0|8@1+ (0.4,0) [0|0] \"%\" X\n", "1C",
           "S=11.2 %");
    decode("float32 shown as the float it is",
           " SG_ S : 0|32@1- (1,0) [0|0] \"\" X\nSIG_VALTYPE_ 256 S : 1;\n", "CDCC8C3F", "S=1.1");
    decode("float32 Intel", " SG_ S : 0|32@1- (1,0) [0|0] \"\" X\nSIG_VALTYPE_ 256 S : 1;\n",
           "0000C03F", "S=1.5");
    decode("float32 Motorola, scaled",
           " SG_ S : 7|32@0- (2,1) [0|0] \"\" X\nSIG_VALTYPE_ 256 S : 1;\n", "3FC00000", "S=4");
    decode("float64", " SG_ S : 0|64@1- (1,0) [0|0] \"\" X\nSIG_VALTYPE_ 256 S : 2;\n",
           "000000000000F83F", "S=1.5");
    decode("value table",
           " SG_ S : 0|8@1+ (1,0) [0|0] \"\" X\nVAL_ 256 S 0 \"PARK\" 3 \"DRIVE\" ;\n", "03",
           "S=3 (DRIVE)");
    decode("value table, negative", " SG_ S : 0|8@1- (1,0) [0|0] \"\" X\nVAL_ 256 S -1 \"ERR\";\n",
           "FF", "S=-1 (ERR)");
    decode("too short, Motorola", motorola16, "12", "S=\u2014");
    decode("too short, Motorola bit 0 reaches the next byte",
           " SG_ S : 0|8@0+ (1,0) [0|0] \"\" X\n", "12", "S=\u2014");
    decode("too short, Intel", " SG_ S : 8|8@1+ (1,0) [0|0] \"\" X\n", "12", "S=\u2014");
    decode("empty frame", scaled, "", "S=\u2014");
    decode("multiplexed 1", mux, "0105", "Mux=1, A=5");
    decode("multiplexed 2", mux, "02FF", "Mux=2, B=-1");
    decode("no branch", mux, "0305", "Mux=3");
    decode("multiplexer unreadable", mux, "", "Mux=\u2014");
    decode("several multiplexers: not decoded",
           " SG_ Mux M : 0|8@1+ (1,0) [0|0] \"\" X\n SG_ A m1 : 8|8@1+ (1,0) [0|0] \"\" X\n"
           "SG_MUL_VAL_ 256 A Mux 1-1;\n",
           "0105", "");
    QTest::newRow("29-bit message never matches")
        << QByteArray("BO_ 2147483904 E: 8 X\n SG_ S : 0|8@1+ (1,0) [0|0] \"\" X\n")
        << QByteArray("01") << "-" << no << QByteArray() << false;

    encode("encode Motorola mid-byte, other bits kept", motorolaMid, "FFFF", 0, "F00F", false,
           "S=0");
    encode("encode Intel mid-byte", intelMid, "0000", 218, "A00D", false, "S=218");
    encode("encode Motorola 64 bits", " SG_ S : 7|64@0+ (1,0) [0|0] \"\" X\n", "0000000000000000",
           9223372036854775808.0, "8000000000000000", false, "S=9223372036854775808");
    encode("encode rounds to the raw step", scaled, "00", 10.2, "64", false, "S=10 degC");
    encode("encode clamps to the range", " SG_ S : 0|8@1+ (1,0) [0|100] \"\" X\n", "00", 300, "64",
           true, "S=100");
    encode("encode clamps to the bits", " SG_ S : 0|8@1- (1,0) [0|0] \"\" X\n", "00", -300, "80",
           true, "S=-128");
    encode("encode float32", " SG_ S : 0|32@1- (1,0) [0|0] \"\" X\nSIG_VALTYPE_ 256 S : 1;\n",
           "00000000", -2.5, "000020C0", false, "S=-2.5");
}

void TestDbc::decodeAndEncode()
{
    QFETCH(QByteArray, dbc);
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QFETCH(double, encode);
    QFETCH(QByteArray, encoded);
    QFETCH(bool, clamped);

    const DbcLoad load = parseDbc(dbc, QStringLiteral("t.dbc"));
    QVERIFY2(load.ok, qPrintable(load.error.text()));
    CanFrame frame;
    frame.id = 0x100;
    const QByteArray bytes = QByteArray::fromHex(data);
    frame.setData(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size());
    if (!std::isnan(encode)) {
        const DbcSignal &signal = load.database.messages.at(0).signalList.at(0);
        QCOMPARE(dbcEncode(signal, encode, frame.data), clamped);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(frame.data), frame.length).toHex(),
                 encoded.toLower());
    }
    const DbcDecodedFrame decoded = decodeFrame(load.database, frame);
    QCOMPARE(decoded.message ? dbcValuesText(decoded) : QStringLiteral("-"), text);
    // The variant without allocation says the same.
    if (decoded.message) {
        std::vector<DbcValue> values(decoded.message->signalList.size());
        const int n = dbcDecodeInto(*decoded.message, frame.data, frame.length, values.data());
        QCOMPARE(dbcValuesText(values.data(), n), text);
    }
}

void TestDbc::brokenFileLoadsNothing_data()
{
    QTest::addColumn<QByteArray>("dbc");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");

    const QByteArray good = message(" SG_ S : 0|8@1+ (1,0) [0|0] \"\" X\n");
    QTest::newRow("no colon after the name") << QByteArray("BO_ 256 M 8 X\n") << 1 << 11;
    QTest::newRow("start bit 512") << message(" SG_ S : 512|8@1+ (1,0) [0|0] \"\" X\n") << 2 << 10;
    QTest::newRow("length 0") << message(" SG_ S : 0|0@1+ (1,0) [0|0] \"\" X\n") << 2 << 12;
    QTest::newRow("length 65") << message(" SG_ S : 0|65@1+ (1,0) [0|0] \"\" X\n") << 2 << 12;
    QTest::newRow("Motorola past 64 bytes")
        << message(" SG_ S : 504|16@0+ (1,0) [0|0] \"\" X\n") << 2 << 10;
    QTest::newRow("byte order 2") << message(" SG_ S : 0|8@2+ (1,0) [0|0] \"\" X\n") << 2 << 14;
    QTest::newRow("comma decimal factor")
        << message(" SG_ S : 0|8@1+ (0,5,0) [0|0] \"\" X\n") << 2 << 21;
    QTest::newRow("string without its end") << good + "CM_ \"abc\n" << 3 << 5;
    QTest::newRow("stray character") << good + "$\n" << 3 << 1;
    QTest::newRow("error after a good message") << good + "BO_ 2 N: 8\n" << 4 << 1;
    QTest::newRow("BOM and CRLF keep the count")
        << QByteArray("\xEF\xBB\xBFVERSION \"\"\r\nBO_ x") << 2 << 5;
    QTest::newRow("columns count characters")
        << QByteArray("CM_ \"\xC3\xA4\xC3\xB6\" $") << 1 << 10;
    QTest::newRow("line too long")
        << QByteArray(kDbcMaxLineLength + 1, ' ') << 1 << kDbcMaxLineLength + 1;
}

void TestDbc::brokenFileLoadsNothing()
{
    QFETCH(QByteArray, dbc);
    QFETCH(int, line);
    QFETCH(int, column);
    const DbcLoad load = parseDbc(dbc, QStringLiteral("bad.dbc"));
    QVERIFY(!load.ok);
    QVERIFY(load.database.messages.empty());
    QCOMPARE(QStringLiteral("%1:%2").arg(load.error.line).arg(load.error.column),
             QStringLiteral("%1:%2").arg(line).arg(column));
    QVERIFY(load.error.text().startsWith(QStringLiteral("bad.dbc:%1:%2: ").arg(line).arg(column)));
}

// A file as tools write it: the statements kept, the ones passed over, and
// one warning for each thing a user should look at.
void TestDbc::readsWholeFile()
{
    const QByteArray text = "VERSION \"1.0\"\r\n\r\nNS_ :\r\n\tCM_\r\n\tBA_DEF_\r\n\r\nBS_:\r\n"
                            "BU_: ECU Dash\r\n"
                            "BO_ 100 Engine: 8 ECU\r\n"
                            "\tSG_ Speed : 0|16@1+ (0.25,0) [0|16000] \"rpm\" Dash,ECU\r\n"
                            "\tSG_ Temp : 8|8@1- (1,-40) [-40|215] \"\xC2\xB0"
                            "C\" Dash\r\n"
                            "BO_ 100 Again: 8 ECU\r\n"
                            "BO_ 2147483748 Ext: 8 ECU\r\n"
                            "CM_ \"the bus\";\r\n"
                            "CM_ SG_ 100 Speed \"said \\\"fast\\\"\r\nover two lines\";\r\n"
                            "FROB_ 1 2 3;\r\nFROB_ 4;\r\n"
                            "BA_DEF_ BO_ \"GenMsgCycleTime\" INT 0 10000;\r\n"
                            "BA_DEF_DEF_ \"GenMsgCycleTime\" 100;\r\n"
                            "BA_ \"GenSigStartValue\" SG_ 100 Temp 45;\r\n"
                            "BA_ \"GenMsgCycleTime\" BO_ 2147483748 20;\r\n";
    const DbcLoad load = parseDbc(text, QStringLiteral("car.dbc"));
    QVERIFY2(load.ok, qPrintable(load.error.text()));
    const DbcDatabase &db = load.database;
    QCOMPARE(db.version, QStringLiteral("1.0"));
    QCOMPARE(db.nodes, QStringList({"ECU", "Dash"}));
    QCOMPARE(db.messages.size(), size_t(3));
    const DbcMessage *engine = db.standardMessage(100);
    QVERIFY(engine);
    QCOMPARE(engine->name, QStringLiteral("Engine"));
    QCOMPARE(engine->cycleTimeMs, 100);
    QCOMPARE(engine->signalList.at(0).comment, QStringLiteral("said \"fast\"\r\nover two lines"));
    QCOMPARE(engine->signalList.at(1).unit, QStringLiteral("\u00B0C"));
    QCOMPARE(engine->signalList.at(1).startValue, 45.0);
    QCOMPARE(db.messages.at(2).extended, true);
    QCOMPARE(db.messages.at(2).id, 100u);
    QCOMPARE(db.messages.at(2).cycleTimeMs, 20);
    // The overlap, the second message 100 and the unknown keyword, once.
    QCOMPARE(load.warnings.size(), 3);
    QVERIFY(load.warnings.filter(QRegularExpression("^car.dbc:9: .*Temp")).size() == 1);
    QVERIFY(load.warnings.filter(QRegularExpression("^car.dbc:12: .*Again")).size() == 1);
    QVERIFY(load.warnings.filter(QRegularExpression("^car.dbc:17: .*FROB_")).size() == 1);
}

QTEST_GUILESS_MAIN(TestDbc)
#include "tst_dbc.moc"
