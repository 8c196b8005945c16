#include "otafile.h"

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
    {4, QStringLiteral("File Size Error")},
    {5, QStringLiteral("File Error")},
};
