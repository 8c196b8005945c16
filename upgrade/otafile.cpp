#include "otafile.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {
uint32_t littleEndian32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
} // namespace

uint8_t crc8Maxim(const uint8_t *data, size_t length)
{
    uint8_t c = 0;
    if (!data)
        return c;
    for (size_t i = 0; i < length; ++i) {
        c ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? uint8_t((c >> 1) ^ 0x8C) : uint8_t(c >> 1);
    }
    return c;
}

const QMap<int, QString> ota_file_errors = {
    {3, QStringLiteral("File Open Error")},
};

OtaFileRead readOtaFile(const QString &path)
{
    OtaFileRead read;
    QFile file(path);
    // On Linux a directory opens for reading; it is no upgrade file all the same.
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        qDebug().noquote() << ota_file_errors.value(3);
        return read;
    }
    // A short file leaves zeros behind its end, never stale or undefined bytes.
    QByteArray record(int(OTA_FILE_SIZE), '\0');
    QDataStream stream(&file);
    if (stream.readRawData(record.data(), int(OTA_FILE_SIZE)) < 0) {
        qDebug().noquote() << ota_file_errors.value(3);
        return read;
    }
    file.close();

    const auto *bytes = reinterpret_cast<const uint8_t *>(record.constData());
    read.sizeField = littleEndian32(bytes);
    qDebug() << "ota file size" << read.sizeField;
    read.image = record.mid(int(OTA_HEADER_SIZE), int(OTA_DATA_SIZE));
    const auto *flag = bytes + OTA_HEADER_SIZE + OTA_FLAG_OFFSET;
    qDebug() << "flag:" << Qt::hex << littleEndian32(flag);

    if (crc8Maxim(bytes, OTA_FILE_SIZE - 1) != bytes[OTA_FILE_SIZE - 1])
        read.status = OtaFileStatus::ChecksumMismatch;
    else if (read.sizeField != OTA_FILE_SIZE)
        read.status = OtaFileStatus::WrongSize;
    else if (std::memcmp(flag, "votk", 4) != 0)
        read.status = OtaFileStatus::WrongFlag;
    else
        read.status = OtaFileStatus::Ok;
    return read;
}
