// The upgrade file reader, its checksum and its checks, on files built here.
#include "otafile.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

namespace {
constexpr int kChecksumAt = int(OTA_FILE_SIZE) - 1;
constexpr int kFlagAt = int(OTA_HEADER_SIZE + OTA_FLAG_OFFSET);

void putSize(QByteArray &record, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        record[i] = char((value >> (8 * i)) & 0xFF);
}

void fixChecksum(QByteArray &record)
{
    record[kChecksumAt] =
        char(crc8Maxim(reinterpret_cast<const uint8_t *>(record.constData()), kChecksumAt));
}

// A well-formed record; `seed` varies every header and image byte.
QByteArray validRecord(int seed = 1)
{
    QByteArray record(int(OTA_FILE_SIZE), '\0');
    for (int i = 4; i < kChecksumAt; ++i)
        record[i] = char((i * 31 + seed * 17 + (i >> 9)) & 0xFF);
    putSize(record, OTA_FILE_SIZE);
    record.replace(kFlagAt, 4, "votk");
    fixChecksum(record);
    return record;
}

QByteArray withFlagBytes(int at, const QByteArray &bytes)
{
    QByteArray record = validRecord();
    record.replace(kFlagAt, 4, "\0\0\0\0");
    record.replace(at, bytes.size(), bytes);
    fixChecksum(record);
    return record;
}

QByteArray withSize(quint32 value)
{
    QByteArray record = validRecord();
    putSize(record, value);
    fixChecksum(record);
    return record;
}

QByteArray changedAt(int at)
{
    QByteArray record = validRecord();
    record[at] = char(record.at(at) ^ 0x01);
    return record;
}

quint32 sizeField(const QByteArray &record)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(uint8_t(record.at(i))) << (8 * i);
    return v;
}

QByteArray imageOf(const QByteArray &record)
{
    return record.mid(int(OTA_HEADER_SIZE), int(OTA_DATA_SIZE));
}

// A record cut by `cut` bytes whose checksum still matches once zero-padded
// back to full length: a header byte is tuned until it does.
QByteArray cutWithMatchingChecksum(int cut)
{
    QByteArray record = validRecord(5);
    record.replace(int(OTA_FILE_SIZE) - cut, cut, QByteArray(cut, '\0'));
    for (int v = 0; v < 256; ++v) {
        record[8] = char(v);
        if (crc8Maxim(reinterpret_cast<const uint8_t *>(record.constData()), kChecksumAt) == 0)
            return record.left(int(OTA_FILE_SIZE) - cut);
    }
    return QByteArray();
}
} // namespace

Q_DECLARE_METATYPE(OtaFileStatus)

class TstOtaFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void crcMatchesMaxim_data();
    void crcMatchesMaxim();
    void fileStatusAndImage_data();
    void fileStatusAndImage();
    void unopenablePathReadsNothing_data();
    void unopenablePathReadsNothing();
    void wrongLengthIsRefused_data();
    void wrongLengthIsRefused();
    void readerWritesItsDebugLines();

private:
    QString write(const QString &name, const QByteArray &content);
    std::unique_ptr<TempWorkDir> m_dir;
};

void TstOtaFile::init()
{
    m_dir = std::make_unique<TempWorkDir>();
}

void TstOtaFile::cleanup()
{
    m_dir.reset();
}

QString TstOtaFile::write(const QString &name, const QByteArray &content)
{
    m_dir->writeFile(name, content);
    return m_dir->file(name);
}

void TstOtaFile::crcMatchesMaxim_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("crc");
    QTest::newRow("empty") << QByteArray() << 0x00;
    QTest::newRow("check value") << QByteArray("123456789") << 0xA1;
    QTest::newRow("check value with its crc") << QByteArray("123456789\xA1") << 0x00;
    QTest::newRow("0x01") << hexBytes("01") << 0x5E;
    QTest::newRow("0x80") << hexBytes("80") << 0x8C;
    QTest::newRow("whole record of zeros") << QByteArray(kChecksumAt, '\0') << 0x00;
}

void TstOtaFile::crcMatchesMaxim()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, crc);
    QCOMPARE(
        int(crc8Maxim(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()))),
        crc);
}

void TstOtaFile::fileStatusAndImage_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<OtaFileStatus>("status");
    const auto ok = OtaFileStatus::Ok;
    const auto size = OtaFileStatus::WrongSize;
    const auto flag = OtaFileStatus::WrongFlag;
    const auto checksum = OtaFileStatus::ChecksumMismatch;
    QByteArray sizeAndFlag = withFlagBytes(kFlagAt, "VOTK");
    putSize(sizeAndFlag, OTA_FILE_SIZE - 1);
    fixChecksum(sizeAndFlag);

    QTest::newRow("valid") << validRecord() << ok;
    QTest::newRow("size 230656") << withSize(OTA_FILE_SIZE - 1) << size;
    QTest::newRow("size 230658") << withSize(OTA_FILE_SIZE + 1) << size;
    QTest::newRow("size high byte set") << withSize(OTA_FILE_SIZE | 0x01000000u) << size;
    QTest::newRow("flag VOTK") << withFlagBytes(kFlagAt, "VOTK") << flag;
    QTest::newRow("flag one byte late") << withFlagBytes(kFlagAt + 1, "votk") << flag;
    QTest::newRow("flag one byte early") << withFlagBytes(kFlagAt - 1, "votk") << flag;
    QTest::newRow("flag byte-swapped") << withFlagBytes(kFlagAt, "ktov") << flag;
    QTest::newRow("flag's last byte wrong") << withFlagBytes(kFlagAt, "votx") << flag;
    QTest::newRow("size and flag wrong: size first") << sizeAndFlag << size;
    QTest::newRow("all zeros: checksum right, size first")
        << QByteArray(int(OTA_FILE_SIZE), '\0') << size;
    QTest::newRow("size field changed, checksum kept") << changedAt(0) << checksum;
    QTest::newRow("header byte changed") << changedAt(0x123) << checksum;
    QTest::newRow("last header byte changed") << changedAt(int(OTA_HEADER_SIZE) - 1) << checksum;
    QTest::newRow("last image byte changed") << changedAt(kChecksumAt - 1) << checksum;
    QTest::newRow("checksum byte changed") << changedAt(kChecksumAt) << checksum;
}

void TstOtaFile::fileStatusAndImage()
{
    QFETCH(QByteArray, content);
    QFETCH(OtaFileStatus, status);
    const OtaFileRead read = readOtaFile(write("a.ota", content));
    QCOMPARE(read.status, status);
    QCOMPARE(read.sizeField, sizeField(content));
    QCOMPARE(read.image, imageOf(content));
}

void TstOtaFile::unopenablePathReadsNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("directory") << "directory";
    QTest::newRow("empty path") << "empty";
    QTest::newRow("unreadable") << "unreadable";
    QTest::newRow("FIFO without a writer") << "fifo";
    QTest::newRow("character device") << "device";
}

void TstOtaFile::unopenablePathReadsNothing()
{
    QFETCH(QString, kind);
    QString path;
    if (kind == "missing") {
        path = m_dir->file("missing.ota");
    } else if (kind == "directory") {
        path = m_dir->file("dir.ota");
        QVERIFY(QDir(m_dir->path()).mkdir("dir.ota"));
    } else if (kind == "fifo") {
        path = m_dir->file("pipe.ota");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == "device") {
        path = QStringLiteral("/dev/zero");
    } else if (kind == "unreadable") {
        path = write("locked.ota", validRecord(9));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("permissions do not keep this user from reading");
    }
    LogCapture log;
    const OtaFileRead read = readOtaFile(path);
    QCOMPARE(read.status, OtaFileStatus::CannotOpen);
    QVERIFY(read.image.isEmpty());
    QVERIFY(log.lines().contains("File Open Error"));
    QVERIFY(!log.contains("ota file size"));
}

void TstOtaFile::wrongLengthIsRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    const QByteArray record = validRecord(4);
    const QByteArray cut = cutWithMatchingChecksum(5);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("half a size field") << record.left(2);
    QTest::newRow("size field only") << record.left(4);
    QTest::newRow("header and a bit") << record.left(int(OTA_HEADER_SIZE) + 10);
    QTest::newRow("ends inside the flag") << record.left(kFlagAt + 2);
    QTest::newRow("no checksum byte") << record.left(kChecksumAt);
    QTest::newRow("5 bytes short, checksum matching when padded") << cut;
    QTest::newRow("one trailing byte") << record + QByteArray(1, '\0');
    QTest::newRow("70000 trailing bytes") << record + QByteArray(70000, '\xEE');
}

void TstOtaFile::wrongLengthIsRefused()
{
    QFETCH(QByteArray, content);
    const OtaFileRead read = readOtaFile(write("wrong.ota", content));
    QCOMPARE(read.status, OtaFileStatus::WrongSize);
    QVERIFY(read.image.isEmpty());
}

void TstOtaFile::readerWritesItsDebugLines()
{
    LogCapture log;
    QCOMPARE(readOtaFile(write("a.ota", validRecord())).status, OtaFileStatus::Ok);
    QCOMPARE(log.lines(), QStringList({"ota file size 230657", "flag: 6b746f76"}));
}

QTEST_GUILESS_MAIN(TstOtaFile)
#include "tst_otafile.moc"
