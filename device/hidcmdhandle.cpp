#include "hidcmdhandle.h"

#include "boxcommands.h"
#include "devicelog.h"

HidCmdHandle::HidCmdHandle(DeviceLink &link) : QThread(nullptr), m_link(link)
{
}

HidCmdHandle::~HidCmdHandle() = default;

// Without an answer each value is what an empty reply decodes to.

QStringList HidCmdHandle::getWifiInfo()
{
    const QStringList parts = BoxCommands::wifiInfo(m_link).value.value_or(QStringList{QString()});
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
    return BoxCommands::setWifiInfo(m_link, name, password).answered;
}

QString HidCmdHandle::getSoftwareId()
{
    return BoxCommands::softwareId(m_link).value.value_or(QString());
}

QString HidCmdHandle::getSoftwareVersion()
{
    return QString::number(BoxCommands::softwareVersion(m_link).value.value_or(0));
}

QString HidCmdHandle::getHardwareId()
{
    return BoxCommands::hardwareId(m_link).value.value_or(QString());
}
