#include "capturefile.h"

#include <QtTest>

Q_DECLARE_METATYPE(CaptureProblem)

namespace {
// A few bytes a read, as a pipe or a slow disk may give them: lines come in pieces.
class TrickleDevice : public QBuffer
{
public:
    explicit TrickleDevice(const QByteArray &text) : m_text(text)
    {
        setBuffer(&m_text);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        return QBuffer::readData(data, qMin<qint64>(maxSize, 7));
    }

private:
    QByteArray m_text;
};
} // namespace

// Captures read back for sending: what each saved line gives, and which
// lines refuse the whole file.
class TestCaptureFile : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void savedLinesReadBack();
};

void TestCaptureFile::parse_data()
{
    // The file name: its extension picks the format; "view " before it reads
    // it for a trace instead of a replay.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<CaptureProblem>("problem");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("frames"); // "time id data[ T];..." of the frames read

    const auto ok = CaptureProblem::None;
    QTest::newRow("log") << "a.log"
                         << QByteArray("(1733580000.123456) can0 7DF#02010C\n"
                                       "(1733580000.200000) can0 000#\r\n"
                                       "\n"
                                       "(1733580001.000001) can0 7FF#0102030405060708\n")
                         << ok << 0
                         << "1733580000123456 7df 02010c;1733580000200000 0 ;"
                            "1733580001000001 7ff 0102030405060708";
    QTest::newRow("csv") << "a.CSV"
                         << QByteArray("time,id,len,data\n"
                                       "1733580000.123456,7DF,3,02010C\n"
                                       "1733580000.500000,123,0,\n")
                         << ok << 0 << "1733580000123456 7df 02010c;1733580000500000 123 ";
    QTest::newRow("log, before the epoch")
        << "a.log" << QByteArray("(-1.250000) can0 001#00\n") << ok << 0 << "-750000 1 00";
    QTest::newRow("log, twelve digits of seconds")
        << "a.log" << QByteArray("(999999999999.000001) can0 001#00\n") << ok << 0
        << "999999999999000001 1 00";
    QTest::newRow("log, thirteen digits of seconds")
        << "a.log" << QByteArray("(1000000000000.000000) can0 001#00\n")
        << CaptureProblem::Unreadable << 1 << "";
    QTest::newRow("csv, seconds past what a time can hold")
        << "a.csv" << QByteArray("99999999999999999999.000000,100,1,00\n")
        << CaptureProblem::Unreadable << 1 << "";
    QTest::newRow("empty") << "a.log" << QByteArray() << ok << 0 << "";
    QTest::newRow("log, damaged line")
        << "a.log"
        << QByteArray("(1.000000) can0 100#00\n(1.1 can0 100#00\n(1.200000) can0 100#00\n")
        << CaptureProblem::Unreadable << 2 << "";
    QTest::newRow("log, identifier 800") << "a.log"
                                         << QByteArray("(1.000000) can0 100#00\n"
                                                       "(1.100000) can0 00000800#00\n")
                                         << CaptureProblem::IdTooHigh << 2 << "";
    QTest::newRow("log, nine bytes")
        << "a.log" << QByteArray("(1.000000) can0 100#000102030405060708\n")
        << CaptureProblem::TooManyBytes << 1 << "";
    QTest::newRow("log, odd digits") << "a.log" << QByteArray("(1.000000) can0 100#0\n")
                                     << CaptureProblem::Unreadable << 1 << "";
    QTest::newRow("log, remote frame") << "a.log" << QByteArray("(1.000000) can0 100#R\n")
                                       << CaptureProblem::Unreadable << 1 << "";
    QTest::newRow("log, CAN FD frame") << "a.log" << QByteArray("(1.000000) can0 100##100\n")
                                       << CaptureProblem::Unreadable << 1 << "";
    QTest::newRow("csv, identifier 800")
        << "a.csv" << QByteArray("time,id,len,data\n1.000000,800,1,00\n")
        << CaptureProblem::IdTooHigh << 2 << "";
    QTest::newRow("csv, nine bytes")
        << "a.csv" << QByteArray("time,id,len,data\n1.000000,100,9,000102030405060708\n")
        << CaptureProblem::TooManyBytes << 2 << "";
    QTest::newRow("csv, length not the data's")
        << "a.csv" << QByteArray("1.000000,100,2,00\n") << CaptureProblem::Unreadable << 1 << "";
    QTest::newRow("csv, no identifier")
        << "a.csv" << QByteArray("1.000000,,0,\n") << CaptureProblem::Unreadable << 1 << "";
    // A view loads every line it can read and names the first it cannot.
    QTest::newRow("view log, damaged lines pass")
        << "view a.log"
        << QByteArray("(1.000000) can0 100#00\n(1.1 can0 100#00\n(1.200000) can0 00001234#0102 T\n"
                      "(1.300000) can0 00012345#00\n(1.400000) can0 7DF#01 R\n")
        << CaptureProblem::Unreadable << 2 << "1000000 100 00;1200000 1234 0102 T;1400000 7df 01";
    // A line without an identifier is no frame; a view passes over it.
    QTest::newRow("view csv, long frame, sent, no identifier")
        << "view a.csv"
        << QByteArray("time,id,len,data,dir\n1.000000,100,10,00112233445566778899,Tx\n"
                      "3.000000,7DF,65," +
                      QByteArray(130, '0') + ",Rx\n2.000000,,0,,Rx\n4.000000,7DF,0,,Rx\n")
        << CaptureProblem::TooManyBytes << 3 << "1000000 100 00112233445566778899 T;4000000 7df ";
    // No line of a capture is that long: it is not held to find out.
    QTest::newRow("log, a line too long for a frame")
        << "a.log"
        << QByteArray("(1.000000) can0 100#00\n(1.100000) can0 100#" + QByteArray(9000, '0') +
                      "\n(1.200000) can0 100#00\n")
        << CaptureProblem::Unreadable << 2 << "";
    QTest::newRow("view log, a line too long passes, unended last line")
        << "view a.log"
        << QByteArray("(1.000000) can0 100#00\n" + QByteArray(9000, '(') +
                      "\n(1.200000) can0 7DF#01 R")
        << CaptureProblem::Unreadable << 2 << "1000000 100 00;1200000 7df 01";
    QTest::newRow("csv read as a log")
        << "a.log" << QByteArray("1.000000,100,1,00\n") << CaptureProblem::Unreadable << 1 << "";
}

namespace {
// "time id data[ T];..." of `frames`.
QString framesText(const QVector<CanFrame> &frames)
{
    QStringList read;
    for (const CanFrame &frame : frames) {
        QString data;
        for (uint8_t b : frame.dataVector())
            data += QString::asprintf("%02x", b);
        read << QStringLiteral("%1 %2 %3%4")
                    .arg(frame.timeUs)
                    .arg(QString::number(frame.id, 16))
                    .arg(data)
                    .arg(frame.direction == CanDirection::Sent ? " T" : "");
    }
    return read.join(QLatin1Char(';'));
}
} // namespace

void TestCaptureFile::parse()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    QFETCH(CaptureProblem, problem);
    QFETCH(int, line);
    QFETCH(QString, frames);

    CanSaveFormat format;
    QVERIFY(canSaveFormatFor(name, &format));
    const CaptureUse use = name.startsWith("view ") ? CaptureUse::View : CaptureUse::Replay;
    const CaptureFile capture = parseCaptureFile(text, format, use);
    QCOMPARE(capture.problem, problem);
    QCOMPARE(capture.line, line);
    QCOMPARE(framesText(capture.frames), frames);
    // A file is read a block at a time, and reads the same.
    TrickleDevice file(text);
    QVector<CanFrame> streamed;
    const CaptureFile fromFile =
        readCaptureFile(file, format, use, [&](const CanFrame &frame) { streamed.append(frame); });
    QCOMPARE(fromFile.problem, problem);
    QCOMPARE(fromFile.line, line);
    QCOMPARE(fromFile.skipped, capture.skipped);
    QVERIFY(!fromFile.readFailed);
    // A replay's reading hands over the frames before its problem.
    if (problem == CaptureProblem::None || use == CaptureUse::View)
        QCOMPARE(framesText(streamed), frames);
}

// What the window's save and monitor write reads back as the same frames.
void TestCaptureFile::savedLinesReadBack()
{
    const uint8_t data[8] = {0xde, 0xad, 0xbe, 0xef, 0, 1, 2, 3};
    for (CanSaveFormat format : {CanSaveFormat::CandumpLog, CanSaveFormat::Csv}) {
        QByteArray text = canSaveHeader(format);
        for (int i = 0; i <= 8; ++i)
            appendCanSaveLine(text, format, 1733580000000000 + i * 1001, 0x7F8 + (i % 8), data, i,
                              i % 3 ? CanDirection::Received : CanDirection::Sent);
        const CaptureFile capture = parseCaptureFile(text, format);
        QCOMPARE(capture.problem, CaptureProblem::None);
        QCOMPARE(capture.frames.size(), 9);
        for (int i = 0; i <= 8; ++i) {
            QCOMPARE(capture.frames.at(i).timeUs, 1733580000000000 + i * 1001);
            QCOMPARE(capture.frames.at(i).id, quint16(0x7F8 + (i % 8)));
            QCOMPARE(capture.frames.at(i).dataVector(), QVector<uint8_t>(data, data + i));
            QCOMPARE(capture.frames.at(i).direction,
                     i % 3 ? CanDirection::Received : CanDirection::Sent);
        }
    }
}

QTEST_GUILESS_MAIN(TestCaptureFile)
#include "tst_capturefile.moc"
