#include "canlogline.h"

namespace {
QString timeText(qint64 usec)
{
    // Floor division keeps times before the epoch readable too.
    qint64 sec = usec / 1000000;
    qint64 micro = usec % 1000000;
    if (micro < 0) {
        micro += 1000000;
        --sec;
    }
    return QStringLiteral("%1.%2").arg(sec).arg(micro, 6, 10, QLatin1Char('0'));
}

QString idText(const QVector<uint8_t> &frame)
{
    const uint id = uint(frame.value(0)) | uint(frame.value(1)) << 8;
    return QStringLiteral("%1").arg(id, 3, 16, QLatin1Char('0')).toUpper();
}

QString dataText(const QVector<uint8_t> &frame)
{
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    for (int i = 2; i < frame.size(); ++i) {
        out += QLatin1Char(digits[frame.at(i) >> 4]);
        out += QLatin1Char(digits[frame.at(i) & 0x0F]);
    }
    return out;
}

int dataLength(const QVector<uint8_t> &frame)
{
    return frame.size() > 2 ? frame.size() - 2 : 0;
}
} // namespace

QString candumpLine(qint64 usecSinceEpoch, const QVector<uint8_t> &frame)
{
    return QStringLiteral("(%1) can0 %2#%3")
        .arg(timeText(usecSinceEpoch), idText(frame), dataText(frame));
}

QString csvHeader()
{
    return QStringLiteral("time,id,len,data");
}

QString csvLine(qint64 usecSinceEpoch, const QVector<uint8_t> &frame)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(timeText(usecSinceEpoch), idText(frame))
        .arg(dataLength(frame))
        .arg(dataText(frame));
}
