#include "hidcmdhandle.h"

#include "commands.h"
#include "devicelink.h"
#include "replydecode.h"

#include <QDebug>

HidCmdHandle::HidCmdHandle() : QThread(nullptr)
{
}

HidCmdHandle::~HidCmdHandle() = default;

QStringList HidCmdHandle::getWifiInfo()
{
    const QString text = byteText(DeviceLink::instance()->exchange(CMD_GET_WIFI_INFO, {0x00}).payload());
    qDebug() << "###########" << text;
    return text.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

bool HidCmdHandle::setWifiInfo(const QString &name, const QString &password)
{
    return DeviceLink::instance()
        ->exchange(CMD_SET_WIFI_INFO, wifiInfoPayload(name, password))
        .answered();
}

QString HidCmdHandle::getSoftwareId()
{
    return byteText(DeviceLink::instance()->exchange(CMD_GET_SOFTWARE_ID).payload());
}

QString HidCmdHandle::getSoftwareVersion()
{
    return QString::number(versionNumber(DeviceLink::instance()->exchange(CMD_GET_SOFTWARE_VERSION).payload()));
}

QString HidCmdHandle::getHardwareId()
{
    return digitText(DeviceLink::instance()->exchange(CMD_GET_HARDWARE_ID).payload());
}
