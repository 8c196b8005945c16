#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <optional>

class DeviceLink;

// What became of one command: whether it went out and whether the box
// answered it, told apart from what the answer says.
struct BoxAck
{
    // The command was written to the box.
    bool sent = false;
    // The box replied with the command's own code within the reply time-out.
    bool answered = false;
    // A write or read failed: the box is gone, or another thread holds the link.
    bool linkFailed = false;
};

// A command's outcome and the decoded answer. `value` is empty when the box
// did not answer, or when its reply lacks the bytes the value needs.
template <typename T> struct BoxAnswer : BoxAck
{
    std::optional<T> value;
};

// The connect handshake: the probe, then the request for USB mode.
enum class Handshake
{
    Ok,
    NoAnswerToProbe,
    NoAnswerToUsbMode,
    UsbModeRefused,
};

// The box's command set, one function per command, each a single exchange on
// the link it is given (CAN frames and the finish of an upgrade are only written). The
// only place that knows command codes and payload layouts.
namespace BoxCommands {

// Probe, then USB mode. A reply without its status byte counts as none; USB
// mode is granted by a first byte of 1.
Handshake connect(DeviceLink &link);

// The WiFi name and password, split at the comma.
BoxAnswer<QStringList> wifiInfo(DeviceLink &link);
// Name and password as Latin-1 bytes ('?' for other characters).
BoxAck setWifiInfo(DeviceLink &link, const QString &name, const QString &password);
// Every byte as the Latin-1 character of the same code.
BoxAnswer<QString> softwareId(DeviceLink &link);
// Little-endian 32-bit number; missing bytes count as zero.
BoxAnswer<quint32> softwareVersion(DeviceLink &link);
// ASCII digits; every other byte reads as "0".
BoxAnswer<QString> hardwareId(DeviceLink &link);

// The CAN time in milliseconds.
BoxAnswer<int> canTime(DeviceLink &link);
// Sets the CAN time from a number: its low 8 bits, raised to at least 5. The
// value is the one the box was given (present once it answered).
BoxAnswer<uint8_t> setCanTime(DeviceLink &link, quint32 number);
// Switches the box's reporting of received CAN frames.
BoxAck setCanReporting(DeviceLink &link, bool on);
// Restores the WiFi module's factory settings.
BoxAck wifiFactoryReset(DeviceLink &link);
// Writes one CAN frame; the box sends no reply to it.
BoxAck sendCanFrame(DeviceLink &link, quint16 id, const QVector<uint8_t> &data);

// Announces an upgrade with the image's byte sum; value is the reply's first byte.
BoxAnswer<uint8_t> otaStart(DeviceLink &link, quint16 imageSum);
// Ends the image. The box may reset before it replies: only `sent` counts.
BoxAck otaFinish(DeviceLink &link);
// The box's verdict byte on the upgrade.
BoxAnswer<uint8_t> otaResult(DeviceLink &link);

} // namespace BoxCommands
