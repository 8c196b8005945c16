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
    // The reply is the name, a comma and the password; the password stays
    // out of the log.
    QStringList logged = parts.mid(0, 1);
    if (parts.size() > 1)
        logged << QStringLiteral("********");
    qCDebug(lcDevice) << "###########" << logged.join(QLatin1Char(','));
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
