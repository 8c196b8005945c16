#include "hidcmdhandle.h"

#include "commands.h"
#include "devicelink.h"
#include "replydecode.h"

#include <QDebug>

namespace {
CmdPacket ask(uint8_t cmd, const QVector<uint8_t> &payload, int *result = nullptr)
{
    CmdPacket request;
    request.set(cmd, payload);
    CmdPacket reply;
    const int r = DeviceLink::instance()->request(request, reply);
    if (result)
        *result = r;
    return reply;
}
} // namespace

HidCmdHandle::HidCmdHandle() : QThread(nullptr)
{
}

HidCmdHandle::~HidCmdHandle() = default;

QStringList HidCmdHandle::getWifiInfo()
{
    const QString text = byteText(ask(CMD_GET_WIFI_INFO, {0x00}).getPayload());
    qDebug() << "###########" << text;
    return text.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

bool HidCmdHandle::setWifiInfo(const QString &name, const QString &password)
{
    int result = -1;
    ask(CMD_SET_WIFI_INFO, wifiInfoPayload(name, password), &result);
    return result > 0;
}

QString HidCmdHandle::getSoftwareId()
{
    return byteText(ask(CMD_GET_SOFTWARE_ID, {}).getPayload());
}

QString HidCmdHandle::getSoftwareVersion()
{
    return QString::number(versionNumber(ask(CMD_GET_SOFTWARE_VERSION, {}).getPayload()));
}

QString HidCmdHandle::getHardwareId()
{
    return digitText(ask(CMD_GET_HARDWARE_ID, {}).getPayload());
}
