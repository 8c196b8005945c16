#include "replydecode.h"

QString byteText(const QVector<uint8_t> &payload)
{
    QString text;
    text.reserve(payload.size());
    for (uint8_t b : payload)
        text.append(QChar(b));
    return text;
}

QString digitText(const QVector<uint8_t> &payload)
{
    QString text;
    text.reserve(payload.size());
    for (uint8_t b : payload)
        text.append((b >= '0' && b <= '9') ? QChar(b) : QChar('0'));
    return text;
}

quint32 versionNumber(const QVector<uint8_t> &payload)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) {
        const quint32 b = i < payload.size() ? payload.at(i) : 0;
        value |= b << (8 * i);
    }
    return value;
}

QVector<uint8_t> wifiInfoPayload(const QString &name, const QString &password)
{
    const QByteArray bytes = (name + QLatin1Char(',') + password).toLatin1();
    QVector<uint8_t> payload;
    payload.reserve(bytes.size());
    for (char c : bytes)
        payload.append(static_cast<uint8_t>(c));
    return payload;
}

QVector<uint8_t> canFramePayload(quint16 id, const QVector<uint8_t> &data)
{
    QVector<uint8_t> payload;
    payload.reserve(data.size() + 2);
    payload.append(static_cast<uint8_t>(id & 0xFF));
    payload.append(static_cast<uint8_t>(id >> 8));
    payload.append(data);
    return payload;
}

uint8_t canTimeValue(quint32 number)
{
    const uint8_t value = static_cast<uint8_t>(number & 0xFF);
    return value < 5 ? 5 : value;
}

std::optional<quint32> canTimeFromText(const QString &text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 3)
        return std::nullopt;
    quint32 number = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        number = number * 10 + quint32(c.unicode() - '0');
    }
    if (number > CAN_TIME_MAX)
        return std::nullopt;
    return number;
}

QString versionText(quint32 version)
{
    const QString number = QString::number(version);
    if (version < 0x10000 || version > 0xFFFFFF)
        return number;
    return QStringLiteral("%1 (%2.%3.%4)")
        .arg(number)
        .arg(version >> 16)
        .arg((version >> 8) & 0xFF)
        .arg(version & 0xFF);
}
