#include "otafile.h"
#include "upgradelog.h"

#include <QDataStream>
#include <QFile>

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

OtaFileRead readOtaFile(const QString &path)
{
    OtaFileRead read;
    // O_NONBLOCK: a FIFO or a device must not hold the caller up; only a
    // regular file is read at all.
    const QByteArray local = QFile::encodeName(path);
    const int fd =
        local.isEmpty() ? -1 : ::open(local.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        qCDebug(lcUpgrade) << "File Open Error";
        return read;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        qCDebug(lcUpgrade) << "File Open Error";
        return read;
    }
    // One byte more than a record tells a padded file from an exact one.
    QByteArray record(int(OTA_FILE_SIZE) + 1, '\0');
    QDataStream stream(&file);
    const int got = stream.readRawData(record.data(), record.size());
    if (got < 0) {
        qCDebug(lcUpgrade) << "File Open Error";
        return read;
    }
    file.close();

    const auto *bytes = reinterpret_cast<const uint8_t *>(record.constData());
    read.sizeField = got >= 4 ? littleEndian32(bytes) : 0;
    qCDebug(lcUpgrade) << "ota file size" << read.sizeField;
    // A cut or padded file is refused whatever its checksum says: it is not
    // the image that was built.
    if (got != int(OTA_FILE_SIZE)) {
        read.status = OtaFileStatus::WrongSize;
        return read;
    }
    read.image = record.mid(int(OTA_HEADER_SIZE), int(OTA_DATA_SIZE));
    const auto *flag = bytes + OTA_HEADER_SIZE + OTA_FLAG_OFFSET;
    qCDebug(lcUpgrade) << "flag:" << Qt::hex << littleEndian32(flag);

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
