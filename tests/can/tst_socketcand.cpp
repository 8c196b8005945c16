#include "socketcand.h"

#include <QtTest>

// The socketcand text side of the server: what a client's byte stream asks
// in each state, what reaches the box, and the frames and answers it reads.
class TestSocketcand : public QObject
{
    Q_OBJECT
private slots:
    void conversation_data();
    void conversation();
    void streamSplitsIntoMessages();
    void frameText_data();
    void frameText();
    void beacon();
};

void TestSocketcand::conversation_data()
{
    QTest::addColumn<QByteArray>("stream");  // all a client wrote
    QTest::addColumn<QByteArray>("answers"); // one line each; "E" for any error
    QTest::addColumn<QByteArray>("sent");    // frames for the box, "ID#DATA" each
    QTest::addColumn<bool>("raw");           // frames flow to it afterwards

    const QByteArray open = "< open can0 >";
    // python-can's opening, and its sends: length and bytes in hex, unpadded.
    QTest::newRow("python-can opens")
        << open + "< rawmode >" << QByteArray("< ok >\n< ok >") << QByteArray() << true;
    QTest::newRow("python-can sends")
        << open + "< rawmode >< send 7DF 3 2 1 c >< send 123 0  >< send 7FF 8 0 1 2 3 4 5 6 ff >"
        << QByteArray("< ok >\n< ok >") << QByteArray("7DF#02010C 123# 7FF#00010203040506FF")
        << true;
    QTest::newRow("send before raw mode")
        << open + "< send 1 1 AA >" << QByteArray("< ok >") << QByteArray("001#AA") << false;
    QTest::newRow("another bus") << QByteArray("< open can1 >< rawmode >< send 1 0 >")
                                 << QByteArray("E\nE\nE") << QByteArray() << false;
    QTest::newRow("opened twice") << open + open << QByteArray("< ok >\nE") << QByteArray()
                                  << false;
    QTest::newRow("echo without a bus")
        << QByteArray("< echo >") << QByteArray("< echo >") << QByteArray() << false;
    // Frames the box cannot carry are refused whole; the session goes on.
    QTest::newRow("refused frames")
        << open + "< send 800 0 >< send 00000123 0 >< send 123 9 1 2 3 4 5 6 7 8 9 >"
                  "< sendrtr 123 0 >< send 123 2 1 >< send 123 1 1 2 >< send 123 1 100 >"
                  "< send x12 0 >< send 123 >< send 1 1 1 >"
        << QByteArray("< ok >\nE\nE\nE\nE\nE\nE\nE\nE\nE") << QByteArray("001#01") << false;
    QTest::newRow("unknown and empty")
        << open + "< frob >< >< bcmmode >< echo >" << QByteArray("< ok >\nE\nE\nE\n< echo >")
        << QByteArray() << false;
    QTest::newRow("bytes between messages")
        << "x" + open + "\r\n junk< echo >" << QByteArray("< ok >\n< echo >") << QByteArray()
        << false;
    QTest::newRow("overlong, then on")
        << open + "< send 123 1 " + QByteArray(200, '0') + "1 >< echo >"
        << QByteArray("< ok >\nE\n< echo >") << QByteArray() << false;
}

void TestSocketcand::conversation()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, answers);
    QFETCH(QByteArray, sent);
    QFETCH(bool, raw);
    SocketcandSession session("can0");
    QByteArrayList said;
    QByteArrayList frames;
    // Byte by byte: however the stream is cut, the same messages come out.
    QByteArray pending;
    for (const char c : stream) {
        pending.append(c);
        for (const QByteArray &message : takeSocketcandMessages(pending)) {
            const SocketcandSession::Step step = session.handle(message);
            said << (step.answer.startsWith("< error ") && step.answer.endsWith(" >")
                         ? QByteArray("E")
                         : step.answer);
            if (step.send) {
                QByteArray bytes;
                for (const uint8_t b : step.data)
                    bytes.append(char(b));
                frames << QByteArray::number(step.id, 16).toUpper().rightJustified(3, '0') + '#' +
                              bytes.toHex().toUpper();
            }
        }
    }
    said.removeAll(QByteArray());
    QCOMPARE(said.join('\n'), answers);
    QCOMPARE(frames.join(' '), sent);
    QCOMPARE(session.state() == SocketcandSession::Raw, raw);
}

void TestSocketcand::streamSplitsIntoMessages()
{
    QByteArray pending("< echo >< open");
    QCOMPARE(takeSocketcandMessages(pending), (QVector<QByteArray>{"< echo >"}));
    QCOMPARE(pending, QByteArray("< open"));
    // A client that never closes its message costs bounded memory.
    pending += QByteArray(100000, 'x');
    QCOMPARE(takeSocketcandMessages(pending).size(), 1);
    QVERIFY(pending.size() <= SOCKETCAND_MAX_MESSAGE);
    pending += "x >< echo >";
    QCOMPARE(takeSocketcandMessages(pending), (QVector<QByteArray>{"< echo >"}));
}

void TestSocketcand::frameText_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("data"); // hex
    QTest::addColumn<qint64>("timeUs");
    QTest::addColumn<QByteArray>("text"); // empty: refused
    QTest::newRow("eight bytes") << 0x7DF << QByteArray("02010c00000000ff")
                                 << qint64(1733580000123456)
                                 << QByteArray("< frame 7DF 1733580000.123456 02010C00000000FF >");
    // python-can splits at the spaces: the empty data field must stay.
    QTest::newRow("no data") << 0x123 << QByteArray() << qint64(1000000)
                             << QByteArray("< frame 123 1.000000  >");
    QTest::newRow("small id, microseconds padded")
        << 0x5 << QByteArray("aa") << qint64(2000042) << QByteArray("< frame 005 2.000042 AA >");
    QTest::newRow("id above 7FF") << 0x800 << QByteArray("01") << qint64(0)
                                  << QByteArray("< frame 00000800 0.000000 01 >");
    QTest::newRow("nine bytes") << 0x123 << QByteArray("010203040506070809") << qint64(0)
                                << QByteArray();
}

void TestSocketcand::frameText()
{
    QFETCH(int, id);
    QFETCH(QByteArray, data);
    QFETCH(qint64, timeUs);
    QFETCH(QByteArray, text);
    const QByteArray bytes = QByteArray::fromHex(data);
    QByteArray out("x");
    const bool taken = appendSocketcandFrame(
        out, id, reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size(), timeUs);
    QCOMPARE(taken, !text.isEmpty());
    QCOMPARE(out, "x" + text);
}

void TestSocketcand::beacon()
{
    QCOMPARE(socketcandBeacon(QStringLiteral("bench<1>"), QStringLiteral("can://10.0.0.2:29536"),
                              "can0"),
             QByteArray("<CANBeacon name=\"bench&lt;1&gt;\" type=\"adapter\" "
                        "description=\"VOTK-WIFI BOX\"><URL>can://10.0.0.2:29536</URL>"
                        "<Bus name=\"can0\"/></CANBeacon>"));
}

QTEST_GUILESS_MAIN(TestSocketcand)
#include "tst_socketcand.moc"
