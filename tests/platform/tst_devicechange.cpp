// Decoding of Windows device-change messages and the notification filter
// record, with synthetic messages laid out as Windows lays them out.

#include "devicechange.h"
#include "devicenotify.h"
#include "testsupport.h"

#include <QtTest>

#include <cstring>

namespace {
// A volume broadcast is the largest record the decoder reads.
struct Broadcast
{
    DEV_BROADCAST_VOLUME volume{};
};

MSG deviceMessage(UINT message, WPARAM event, Broadcast *broadcast)
{
    MSG msg;
    std::memset(&msg, 0, sizeof(msg));
    msg.message = message;
    msg.wParam = event;
    msg.lParam = reinterpret_cast<LPARAM>(broadcast);
    return msg;
}
} // namespace

class DeviceChangeTest : public QObject
{
    Q_OBJECT
private slots:
    void decodesPlugEvents_data();
    void decodesPlugEvents();
    void nullMessageIsNothing();
    void filterRecordIsByteExact();
};

void DeviceChangeTest::decodesPlugEvents_data()
{
    QTest::addColumn<uint>("message");
    QTest::addColumn<qulonglong>("event");
    QTest::addColumn<uint>("deviceType");
    QTest::addColumn<uint>("volumeFlags");
    QTest::addColumn<bool>("withBroadcast");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("physicalVolume");

    const int none = DeviceChange::None;
    const int in = DeviceChange::Arrival;
    const int out = DeviceChange::Removal;
    const uint dc = WM_DEVICECHANGE;
    const qulonglong arrival = DBT_DEVICEARRIVAL;
    const qulonglong removal = DBT_DEVICEREMOVECOMPLETE;

    QTest::newRow("interface arrival") << dc << arrival << 5u << 0u << true << in << false;
    QTest::newRow("interface removal") << dc << removal << 5u << 0u << true << out << false;
    // Only volumes have flags; whatever follows another header is not read as them.
    QTest::newRow("port arrival, bytes after header")
        << dc << arrival << 3u << 0u << true << in << false;
    QTest::newRow("volume arrival, physical") << dc << arrival << 2u << 0u << true << in << true;
    QTest::newRow("volume removal, physical") << dc << removal << 2u << 0u << true << out << true;
    QTest::newRow("volume arrival, media")
        << dc << arrival << 2u << uint(DBTF_MEDIA) << true << in << false;
    QTest::newRow("volume removal, network")
        << dc << removal << 2u << uint(DBTF_NET) << true << out << false;
    QTest::newRow("volume, high flag bit") << dc << arrival << 2u << 0x8000u << true << in << false;

    QTest::newRow("devnodes changed")
        << dc << qulonglong(DBT_DEVNODES_CHANGED) << 5u << 0u << true << none << false;
    QTest::newRow("query remove") << dc << qulonglong(0x8001) << 5u << 0u << true << none << false;
    QTest::newRow("remove pending")
        << dc << qulonglong(0x8003) << 5u << 0u << true << none << false;
    QTest::newRow("custom event") << dc << qulonglong(0x8006) << 5u << 0u << true << none << false;
    QTest::newRow("zero event") << dc << qulonglong(0) << 2u << 0u << true << none << false;
    QTest::newRow("other message, arrival code")
        << 0x0218u << arrival << 5u << 0u << true << none << false;
    QTest::newRow("WM_PAINT") << 0x000Fu << arrival << 2u << 0u << true << none << false;
    QTest::newRow("arrival without broadcast")
        << dc << arrival << 5u << 0u << false << none << false;
}

void DeviceChangeTest::decodesPlugEvents()
{
    QFETCH(uint, message);
    QFETCH(qulonglong, event);
    QFETCH(uint, deviceType);
    QFETCH(uint, volumeFlags);
    QFETCH(bool, withBroadcast);
    QFETCH(int, kind);
    QFETCH(bool, physicalVolume);

    Broadcast broadcast;
    broadcast.volume.dbcv_size =
        deviceType == DBT_DEVTYP_VOLUME ? sizeof(DEV_BROADCAST_VOLUME) : sizeof(DEV_BROADCAST_HDR);
    broadcast.volume.dbcv_devicetype = deviceType;
    broadcast.volume.dbcv_unitmask = 1u << 4;
    broadcast.volume.dbcv_flags = WORD(volumeFlags);
    const MSG msg = deviceMessage(message, WPARAM(event), withBroadcast ? &broadcast : nullptr);

    const DeviceChange change = decodeDeviceChange(&msg);
    QCOMPARE(int(change.kind), kind);
    QCOMPARE(change.physicalVolume, physicalVolume);
    if (kind != DeviceChange::None)
        QCOMPARE(change.deviceType, int(deviceType));
}

void DeviceChangeTest::nullMessageIsNothing()
{
    QCOMPARE(int(decodeDeviceChange(nullptr).kind), int(DeviceChange::None));
}

void DeviceChangeTest::filterRecordIsByteExact()
{
    const DEV_BROADCAST_DEVICEINTERFACE_W filter = usbInterfaceFilter();
    const QByteArray bytes(reinterpret_cast<const char *>(&filter), sizeof(filter));
    // size 32, type 5, reserved 0, {A5DCBF10-6530-11D2-901F-00C04FB951ED}
    // little-endian, then an empty name and the padding, all zero.
    QCOMPARE(bytes.toHex(' '), hexBytes("20 00 00 00 05 00 00 00 00 00 00 00"
                                        "10 bf dc a5 30 65 d2 11 90 1f 00 c0 4f b9 51 ed"
                                        "00 00 00 00")
                                   .toHex(' '));
}

QTEST_APPLESS_MAIN(DeviceChangeTest)
#include "tst_devicechange.moc"
