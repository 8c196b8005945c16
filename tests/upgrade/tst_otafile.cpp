// The upgrade file reader, its checksum and its two checks, on files built here.
#include "otafile.h"
#include "otahandle.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <memory>

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

QByteArray image(const OtaHandle &ota)
{
    return QByteArray(reinterpret_cast<const char *>(ota.ota_data), int(OTA_DATA_SIZE));
}

QByteArray padded(const QByteArray &content)
{
    QByteArray record = content.left(int(OTA_FILE_SIZE));
    record.append(QByteArray(int(OTA_FILE_SIZE) - record.size(), '\0'));
    return record;
}
} // namespace

class TstOtaFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void crcMatchesMaxim_data();
    void crcMatchesMaxim();
    void nothingLoadedFailsBothChecks();
    void fileStatusAndChecks_data();
    void fileStatusAndChecks();
    void unopenablePathKeepsEarlierImage_data();
    void unopenablePathKeepsEarlierImage();
    void secondFileReplacesFirst();
    void shortFileLeavesZeroTail_data();
    void shortFileLeavesZeroTail();
    void longFileReadsOnlyTheRecord();
    void readerWritesItsDebugLines();

private:
    QString write(const QString &name, const QByteArray &content);
    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<OtaHandle> m_ota;
};

void TstOtaFile::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    m_ota = std::make_unique<OtaHandle>();
}

void TstOtaFile::cleanup()
{
    m_ota.reset();
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

void TstOtaFile::nothingLoadedFailsBothChecks()
{
    QCOMPARE(m_ota->ota_file_size, 0u);
    QCOMPARE(image(*m_ota), QByteArray(int(OTA_DATA_SIZE), '\0'));
    QVERIFY(m_ota->check_file_size());
    QVERIFY(m_ota->check_file_flag());
}

void TstOtaFile::fileStatusAndChecks_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("sizeWrong");
    QTest::addColumn<bool>("flagWrong");

    QTest::newRow("valid") << validRecord() << 0 << false << false;
    QTest::newRow("size 230656") << withSize(OTA_FILE_SIZE - 1) << 0 << true << false;
    QTest::newRow("size 230658") << withSize(OTA_FILE_SIZE + 1) << 0 << true << false;
    QTest::newRow("size high byte set")
        << withSize(OTA_FILE_SIZE | 0x01000000u) << 0 << true << false;
    QTest::newRow("flag VOTK") << withFlagBytes(kFlagAt, "VOTK") << 0 << false << true;
    QTest::newRow("flag one byte late") << withFlagBytes(kFlagAt + 1, "votk") << 0 << false << true;
    QTest::newRow("flag one byte early")
        << withFlagBytes(kFlagAt - 1, "votk") << 0 << false << true;
    QTest::newRow("flag byte-swapped") << withFlagBytes(kFlagAt, "ktov") << 0 << false << true;
    QTest::newRow("all zeros") << QByteArray(int(OTA_FILE_SIZE), '\0') << 0 << true << true;
    QTest::newRow("size field changed, checksum kept") << changedAt(0) << 2 << true << false;
    QTest::newRow("header byte changed") << changedAt(0x123) << 2 << false << false;
    QTest::newRow("last header byte changed")
        << changedAt(int(OTA_HEADER_SIZE) - 1) << 2 << false << false;
    QTest::newRow("last image byte changed") << changedAt(kChecksumAt - 1) << 2 << false << false;
    QTest::newRow("checksum byte changed") << changedAt(kChecksumAt) << 2 << false << false;
}

void TstOtaFile::fileStatusAndChecks()
{
    QFETCH(QByteArray, content);
    QFETCH(int, status);
    QFETCH(bool, sizeWrong);
    QFETCH(bool, flagWrong);

    QCOMPARE(m_ota->read_ota_file(write("a.ota", content)), status);
    QCOMPARE(m_ota->ota_file_size, sizeField(content));
    QCOMPARE(image(*m_ota), content.mid(int(OTA_HEADER_SIZE), int(OTA_DATA_SIZE)));
    QCOMPARE(m_ota->check_file_size(), sizeWrong);
    QCOMPARE(m_ota->check_file_flag(), flagWrong);
}

void TstOtaFile::unopenablePathKeepsEarlierImage_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("directory") << "directory";
    QTest::newRow("empty path") << "empty";
    QTest::newRow("unreadable") << "unreadable";
}

void TstOtaFile::unopenablePathKeepsEarlierImage()
{
    QFETCH(QString, kind);
    const QByteArray first = validRecord(5);
    QCOMPARE(m_ota->read_ota_file(write("first.ota", first)), 0);

    QString path;
    if (kind == "missing") {
        path = m_dir->file("missing.ota");
    } else if (kind == "directory") {
        path = m_dir->file("dir.ota");
        QVERIFY(QDir(m_dir->path()).mkdir("dir.ota"));
    } else if (kind == "unreadable") {
        path = write("locked.ota", validRecord(9));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("permissions do not keep this user from reading");
    }

    LogCapture log;
    QCOMPARE(m_ota->read_ota_file(path), 1);
    QVERIFY(log.lines().contains("File Open Error"));
    QVERIFY(!log.contains("ota file size"));
    QCOMPARE(m_ota->ota_file_size, OTA_FILE_SIZE);
    QCOMPARE(image(*m_ota), first.mid(int(OTA_HEADER_SIZE), int(OTA_DATA_SIZE)));
    QVERIFY(!m_ota->check_file_flag());
}

void TstOtaFile::secondFileReplacesFirst()
{
    QCOMPARE(m_ota->read_ota_file(write("first.ota", validRecord(1))), 0);
    // The second one has a wrong checksum: it is loaded all the same.
    QByteArray second = validRecord(2);
    putSize(second, 12345);
    QCOMPARE(m_ota->read_ota_file(write("second.ota", second)), 2);
    QCOMPARE(m_ota->ota_file_size, 12345u);
    QCOMPARE(image(*m_ota), second.mid(int(OTA_HEADER_SIZE), int(OTA_DATA_SIZE)));
}

void TstOtaFile::shortFileLeavesZeroTail_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("empty") << 0;
    QTest::newRow("half a size field") << 2;
    QTest::newRow("size field only") << 4;
    QTest::newRow("header and a bit") << int(OTA_HEADER_SIZE) + 10;
    QTest::newRow("ends inside the flag") << kFlagAt + 2;
    QTest::newRow("no checksum byte") << kChecksumAt;
}

void TstOtaFile::shortFileLeavesZeroTail()
{
    QFETCH(int, length);
    // A full file first, so that stale bytes would show.
    QByteArray earlier = validRecord(3);
    earlier.fill('\x5A', kChecksumAt);
    QCOMPARE(m_ota->read_ota_file(write("full.ota", earlier)), 2);

    const QByteArray content = validRecord(4).left(length);
    const QByteArray record = padded(content);
    const int expected = crc8Maxim(reinterpret_cast<const uint8_t *>(record.constData()),
                                   kChecksumAt) == uint8_t(record.at(kChecksumAt))
                             ? 0
                             : 2;
    QCOMPARE(m_ota->read_ota_file(write("short.ota", content)), expected);
    QCOMPARE(m_ota->ota_file_size, sizeField(record));
    QCOMPARE(image(*m_ota), record.mid(int(OTA_HEADER_SIZE), int(OTA_DATA_SIZE)));
    QCOMPARE(m_ota->check_file_size(), length < 4);
    QCOMPARE(m_ota->check_file_flag(), length < kFlagAt + 4);
}

void TstOtaFile::longFileReadsOnlyTheRecord()
{
    const QByteArray record = validRecord(6);
    QCOMPARE(m_ota->read_ota_file(write("long.ota", record + QByteArray(70000, '\xEE'))), 0);
    QCOMPARE(m_ota->ota_file_size, OTA_FILE_SIZE);
    QCOMPARE(image(*m_ota), record.mid(int(OTA_HEADER_SIZE), int(OTA_DATA_SIZE)));
    QVERIFY(!m_ota->check_file_size());
    QVERIFY(!m_ota->check_file_flag());
}

void TstOtaFile::readerWritesItsDebugLines()
{
    LogCapture log;
    QCOMPARE(m_ota->read_ota_file(write("a.ota", validRecord())), 0);
    m_ota->check_file_flag();
    QCOMPARE(log.lines(), QStringList({"ota file size 230657", "flag: 6b746f76"}));
}

QTEST_GUILESS_MAIN(TstOtaFile)
#include "tst_otafile.moc"
