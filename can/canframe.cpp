#include "canframe.h"

QString hexBytesText(const uint8_t *data, int length)
{
    QString text(length * 3, QLatin1Char(' '));
    QChar *out = text.data();
    for (int i = 0; i < length; ++i) {
        out[3 * i] = QLatin1Char(hexDigitChar(data[i] >> 4, false));
        out[3 * i + 1] = QLatin1Char(hexDigitChar(data[i], false));
    }
    return text;
}

QString secondsText(qint64 us)
{
    const auto [seconds, micros] = floorDivide(us, 1000000);
    return QString::number(seconds) + QLatin1Char('.') +
           QString::number(micros).rightJustified(6, QLatin1Char('0')) + QLatin1String(" s");
}
