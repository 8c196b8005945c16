#include "capturefile.h"
#include "capturerecorder.h"
#include "capturewriter.h"

#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(CaptureProblem)
Q_DECLARE_METATYPE(CanSaveFormat)

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

QByteArray le(quint64 value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char(value >> (8 * i)));
    return out;
}

// A BLF object of `type`: its header (version 1, times in nanoseconds), then `body`.
QByteArray blfObject(quint32 type, quint64 timeNs, const QByteArray &body)
{
    return "LOBJ" + le(32, 2) + le(1, 2) + le(32 + body.size(), 4) + le(type, 4) + le(2, 4) +
           le(0, 4) + le(timeNs, 8) + body;
}

// A CAN_MESSAGE's body: channel 1, sent or not, the data.
QByteArray blfCan(quint32 id, const QByteArray &data, bool sent)
{
    return le(1, 2) + char(sent ? 1 : 0) + char(data.size()) + le(id, 4) +
           data.leftJustified(8, '\0');
}

// A LOG_CONTAINER of `objects`, packed with zlib or stored.
QByteArray blfContainer(const QByteArray &objects, bool packed)
{
    // qCompress puts the unpacked size before the zlib stream.
    const QByteArray data = packed ? qCompress(objects).mid(4) : objects;
    const int size = 32 + data.size();
    return "LOBJ" + le(16, 2) + le(1, 2) + le(size, 4) + le(10, 4) + le(packed ? 2 : 0, 2) +
           le(0, 6) + le(objects.size(), 4) + le(0, 4) + data + QByteArray(size % 4, '\0');
}

// A BLF file of `containers`, started at the epoch's (invalid) zero time.
QByteArray blfFile(const QByteArray &containers)
{
    return "LOGG" + le(144, 4) + QByteArray(136, '\0') + containers;
}

// Frame `n` of a flood: its number in the data, every third one sent, 100 us apart.
CanFrame floodFrame(int n)
{
    CanFrame frame;
    frame.timeUs = 1733580000000000 + qint64(n) * 100;
    frame.id = quint16(n % 0x800);
    const uint8_t data[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
    frame.setData(data, 4);
    frame.direction = n % 3 ? CanDirection::Received : CanDirection::Sent;
    return frame;
}

// Hands `total` flood frames to `recorder` in batches, as the receive thread does.
void recordFlood(CaptureRecorder &recorder, int total)
{
    for (int n = 0; n < total;) {
        QVector<CanFrame> batch;
        for (int i = 0; i < 97 && n < total; ++i)
            batch.append(floodFrame(n++));
        recorder.add(batch);
    }
}

// Reads `path` and checks that its frames are the flood's from `*next` on;
// moves `*next` past them.
void checkFloodFile(const QString &path, CanSaveFormat format, int *next)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    int misplaced = -1;
    readCaptureFile(file, format, CaptureUse::View, [&](const CanFrame &frame) {
        const CanFrame want = floodFrame(*next);
        if (misplaced < 0 && (frame.id != want.id || frame.dataVector() != want.dataVector() ||
                              frame.direction != want.direction))
            misplaced = *next;
        ++*next;
    });
    QVERIFY2(
        misplaced < 0,
        qPrintable(QStringLiteral("%1: frame %2 is not in its place").arg(path).arg(misplaced)));
}
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
    void recordingKeepsEveryFrame_data();
    void recordingKeepsEveryFrame();
    void recordingStopsAtWriteError();
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
    // Vector ASC: header lines, events and other channels' frames; times from
    // the start, or from the line before with "timestamps relative".
    QTest::newRow("view asc, events, channels, extended, then base dec with relative times")
        << "view a.asc"
        << QByteArray("base hex  timestamps absolute\ninternal events logged\n"
                      "// version 9.0.0\nBegin Triggerblock\n   0.000000 Start of measurement\n"
                      "   1.000100 1  7DF             Rx   d 3 02 01 0C  Length = 0 BitCount = 0\n"
                      "   1.000200 2  123x            Tx   d 0\n"
                      "   1.500000 1  Statistic: D 0 R 0 XD 0 XR 0 E 0 O 0 B 0.00%\n"
                      "base dec  timestamps relative\n"
                      "   0.000001 1  2047            Rx   d 2 255 16\n"
                      "End TriggerBlock\n")
        << ok << 0 << "1000100 7df 02010c;1000200 123x  T;1500001 7ff ff10";
    // The box sends standard frames: an extended one, whatever its number,
    // is not replayed as the standard frame of that number.
    QTest::newRow("asc, extended frame")
        << "a.asc" << QByteArray("   1.0 1  7DF Rx d 1 00\n   1.1 1  123x Rx d 1 00\n")
        << CaptureProblem::ExtendedId << 2 << "";
    QTest::newRow("log, extended frame") << "a.log" << QByteArray("(1.000000) can0 00000123#00\n")
                                         << CaptureProblem::ExtendedId << 1 << "";
    QTest::newRow("view log, extended and standard frames of one number")
        << "view a.log" << QByteArray("(1.000000) can0 00000123#00\n(2.000000) can0 123#00\n") << ok
        << 0 << "1000000 123x 00;2000000 123 00";
    QTest::newRow("view asc, error, remote and CAN FD frames and a cut line pass")
        << "view a.asc"
        << QByteArray("   0.100000 1  100             Rx   d 1 AA\n"
                      "   0.200000 1  ErrorFrame\n"
                      "   0.300000 1  100             Rx   r\n"
                      "   0.400000 CANFD   1 Rx        100  1 0 8  8 00 01 02 03 04 05 06 07\n"
                      "   0.500000 1  100             Rx   d 2 AA\n"
                      "   0.600000 1  7DF             Tx   d 1 BB\n")
        << CaptureProblem::ErrorFrame << 2 << "100000 100 aa;600000 7df bb T";
    QTest::newRow("asc, remote frame") << "a.asc" << QByteArray("   1.0 1  100 Rx r 2\n")
                                       << CaptureProblem::RemoteFrame << 1 << "";
    // PEAK TRC: each version's columns; lines without a frame pass.
    QTest::newRow("trc 1.1")
        << "a.trc"
        << QByteArray(";$FILEVERSION=1.1\n;   Message Number\n"
                      "     1)      1841.0  Rx         0001  8  00 01 02 03 04 05 06 07\r\n"
                      "     2)      1842.3  Tx         07DF  0\r\n"
                      "     3)      1843.0  Warng  FFFFFFFF  4  00 00 00 08  BUSHEAVY\r\n")
        << ok << 0 << "1841000 1 0001020304050607;1842300 7df  T";
    QTest::newRow("trc 2.0") << "a.trc"
                             << QByteArray(
                                    ";$FILEVERSION=2.0\n"
                                    "      1      1059.900 DT     0300 Rx 7  00 00 00 00 04 00 00\n"
                                    "      2      1060.000 ST     Rx 00 00 00 08\n"
                                    "      3      1061.123 DT     07FF Tx 1  AB\n")
                             << ok << 0 << "1059900 300 00000000040000;1061123 7ff ab T";
    QTest::newRow("view trc 1.0 and 2.0, ten bytes on a classic line")
        << "view a.trc"
        << QByteArray(") 8 0 10 8 0 0 0 0 0 0 0 0 0 0\n"
                      ";$FILEVERSION=2.0\n"
                      "      1      1.000 DT     0300 Rx 10  00 00 00 00 04 00 00 00 00 00\n"
                      "      2      2.000 DT     0300 Rx 1  01\n")
        << CaptureProblem::Unreadable << 1 << "2000 300 01";
    QTest::newRow("view trc 2.1, its columns named, a remote frame")
        << "view a.trc"
        << QByteArray(";$FILEVERSION=2.1\n;$COLUMNS=N,O,T,B,I,d,R,L,D\n"
                      "      1         0.001 DT  1     07DF Rx -  3    02 01 0C\n"
                      "      2         0.002 RR  1     0100 Rx -  2\n")
        << CaptureProblem::RemoteFrame << 4 << "1 7df 02010c";
    // A standard identifier has four digits; python-can writes seven for an
    // extended one, PEAK eight.
    QTest::newRow("view trc 2.1, extended identifiers")
        << "view a.trc"
        << QByteArray(";$FILEVERSION=2.1\n;$COLUMNS=N,O,T,B,I,d,R,L,D\n"
                      "      0         0.000 DT  1  0000123 Rx -  1    01\n"
                      "      1       100.000 DT  1     0123 Rx -  1    02\n"
                      "      2       200.000 DT  1 00000124 Tx -  0\n")
        << ok << 0 << "0 123x 01;100000 123 02;200000 124x  T";
    // python-can's CSV: base64 data, no direction; told by its header.
    QTest::newRow("python-can csv")
        << "a.csv"
        << QByteArray("timestamp,arbitration_id,extended,remote,error,dlc,data\n"
                      "1733580000.123456,0x7df,0,0,0,3,AgEM\n1e-06,0x0,0,0,0,0,\n")
        << ok << 0 << "1733580000123456 7df 02010c;1 0 ";
    // BLF: objects of other types pass; an object may go on in the next
    // container; a problem is named by its container's byte offset.
    const QByteArray secondMessage = blfObject(86, 2000000, blfCan(0x123, {}, true));
    QTest::newRow("view blf, other objects pass, an object split over containers")
        << "view a.blf"
        << blfFile(blfContainer(blfObject(1, 1000, blfCan(0x7DF, "\x02\x01\x0c", false)) +
                                    blfObject(65, 0, QByteArray(12, 'x')) +
                                    blfObject(73, 0, QByteArray(32, '\0')) + secondMessage.left(20),
                                true) +
                   blfContainer(secondMessage.mid(20), false))
        << CaptureProblem::ErrorFrame << 144 << "1 7df 02010c;2000 123  T";
    QTest::newRow("blf, damaged container")
        << "a.blf"
        << blfFile(blfContainer(blfObject(1, 1000, blfCan(0x7DF, "\x02", false)), true)
                       .replace("x\x9c", "x\x00"))
        << CaptureProblem::Unreadable << 144 << "";
    QTest::newRow("csv read as a log")
        << "a.log" << QByteArray("1.000000,100,1,00\n") << CaptureProblem::Unreadable << 1 << "";
}

namespace {
// "time id data[ T];..." of `frames`; a marked extended frame's id ends in x.
QString framesText(const QVector<CanFrame> &frames)
{
    QStringList read;
    for (const CanFrame &frame : frames) {
        QString data;
        for (uint8_t b : frame.dataVector())
            data += QString::asprintf("%02x", b);
        read << QStringLiteral("%1 %2 %3%4")
                    .arg(frame.timeUs)
                    .arg(QString::number(frame.id, 16) + (frame.extended ? "x" : ""))
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

// What the window's save, monitor and convert write reads back as the same
// frames, in every format.
void TestCaptureFile::savedLinesReadBack()
{
    const uint8_t data[8] = {0xde, 0xad, 0xbe, 0xef, 0, 1, 2, 3};
    for (CanSaveFormat format :
         {CanSaveFormat::CandumpLog, CanSaveFormat::Csv, CanSaveFormat::Asc, CanSaveFormat::Trc,
          CanSaveFormat::Blf, CanSaveFormat::PythonCsv}) {
        QByteArray text;
        QBuffer file(&text);
        file.open(QIODevice::WriteOnly);
        CaptureWriter writer(file, format);
        for (int i = 0; i <= 8; ++i) {
            CanFrame frame;
            frame.timeUs = 1733580000000000 + i * 1001;
            frame.id = quint16(0x7F8 + (i % 8));
            frame.setData(data, i);
            frame.direction = i % 3 ? CanDirection::Received : CanDirection::Sent;
            // An extended frame stays one, though its number fits 11 bits.
            frame.extended = i == 4;
            QVERIFY(writer.write(frame));
        }
        QVERIFY(writer.close());
        const CaptureFile capture = parseCaptureFile(text, format, CaptureUse::View);
        QCOMPARE(capture.problem, CaptureProblem::None);
        QCOMPARE(capture.frames.size(), 9);
        for (int i = 0; i <= 8; ++i) {
            QCOMPARE(capture.frames.at(i).timeUs, 1733580000000000 + i * 1001);
            QCOMPARE(capture.frames.at(i).id, quint16(0x7F8 + (i % 8)));
            QCOMPARE(capture.frames.at(i).extended, i == 4);
            QCOMPARE(capture.frames.at(i).dataVector(), QVector<uint8_t>(data, data + i));
            // python-can's CSV has no direction.
            if (format != CanSaveFormat::PythonCsv)
                QCOMPARE(capture.frames.at(i).direction,
                         i % 3 ? CanDirection::Received : CanDirection::Sent);
        }
    }
}

void TestCaptureFile::recordingKeepsEveryFrame_data()
{
    QTest::addColumn<CanSaveFormat>("format");
    QTest::addColumn<qint64>("rotateBytes");
    QTest::addColumn<qint64>("rotateUs");
    QTest::newRow("log") << CanSaveFormat::CandumpLog << qint64(0) << qint64(0);
    QTest::newRow("asc") << CanSaveFormat::Asc << qint64(0) << qint64(0);
    QTest::newRow("blf, a new file every 200 kB")
        << CanSaveFormat::Blf << qint64(200000) << qint64(0);
    QTest::newRow("trc, a new file every second")
        << CanSaveFormat::Trc << qint64(0) << qint64(1000000);
}

// A flood of frames ends up complete and in order, across the numbered files
// of a rotation too.
void TestCaptureFile::recordingKeepsEveryFrame()
{
    QFETCH(CanSaveFormat, format);
    QFETCH(qint64, rotateBytes);
    QFETCH(qint64, rotateUs);
    const int total = 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("drive.rec"));
    {
        CaptureRecorder recorder;
        QString why;
        QVERIFY2(recorder.start({path, format, rotateBytes, rotateUs}, &why), qPrintable(why));
        recordFlood(recorder, total);
        recorder.finish();
        QCOMPARE(recorder.error(), QString());
        QCOMPARE(recorder.frames(), qint64(total));
    }
    int next = 0;
    if (rotateBytes == 0 && rotateUs == 0) {
        checkFloodFile(path, format, &next);
    } else {
        // 100,000 frames 100 us apart: ten seconds, or some 2.5 MB of BLF.
        int files = 0;
        while (QFile::exists(recordingFileName(path, files + 1))) {
            const QString name = recordingFileName(path, ++files);
            if (rotateBytes > 0)
                QVERIFY(QFileInfo(name).size() < rotateBytes + 65536);
            checkFloodFile(name, format, &next);
        }
        QVERIFY2(files >= 5, qPrintable(QString::number(files)));
        if (rotateUs > 0)
            QCOMPARE(files, 10);
    }
    QCOMPARE(next, total);
}

// A write that fails (here a file size limit, as a full disk would) ends the
// recording with the reason, and the frames already written stay in the file.
void TestCaptureFile::recordingStopsAtWriteError()
{
    QTemporaryDir dir;
    CaptureRecorder unopened;
    QString why;
    const QString missing = dir.filePath(QStringLiteral("gone/drive.log"));
    QVERIFY(!unopened.start({missing, CanSaveFormat::CandumpLog}, &why));
    QVERIFY2(why.contains(missing), qPrintable(why));

    const qint64 limit = 65536;
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = limit;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString path = dir.filePath(QStringLiteral("drive.log"));
    QString error;
    {
        CaptureRecorder recorder;
        bool ended = false;
        connect(&recorder, &CaptureRecorder::finished, &recorder, [&](const QString &why) {
            ended = true;
            error = why;
        });
        QVERIFY(recorder.start({path, CanSaveFormat::CandumpLog}, &why));
        recordFlood(recorder, 100000);
        QTRY_VERIFY_WITH_TIMEOUT(ended, 10000);
        recordFlood(recorder, 10); // taken no more, no harm done
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY2(error.contains(path), qPrintable(error));
    QCOMPARE(QFileInfo(path).size(), limit);
    int next = 0;
    checkFloodFile(path, CanSaveFormat::CandumpLog, &next);
    QVERIFY2(next > 1000, qPrintable(QString::number(next)));
}

QTEST_GUILESS_MAIN(TestCaptureFile)
#include "tst_capturefile.moc"
