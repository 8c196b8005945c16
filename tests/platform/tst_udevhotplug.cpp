// The udev source against a umockdev testbed: which devices count as plug
// events, of which type, and that the monitor is given back.

#include "devicechange.h"
#include "udevhotplug.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

// glib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <umockdev.h>
#pragma pop_macro("signals")

namespace {
using Event = QPair<int, bool>;

QList<Event> events(const QSignalSpy &spy)
{
    QList<Event> list;
    for (const QList<QVariant> &args : spy)
        list << Event(args.at(0).toInt(), args.at(1).toBool());
    return list;
}

int openDescriptors()
{
    return int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}
} // namespace

class UdevHotplugTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void usbDevicesAndUsbPartitionsAreReported();
    void monitorIsReleased();

private:
    QString add(const char *subsystem, const char *name, const QString &parent,
                const QStringList &properties);
    void uevent(const QString &sysPath, const char *action);

    UMockdevTestbed *m_testbed = nullptr;
};

void UdevHotplugTest::initTestCase()
{
    // Before anything asks udev about the system.
    m_testbed = umockdev_testbed_new();
    QVERIFY(umockdev_in_mock_environment());
}

void UdevHotplugTest::cleanupTestCase()
{
    g_object_unref(m_testbed);
}

QString UdevHotplugTest::add(const char *subsystem, const char *name, const QString &parent,
                             const QStringList &properties)
{
    QList<QByteArray> keep;
    QVector<gchar *> props;
    for (const QString &p : properties)
        keep << p.toUtf8();
    for (QByteArray &p : keep)
        props << p.data();
    props << nullptr;
    gchar *attrs[] = {nullptr};
    const QByteArray parentPath = parent.toUtf8();
    gchar *path = umockdev_testbed_add_devicev(m_testbed, subsystem, name,
                                               parent.isEmpty() ? nullptr : parentPath.constData(),
                                               attrs, props.data());
    const QString result = QString::fromUtf8(path);
    g_free(path);
    return result;
}

void UdevHotplugTest::uevent(const QString &sysPath, const char *action)
{
    umockdev_testbed_uevent(m_testbed, sysPath.toUtf8().constData(), action);
}

void UdevHotplugTest::usbDevicesAndUsbPartitionsAreReported()
{
    UdevHotplug source;
    QVERIFY(source.isWatching());
    QSignalSpy arrived(&source, &HotplugSource::deviceArrived);
    QSignalSpy removed(&source, &HotplugSource::deviceRemoved);

    // A flash drive: usb device, interface, disk, partition (each "add"s).
    const QString stick = add("usb", "1-2", QString(), {"DEVTYPE", "usb_device"});
    const QString iface = add("usb", "1-2:1.0", stick, {"DEVTYPE", "usb_interface"});
    const QString disk = add("block", "sdb", iface, {"DEVTYPE", "disk"});
    const QString part = add("block", "sdb1", disk, {"DEVTYPE", "partition"});
    // A SATA disk's partition is not a USB volume...
    const QString sata = add("block", "sda", QString(), {"DEVTYPE", "disk"});
    const QString sataPart = add("block", "sda1", sata, {"DEVTYPE", "partition"});
    // ...unless udev recorded it as on the USB bus (sysfs may be gone at removal).
    const QString taggedPart =
        add("block", "sdc1", QString(), {"DEVTYPE", "partition", "ID_BUS", "usb"});
    // Neither are other subsystems or other actions.
    add("hidraw", "hidraw5", iface, {});
    uevent(stick, "change");
    uevent(stick, "bind");

    QTRY_COMPARE(events(arrived).size(), 3);
    QCOMPARE(events(arrived), (QList<Event>{{DEVICE_TYPE_INTERFACE, false},
                                            {DEVICE_TYPE_VOLUME, true},
                                            {DEVICE_TYPE_VOLUME, true}}));

    uevent(part, "remove");
    uevent(sataPart, "remove");
    uevent(taggedPart, "remove");
    uevent(iface, "remove");
    uevent(stick, "remove");
    QTRY_COMPARE(events(removed).size(), 3);
    QCOMPARE(events(removed), (QList<Event>{{DEVICE_TYPE_VOLUME, true},
                                            {DEVICE_TYPE_VOLUME, true},
                                            {DEVICE_TYPE_INTERFACE, false}}));
    QTest::qWait(50);
    QCOMPARE(arrived.size(), 3);
    QCOMPARE(removed.size(), 3);

    for (const QString &path : {part, disk, iface, stick, sataPart, sata, taggedPart})
        umockdev_testbed_remove_device(m_testbed, path.toUtf8().constData());
}

void UdevHotplugTest::monitorIsReleased()
{
    delete new UdevHotplug; // the first one may load what stays loaded
    const int before = openDescriptors();
    for (int i = 0; i < 20; ++i) {
        UdevHotplug source;
        QVERIFY(source.isWatching());
    }
    QCOMPARE(openDescriptors(), before);
}

QTEST_GUILESS_MAIN(UdevHotplugTest)
#include "tst_udevhotplug.moc"
