#include "hidcmdhandle.h"

#include "boxcommands.h"
#include "devicelog.h"

HidCmdHandle::HidCmdHandle() : QThread(nullptr)
{
}

HidCmdHandle::~HidCmdHandle() = default;

// Without an answer each value is what an empty reply decodes to.

QStringList HidCmdHandle::getWifiInfo()
{
    const QStringList parts = BoxCommands::wifiInfo().value.value_or(QStringList{QString()});
    qCDebug(lcDevice) << "###########" << parts.join(QLatin1Char(','));
    return parts;
}

bool HidCmdHandle::setWifiInfo(const QString &name, const QString &password)
{
    return BoxCommands::setWifiInfo(name, password).answered;
}

QString HidCmdHandle::getSoftwareId()
{
    return BoxCommands::softwareId().value.value_or(QString());
}

QString HidCmdHandle::getSoftwareVersion()
{
    return QString::number(BoxCommands::softwareVersion().value.value_or(0));
}

QString HidCmdHandle::getHardwareId()
{
    return BoxCommands::hardwareId().value.value_or(QString());
}
