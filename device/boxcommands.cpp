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

Reply ask(DeviceLink &link, uint8_t cmd, const QVector<uint8_t> &payload = {})
{
    const LinkReply reply = link.exchange(cmd, payload);
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

Handshake connect(DeviceLink &link)
{
    if (!firstByte(ask(link, CMD_PROBE)).value)
        return Handshake::NoAnswerToProbe;
    const std::optional<uint8_t> usbMode = firstByte(ask(link, CMD_ENTER_USB_MODE)).value;
    if (!usbMode)
        return Handshake::NoAnswerToUsbMode;
    return *usbMode == 1 ? Handshake::Ok : Handshake::UsbModeRefused;
}

BoxAnswer<QStringList> wifiInfo(DeviceLink &link)
{
    return decoded<QStringList>(
        ask(link, CMD_GET_WIFI_INFO, {0x00}), [](const QVector<uint8_t> &p) {
            return byteText(p).split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
        });
}

BoxAck setWifiInfo(DeviceLink &link, const QString &name, const QString &password)
{
    return ask(link, CMD_SET_WIFI_INFO, wifiInfoPayload(name, password)).ack;
}

BoxAnswer<QString> softwareId(DeviceLink &link)
{
    return decoded<QString>(ask(link, CMD_GET_SOFTWARE_ID), byteText);
}

BoxAnswer<quint32> softwareVersion(DeviceLink &link)
{
    return decoded<quint32>(ask(link, CMD_GET_SOFTWARE_VERSION), versionNumber);
}

BoxAnswer<QString> hardwareId(DeviceLink &link)
{
    return decoded<QString>(ask(link, CMD_GET_HARDWARE_ID), digitText);
}

BoxAnswer<int> canTime(DeviceLink &link)
{
    const BoxAnswer<uint8_t> byte = firstByte(ask(link, CMD_GET_CAN_TIME));
    BoxAnswer<int> answer;
    static_cast<BoxAck &>(answer) = byte;
    if (byte.value)
        answer.value = int(*byte.value);
    return answer;
}

BoxAnswer<uint8_t> setCanTime(DeviceLink &link, quint32 number)
{
    const uint8_t value = canTimeValue(number);
    BoxAnswer<uint8_t> answer;
    static_cast<BoxAck &>(answer) = ask(link, CMD_SET_CAN_TIME, {value}).ack;
    if (answer.answered)
        answer.value = value;
    return answer;
}

BoxAck setCanReporting(DeviceLink &link, bool on)
{
    return ask(link, CMD_CAN_RX_ENABLE, {uint8_t(on ? 1 : 0)}).ack;
}

BoxAck wifiFactoryReset(DeviceLink &link)
{
    return ask(link, CMD_WIFI_FACTORY_RESET).ack;
}

BoxAck sendCanFrame(DeviceLink &link, quint16 id, const QVector<uint8_t> &data)
{
    CmdPacket packet;
    packet.set(CMD_CAN_FRAME, canFramePayload(id, data));
    for (uint8_t b : packet.getPayload())
        qCDebug(lcDevice) << int(b);
    // No reply comes: the receive thread may be reading meanwhile.
    const int written = link.sendPacket(packet);
    BoxAck ack;
    ack.sent = written > 0;
    ack.linkFailed = written < 0;
    return ack;
}

BoxAnswer<uint8_t> otaStart(DeviceLink &link, quint16 imageSum)
{
    return firstByte(ask(link, CMD_OTA_START, {uint8_t(imageSum & 0xFF), uint8_t(imageSum >> 8)}));
}

BoxAck otaFinish(DeviceLink &link)
{
    return ask(link, CMD_OTA_FINISH).ack;
}

BoxAnswer<uint8_t> otaResult(DeviceLink &link)
{
    return firstByte(ask(link, CMD_OTA_RESULT));
}

} // namespace BoxCommands
