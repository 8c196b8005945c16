// An upgrade file of any length and content: a file of any other length than
// the record is refused as the wrong size with no image; a record's image is
// exactly its bytes, and its one result agrees with them.
#include "otafile.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.ota"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    std::vector<uint8_t> record(OTA_FILE_SIZE, 0);
    std::memcpy(record.data(), data, std::min<size_t>(size, OTA_FILE_SIZE));

    const OtaFileRead read = readOtaFile(path);
    const uint32_t sizeField = size < 4 ? 0
                                        : uint32_t(record[0]) | uint32_t(record[1]) << 8 |
                                              uint32_t(record[2]) << 16 | uint32_t(record[3]) << 24;
    if (size != OTA_FILE_SIZE) {
        // Nothing of a cut or padded file may reach the box.
        if (read.status != OtaFileStatus::WrongSize || !read.image.isEmpty() ||
            read.sizeField != sizeField)
            std::abort();
        return 0;
    }
    OtaFileStatus expected = OtaFileStatus::Ok;
    if (crc8Maxim(record.data(), OTA_FILE_SIZE - 1) != record[OTA_FILE_SIZE - 1])
        expected = OtaFileStatus::ChecksumMismatch;
    else if (sizeField != OTA_FILE_SIZE)
        expected = OtaFileStatus::WrongSize;
    else if (std::memcmp(record.data() + OTA_HEADER_SIZE + OTA_FLAG_OFFSET, "votk", 4) != 0)
        expected = OtaFileStatus::WrongFlag;
    if (read.status != expected || read.sizeField != sizeField)
        std::abort();
    if (read.image.size() != int(OTA_DATA_SIZE) ||
        std::memcmp(read.image.constData(), record.data() + OTA_HEADER_SIZE, OTA_DATA_SIZE) != 0)
        std::abort();
    return 0;
}
