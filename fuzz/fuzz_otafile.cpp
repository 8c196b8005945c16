// An upgrade file of any length and content: the reader keeps exactly the
// file's bytes (zero beyond its end, nothing past the record), and its status
// and the two checks agree with the bytes.
#include "otafile.h"
#include "otahandle.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static OtaHandle ota;
    const QString path = dir.filePath(QStringLiteral("fuzz.ota"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    std::vector<uint8_t> record(OTA_FILE_SIZE, 0);
    std::memcpy(record.data(), data, std::min<size_t>(size, OTA_FILE_SIZE));

    const int status = ota.read_ota_file(path);
    const uint8_t crc = crc8Maxim(record.data(), OTA_FILE_SIZE - 1);
    if (status != (crc == record[OTA_FILE_SIZE - 1] ? 0 : 2))
        std::abort();
    const uint32_t sizeField = uint32_t(record[0]) | uint32_t(record[1]) << 8 |
                               uint32_t(record[2]) << 16 | uint32_t(record[3]) << 24;
    if (ota.ota_file_size != sizeField || ota.check_file_size() != (sizeField != OTA_FILE_SIZE))
        std::abort();
    if (std::memcmp(ota.ota_data, record.data() + OTA_HEADER_SIZE, OTA_DATA_SIZE) != 0)
        std::abort();
    const bool flagWrong = std::memcmp(record.data() + OTA_HEADER_SIZE + OTA_FLAG_OFFSET, "votk", 4) != 0;
    if (ota.check_file_flag() != flagWrong)
        std::abort();
    return 0;
}
