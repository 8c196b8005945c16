#include "canfilter.h"
#include "cantext.h"
#include "testsupport.h"
#include "transmitlist.h"
#include "wifitext.h"

#include <QDateTime>
#include <QtTest>

// The widget-free CAN text logic where the window cannot reach it: the
// rewrite decision in every flag state, its debug lines, the row clock, and
// which typed ID and data texts may be sent (some cannot be typed into the
// field, which rewrites them). The received texts are checked through the window.
Q_DECLARE_METATYPE(WifiTextProblem)

class TestCanText : public QObject
{
    Q_OBJECT
private slots:
    void formatHexPairs_data();
    void formatHexPairs();
    void rewriteDecision_data();
    void rewriteDecision();
    void rewriteLogsTokensAndPaddedTokens();
    void idTextChecked_data();
    void idTextChecked();
    void dataTextChecked_data();
    void dataTextChecked();
    void wifiTextChecked_data();
    void wifiTextChecked();
    void clockMatchesLocalTimeFormatting_data();
    void clockMatchesLocalTimeFormatting();
    void filterAndSearchOverFrames_data();
    void filterAndSearchOverFrames();
    void transmitListReadBack_data();
    void transmitListReadBack();
};

void TestCanText::formatHexPairs_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("pairs");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("one char") << "1"
                              << "";
    QTest::newRow("even") << "1234"
                          << "12 34 ";
    QTest::newRow("odd drops last") << "123"
                                    << "12 ";
    QTest::newRow("case kept") << "aBcD"
                               << "aB cD ";
}

void TestCanText::formatHexPairs()
{
    QFETCH(QString, token);
    QFETCH(QString, pairs);
    QCOMPARE(format_hex_pairs(token), pairs);
}

void TestCanText::rewriteDecision_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor"); // -1: at the end
    QTest::addColumn<bool>("formatting");
    QTest::addColumn<bool>("rewrite");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("marker"); // the debug line that ends the decision

    const QString eight = QStringLiteral("01 02 03 04 05 06 07 08");
    QTest::newRow("empty") << "" << -1 << false << false << ""
                           << "";
    QTest::newRow("one space") << " " << -1 << false << false << ""
                               << "";
    QTest::newRow("one char, flag set") << "1" << -1 << true << false << ""
                                        << "";
    QTest::newRow("no trailing space") << "12" << -1 << false << false << ""
                                       << "return 2";
    QTest::newRow("no trailing space, flag set") << "12" << -1 << true << false << ""
                                                 << "return 2";
    QTest::newRow("22 chars without space")
        << "01 02 03 04 05 06 07 0" << -1 << false << false << ""
        << "return 2";
    QTest::newRow("cursor inside") << "12 " << 1 << false << false << ""
                                   << "return 3";
    QTest::newRow("own rewrite") << "01 " << -1 << true << false << ""
                                 << "";
    QTest::newRow("pad single") << "1 " << -1 << false << true << "01 "
                                << "can handle";
    QTest::newRow("pad inner and last") << "123 " << -1 << false << true << "12 03 "
                                        << "can handle";
    QTest::newRow("letters keep case") << "aBc " << -1 << false << true << "aB 0c "
                                       << "can handle";
    QTest::newRow("same text") << "12 34 " << -1 << false << true << "12 34 "
                               << "can handle";
    QTest::newRow("double space") << "11  " << -1 << false << true << "11 "
                                  << "can handle";
    QTest::newRow("two spaces only") << "  " << -1 << false << true << ""
                                     << "can handle";
    QTest::newRow("inner odd padded") << "1 2 " << -1 << false << true << "01 02 "
                                      << "can handle";
    QTest::newRow("23rd char typed") << eight << -1 << false << true << eight << "can handle";
    QTest::newRow("ninth digit dropped")
        << eight + "9" << -1 << false << true << eight << "can handle";
    QTest::newRow("ninth group refused")
        << eight + " " << -1 << false << true << eight << "can handle";
    QTest::newRow("long, cursor inside")
        << eight + "9" << 3 << false << true << eight << "can handle";
    QTest::newRow("long, flag set") << eight + "9" << -1 << true << false << ""
                                    << "";
    QTest::newRow("24-char paste")
        << "0102030405060708090a0b0c" << -1 << false << true << eight << "can handle";
}

void TestCanText::rewriteDecision()
{
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(bool, formatting);
    QFETCH(bool, rewrite);
    QFETCH(QString, result);
    QFETCH(QString, marker);

    LogCapture log;
    const CanDataRewrite r = canDataRewrite(text, cursor < 0 ? text.size() : cursor, formatting);
    const QStringList debugLines = log.lines();
    QCOMPARE(r.rewrite, rewrite);
    if (rewrite)
        QCOMPARE(r.text, result);
    QVERIFY(!debugLines.isEmpty());
    QCOMPARE(debugLines.first(),
             QStringLiteral("#### \"%1\" ##### %2").arg(text, formatting ? "true" : "false"));
    if (marker.isEmpty())
        QCOMPARE(debugLines.size(), 1);
    else
        QCOMPARE(debugLines.value(1), marker);
    QVERIFY(!debugLines.contains("return 2") || !debugLines.contains("return 3"));
}

void TestCanText::rewriteLogsTokensAndPaddedTokens()
{
    LogCapture log;
    const CanDataRewrite r = canDataRewrite(QStringLiteral(" abc 7 "), 7, false);
    const QStringList expected = {"#### \" abc 7 \" ##### false",
                                  "can handle",
                                  "\"abc\"",
                                  "\"ab0c\"",
                                  "\"7\"",
                                  "\"07\"",
                                  "\"ab 0c 07 \""};
    QCOMPARE(log.lines(), expected);
    QCOMPARE(r.text, QStringLiteral("ab 0c 07 "));
}

void TestCanText::idTextChecked_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("id"); // -1: refused
    QTest::newRow("7df") << "7df" << 0x7DF;
    QTest::newRow("highest standard id") << "7FF" << 0x7FF;
    QTest::newRow("one digit") << "0" << 0;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("surrounding spaces") << " 12 " << 0x12;
    QTest::newRow("above 7ff") << "800" << -1;
    QTest::newRow("fff") << "fff" << -1;
    QTest::newRow("inner space") << "1 2" << -1;
    QTest::newRow("lone space") << " " << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("four digits") << "0001" << -1;
    QTest::newRow("0x prefix") << "0x7" << -1;
    QTest::newRow("sign") << "+7" << -1;
    QTest::newRow("not hex") << "7g" << -1;
}

void TestCanText::idTextChecked()
{
    QFETCH(QString, text);
    QFETCH(int, id);
    const std::optional<quint16> parsed = parseCanId(text);
    QCOMPARE(parsed.has_value(), id >= 0);
    if (id >= 0)
        QCOMPARE(int(*parsed), id);
}

void TestCanText::dataTextChecked_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("bytes");
    const auto ok = [](const char *name, const char *text, const char *hex) {
        QTest::newRow(name) << text << true << QByteArray::fromHex(hex);
    };
    const auto refused = [](const char *name, const char *text) {
        QTest::newRow(name) << text << false << QByteArray();
    };
    ok("empty", "", "");
    ok("one digit", "1", "01");
    ok("two pieces", "01 02", "0102");
    ok("short pieces", "1 2", "0102");
    ok("letters either case", "aB c", "ab0c");
    ok("trailing space", "12 34 ", "1234");
    ok("eight bytes", "01 02 03 04 05 06 07 08", "0102030405060708");
    ok("eight bytes, trailing space", "01 02 03 04 05 06 07 08 ", "0102030405060708");
    ok("pairs without spaces", "1122334455667788", "1122334455667788");
    ok("two pairs without spaces", "0102", "0102");
    ok("pairs, trailing space", "a1b2 ", "a1b2");
    refused("lone space", " ");
    refused("two spaces between", "1  2");
    refused("two spaces before a last digit", "01 02 03 04 05 06 07  8");
    refused("two trailing spaces", "12  ");
    refused("leading space", " 12");
    refused("nine bytes", "01 02 03 04 05 06 07 08 09");
    refused("three-digit piece", "123 4");
    refused("odd run", "123");
    refused("odd run of 17", "11223344556677889");
    refused("run of 18", "112233445566778899");
    refused("20-char paste", "0102030405060708090a");
    refused("run among pieces", "1122 33");
    refused("not hex", "1g");
    refused("tab", "1\t2");
}

void TestCanText::dataTextChecked()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, bytes);
    const std::optional<QVector<uint8_t>> parsed = parseCanData(text);
    QCOMPARE(parsed.has_value(), accepted);
    if (accepted)
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(parsed->constData()), parsed->size()),
                 bytes);
}

void TestCanText::wifiTextChecked_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<WifiTextProblem>("problem");
    const QString n30(30, QLatin1Char('n'));
    QTest::newRow("60 characters fill one report")
        << n30 << QString(30, 'p') << WifiTextProblem::None;
    QTest::newRow("61 characters do not") << n30 << QString(31, 'p') << WifiTextProblem::TooLong;
    QTest::newRow("32 and 29") << QString(32, 'n') << QString(29, 'p') << WifiTextProblem::TooLong;
    // WPA2: a name of 1 to 32 bytes, a passphrase of 8 to 63 printable
    // ASCII characters, or none for an open network (asked first).
    QTest::newRow("password of 7") << "n" << QString(7, 'p') << WifiTextProblem::PasswordTooShort;
    QTest::newRow("password of 8") << "n" << QString(8, 'p') << WifiTextProblem::None;
    QTest::newRow("password of 63, longer than a report")
        << "n" << QString(63, 'p') << WifiTextProblem::TooLong;
    QTest::newRow("password of 64") << "n" << QString(64, 'p') << WifiTextProblem::PasswordTooLong;
    QTest::newRow("no password") << "n" << QString() << WifiTextProblem::OpenNetwork;
    QTest::newRow("name of 32") << QString(32, 'n') << QString() << WifiTextProblem::OpenNetwork;
    QTest::newRow("name of 33") << QString(33, 'n') << "password" << WifiTextProblem::NameTooLong;
    QTest::newRow("Latin-1 letter in password")
        << "n" << QString::fromUtf8("passwört") << WifiTextProblem::PasswordNotAscii;
    QTest::newRow("newline in name") << "home\nnet"
                                     << "secret" << WifiTextProblem::NameControl;
    QTest::newRow("DEL in name") << "home\x7f"
                                 << "secret" << WifiTextProblem::NameControl;
    QTest::newRow("C1 in password")
        << "home" << QString(QChar(0x85)) << WifiTextProblem::PasswordControl;
    QTest::newRow("CR in password") << "home"
                                    << "secret\r" << WifiTextProblem::PasswordControl;
    QTest::newRow("name's fault first") << "a\n"
                                        << "b,c" << WifiTextProblem::NameControl;
}

void TestCanText::wifiTextChecked()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(WifiTextProblem, problem);
    QCOMPARE(checkWifiText(name, password), problem);
}

void TestCanText::clockMatchesLocalTimeFormatting_data()
{
    QTest::addColumn<QList<qint64>>("times");
    const qint64 base = QDateTime(QDate(2024, 3, 5), QTime(9, 5, 3)).toMSecsSinceEpoch();
    QTest::newRow("within a second") << QList<qint64>{base + 7, base + 8, base + 999};
    QTest::newRow("across seconds") << QList<qint64>{base + 999, base + 1000, base + 1001};
    QTest::newRow("across midnight")
        << QList<qint64>{QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59, 998)).toMSecsSinceEpoch(),
                         QDateTime(QDate(2024, 3, 6), QTime(0, 0)).toMSecsSinceEpoch()};
    QTest::newRow("backwards") << QList<qint64>{base + 5000, base + 12, base + 4000};
    QTest::newRow("before the epoch") << QList<qint64>{-1, -999, -1000, -1001, 0};
}

void TestCanText::clockMatchesLocalTimeFormatting()
{
    QFETCH(QList<qint64>, times);
    CanRxClock clock;
    for (qint64 t : times) {
        const QString expected = QDateTime::fromMSecsSinceEpoch(t).toString("hh:mm:ss.zzz");
        QCOMPARE(clock.text(t), expected);
    }
    QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$").match(clock.now()).hasMatch());
}

void TestCanText::filterAndSearchOverFrames_data()
{
    QTest::addColumn<QString>("filter"); // empty: every frame
    QTest::addColumn<bool>("hide");
    QTest::addColumn<QString>("pattern"); // empty: every frame
    // The frames of the table below that pass both, or "refused".
    QTest::addColumn<QString>("found");
    QTest::newRow("one id") << "7DF" << false << ""
                            << "0";
    QTest::newRow("range and id") << "100-1FF, 7e8" << false << ""
                                  << "1 2 3";
    QTest::newRow("range with spaces") << "100 - 1ff" << false << ""
                                       << "2 3";
    QTest::newRow("extended id") << "FFFF" << false << ""
                                 << "6";
    QTest::newRow("hide two") << "7DF 7E8" << true << ""
                              << "2 3 4 5 6";
    QTest::newRow("hide range") << "0-7FF" << true << ""
                                << "5 6";
    QTest::newRow("reversed range") << "1FF-100" << false << ""
                                    << "refused";
    QTest::newRow("not hex") << "7DG" << false << ""
                             << "refused";
    QTest::newRow("beyond FFFF") << "10000" << false << ""
                                 << "refused";
    QTest::newRow("no ids") << " , " << false << ""
                            << "refused";
    QTest::newRow("bytes") << "" << false << "41 0C"
                           << "1";
    QTest::newRow("one byte anywhere") << "" << false << "0c"
                                       << "0 1 4 6";
    QTest::newRow("wildcard first") << "" << false << "?? 0C"
                                    << "0 1";
    QTest::newRow("wildcard between") << "" << false << "01 ?? 03"
                                      << "3";
    QTest::newRow("longer than the data") << "" << false << "?? ?? ?? ?? ?? ?? ?? ?? ??"
                                          << "";
    QTest::newRow("no match") << "" << false << "FF"
                              << "";
    QTest::newRow("filter and pattern") << "7E8" << true << "0C"
                                        << "0 4 6";
    QTest::newRow("single digit") << "" << false << "0 C"
                                  << "refused";
    QTest::newRow("three digits") << "" << false << "0C0"
                                  << "refused";
    QTest::newRow("single ?") << "" << false << "?"
                              << "refused";
}

void TestCanText::filterAndSearchOverFrames()
{
    QFETCH(QString, filter);
    QFETCH(bool, hide);
    QFETCH(QString, pattern);
    QFETCH(QString, found);
    struct Frame
    {
        int id;
        QVector<uint8_t> data;
    };
    const QList<Frame> frames = {{0x7DF, {0x02, 0x01, 0x0C}},
                                 {0x7E8, {0x04, 0x41, 0x0C, 0x1A, 0xF8}},
                                 {0x100, {}},
                                 {0x1FF, {0x01, 0x02, 0x03}},
                                 {0x200, {0x0C}},
                                 {-1, {}},
                                 {0xFFFF, {0x0C, 0x0D}}};
    std::optional<CanIdFilter> ids;
    std::optional<CanDataPattern> data;
    if (!filter.isEmpty())
        ids = CanIdFilter::parse(filter,
                                 hide ? CanIdFilter::Mode::Hide : CanIdFilter::Mode::ShowOnly);
    if (!pattern.isEmpty())
        data = CanDataPattern::parse(pattern);
    if ((!filter.isEmpty() && !ids) || (!pattern.isEmpty() && !data)) {
        QCOMPARE(QStringLiteral("refused"), found);
        return;
    }
    QStringList passed;
    for (int i = 0; i < frames.size(); ++i) {
        const Frame &f = frames.at(i);
        if ((!ids || ids->accepts(f.id)) &&
            (!data || data->matches(f.data.constData(), f.data.size())))
            passed << QString::number(i);
    }
    QCOMPARE(passed.join(QLatin1Char(' ')), found);
}

void TestCanText::transmitListReadBack_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("rows");    // rows read
    QTest::addColumn<int>("badLine"); // 0: read whole
    const QByteArray head("# votkbox transmit list 1\n");
    const QByteArray good("on\t7DF\t02 01 0C\t100\t0\t2\tEngine, speed\n");
    QTest::newRow("rows, comments and CRLF")
        << head + good + "# a note\n\r\noff\t\t\t60000\t1000000000\t-\t\r\n"
        << 2 << 0;
    QTest::newRow("no rows") << head << 0 << 0;
    QTest::newRow("not a list") << good << 0 << 1;
    QTest::newRow("empty file") << QByteArray() << 0 << 1;
    // A bad line anywhere gives nothing, not the rows before it.
    QTest::newRow("six fields") << head + good + "on\t7DF\t01\t100\t0\t-\n" << 0 << 3;
    QTest::newRow("period 0") << head + good + "on\t7DF\t01\t0\t0\t-\tx\n" << 0 << 3;
    QTest::newRow("counter byte 8") << head + good + "on\t7DF\t01\t10\t0\t8\tx\n" << 0 << 3;
    QTest::newRow("data not hex") << head + good + "on\t7DF\t0g\t10\t0\t-\tx\n" << 0 << 3;
    QTest::newRow("yes for on") << head + "yes\t7DF\t01\t10\t0\t-\tx\n" << 0 << 2;
}

// The list file read back: a good file row for row as it was written, a bad
// one refused whole at its first bad line.
void TestCanText::transmitListReadBack()
{
    QFETCH(QByteArray, file);
    QFETCH(int, rows);
    QFETCH(int, badLine);
    const TransmitListRead read = readTransmitList(file);
    QCOMPARE(read.line, badLine);
    QCOMPARE(read.problem != TransmitListRead::None, badLine != 0);
    QCOMPARE(read.rows.size(), rows);
    if (badLine == 0)
        QCOMPARE(readTransmitList(transmitListText(read.rows)).rows, read.rows);
}

QTEST_GUILESS_MAIN(TestCanText)
#include "tst_cantext.moc"
