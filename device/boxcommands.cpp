#include "boxcommands.h"

#include "commands.h"
#include "devicelink.h"
#include "devicelog.h"
#include "replydecode.h"

namespace {
struct Reply
{
    BoxAck ack;
    QVector<uint8_t> payload;
};

Reply ask(uint8_t cmd, const QVector<uint8_t> &payload = {})
{
    const LinkReply reply = DeviceLink::instance()->exchange(cmd, payload);
    Reply r;
    r.ack.sent = reply.sent;
    r.ack.answered = reply.answered();
    r.ack.linkFailed = reply.result < 0;
    r.payload = reply.payload();
    return r;
}

template <typename T, typename Decode> BoxAnswer<T> decoded(const Reply &reply, Decode decode)
{
    BoxAnswer<T> answer;
    static_cast<BoxAck &>(answer) = reply.ack;
    if (reply.ack.answered)
        answer.value = decode(reply.payload);
    return answer;
}

BoxAnswer<uint8_t> firstByte(const Reply &reply)
{
    BoxAnswer<uint8_t> answer;
    static_cast<BoxAck &>(answer) = reply.ack;
    if (reply.ack.answered && !reply.payload.isEmpty())
        answer.value = reply.payload.at(0);
    return answer;
}
} // namespace

namespace BoxCommands {

Handshake connect()
{
    if (!firstByte(ask(CMD_PROBE)).value)
        return Handshake::NoAnswerToProbe;
    const std::optional<uint8_t> usbMode = firstByte(ask(CMD_ENTER_USB_MODE)).value;
    if (!usbMode)
        return Handshake::NoAnswerToUsbMode;
    return *usbMode == 1 ? Handshake::Ok : Handshake::UsbModeRefused;
}

BoxAnswer<QStringList> wifiInfo()
{
    return decoded<QStringList>(ask(CMD_GET_WIFI_INFO, {0x00}), [](const QVector<uint8_t> &p) {
        return byteText(p).split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
    });
}

BoxAck setWifiInfo(const QString &name, const QString &password)
{
    return ask(CMD_SET_WIFI_INFO, wifiInfoPayload(name, password)).ack;
}

BoxAnswer<QString> softwareId()
{
    return decoded<QString>(ask(CMD_GET_SOFTWARE_ID), byteText);
}

BoxAnswer<quint32> softwareVersion()
{
    return decoded<quint32>(ask(CMD_GET_SOFTWARE_VERSION), versionNumber);
}

BoxAnswer<QString> hardwareId()
{
    return decoded<QString>(ask(CMD_GET_HARDWARE_ID), digitText);
}

BoxAnswer<int> canTime()
{
    const BoxAnswer<uint8_t> byte = firstByte(ask(CMD_GET_CAN_TIME));
    BoxAnswer<int> answer;
    static_cast<BoxAck &>(answer) = byte;
    if (byte.value)
        answer.value = int(*byte.value);
    return answer;
}

BoxAnswer<uint8_t> setCanTime(quint32 number)
{
    const uint8_t value = canTimeValue(number);
    BoxAnswer<uint8_t> answer;
    static_cast<BoxAck &>(answer) = ask(CMD_SET_CAN_TIME, {value}).ack;
    if (answer.answered)
        answer.value = value;
    return answer;
}

BoxAck setCanReporting(bool on)
{
    return ask(CMD_CAN_RX_ENABLE, {uint8_t(on ? 1 : 0)}).ack;
}

BoxAck wifiFactoryReset()
{
    return ask(CMD_WIFI_FACTORY_RESET).ack;
}

BoxAck sendCanFrame(quint16 id, const QVector<uint8_t> &data)
{
    CmdPacket packet;
    packet.set(CMD_CAN_FRAME, canFramePayload(id, data));
    for (uint8_t b : packet.getPayload())
        qCDebug(lcDevice) << int(b);
    // No reply comes: the receive thread may be reading meanwhile.
    const int written = DeviceLink::instance()->sendPacket(packet);
    BoxAck ack;
    ack.sent = written > 0;
    ack.linkFailed = written < 0;
    return ack;
}

BoxAnswer<uint8_t> otaStart(quint16 imageSum)
{
    return firstByte(ask(CMD_OTA_START, {uint8_t(imageSum & 0xFF), uint8_t(imageSum >> 8)}));
}

BoxAck otaFinish()
{
    return ask(CMD_OTA_FINISH).ack;
}

BoxAnswer<uint8_t> otaResult()
{
    return firstByte(ask(CMD_OTA_RESULT));
}

} // namespace BoxCommands
