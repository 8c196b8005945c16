#pragma once

#include <QStringList>
#include <QThread>

class DeviceLink;

// The identity and WiFi commands of the box. Derives from QThread for
// historical reasons but is never started: each operation runs on the caller's
// thread and waits for its reply.
class HidCmdHandle : public QThread
{
    Q_OBJECT
public:
    explicit HidCmdHandle(DeviceLink &link);
    ~HidCmdHandle() override;

    QStringList getWifiInfo();
    // True when the box answered (the reply itself carries nothing).
    bool setWifiInfo(const QString &name, const QString &password);
    QString getSoftwareId();
    QString getSoftwareVersion();
    QString getHardwareId();

private:
    DeviceLink &m_link;
};
