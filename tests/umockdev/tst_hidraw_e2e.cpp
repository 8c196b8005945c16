// The tool's device layer over the real hidapi-hidraw library, against the
// simulated box on a umockdev hidraw node: every byte crosses a real file
// descriptor, as it would with the box on a USB port.

#include "canrxthread.h"
#include "commands.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "hidcmdhandle.h"
#include "replydecode.h"
#include "testsupport.h"
#include "umockdevbox.h"

#include <QtTest>

#include <algorithm>
#include <memory>
#include <mutex>

namespace {
// Bytes a terminal would eat or rewrite (CR, LF, ^C, ^Q, ^S, ^Z, DEL, 0xFF):
// they must reach both ends unchanged.
const char kTrickyName[] = "N\r\n\x11";
const char kTrickyPassword[] = "\x13\x03\x1a\x7f\xff";

QString latin1(const char *text, int size = -1)
{
    return QString::fromLatin1(text, size);
}

// The frames handed over, each as the payload of its report.
class FrameCollector
{
public:
    void add(const QVector<CanFrame> &frames)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const CanFrame &frame : frames)
            m_frames.append(canFramePayload(frame.id, frame.dataVector()));
    }
    QList<QVector<uint8_t>> frames() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames;
    }
    int count() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames.size();
    }

private:
    mutable std::mutex m_mutex;
    QList<QVector<uint8_t>> m_frames;
};

// Payload of explicit frame i: identifier, then data that numbers the frame.
QVector<uint8_t> numberedFrame(int i)
{
    const quint16 id = quint16(0x100 + i % 0x600);
    return canFramePayload(id, {uint8_t(i), uint8_t(i >> 8), 0x0D, 0x0A, 0x11, 0x13, 0x03, 0xFF});
}
} // namespace

class HidrawE2eTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void opensByVendorAndProductIdWithoutIdentityStrings();
    void commandReachesBoxAndReplyComesBack_data();
    void commandReachesBoxAndReplyComesBack();
    void commandHandleDecodesReplies();
    void canFramesArriveInOrderAndIntact();
    void generatedBurstArrivesComplete();
    void repliesStayWithTheirCommandsWhileFramesStream();
    void unplugWhileReadingThenReplugResumesFrames();
    void windowQuitsCleanlyWithTheBoxConnected_data();
    void windowQuitsCleanlyWithTheBoxConnected();

private:
    CmdPacket ask(uint8_t cmd, const QVector<uint8_t> &payload, int *result = nullptr);
    void startReceiving(CanRxThread &thread, FrameCollector &sink);
    void stopReceiving(CanRxThread &thread);

    std::unique_ptr<UmockdevBox> m_dev;
    DeviceLink *m_link = nullptr;
};

void HidrawE2eTest::initTestCase()
{
    // The testbed comes before anything that looks at udev.
    m_dev = std::make_unique<UmockdevBox>();
    QVERIFY2(!m_dev->nodePath().isEmpty(), "the testbed took no box");
    setHidBackend(nullptr);
    m_link = DeviceLink::instance();
    m_link->reset();
}

void HidrawE2eTest::cleanupTestCase()
{
    m_link->reset();
    m_dev.reset();
}

void HidrawE2eTest::init()
{
    if (!m_dev->isPlugged())
        QVERIFY(!m_dev->plug().isEmpty());
    SimBox *box = m_dev->box();
    box->clearFaults();
    box->setCanRate(0);
    box->setWifi(latin1(kTrickyName), latin1(kTrickyPassword));
    SimBox::Identity id;
    id.softwareId = latin1("ID\r\n\x03\0\xff", 7);
    id.softwareVersion = 0x0A0D1113;
    id.hardwareId = QStringLiteral("20231105");
    box->setIdentity(id);
    box->setCanTime(0x11);
    box->setUsbModeAnswer(1);
    QCOMPARE(m_link->open(), 0);
    box->clearWire();
}

void HidrawE2eTest::cleanup()
{
    m_link->reset();
    // Let the box side see the close, so nothing of this test reaches the next.
    if (m_dev->isPlugged())
        QTRY_VERIFY(!m_dev->isOpenByHost());
}

CmdPacket HidrawE2eTest::ask(uint8_t cmd, const QVector<uint8_t> &payload, int *result)
{
    const LinkReply reply = m_link->exchange(cmd, payload);
    if (result)
        *result = reply.result;
    return reply.packet;
}

// The thread is also the link's frame sink, as in the window: frames an
// exchange reads reach the collector too, in order.
void HidrawE2eTest::startReceiving(CanRxThread &thread, FrameCollector &sink)
{
    connect(
        &thread, &CanRxThread::send_can_rx, &thread,
        [&sink](const QVector<CanFrame> &frames) { sink.add(frames); }, Qt::DirectConnection);
    m_link->setFrameSink(&thread);
    QVERIFY(ask(CMD_CAN_RX_ENABLE, {0x01}).getPayload() == QVector<uint8_t>{0x01});
    thread.start();
}

void HidrawE2eTest::stopReceiving(CanRxThread &thread)
{
    thread.stop();
    // Frames still on their way come ahead of the reply and go to the sink.
    QCOMPARE(ask(CMD_CAN_RX_ENABLE, {0x00}).getPayload(), QVector<uint8_t>{0x01});
    m_link->clearFrameSink(&thread);
}

void HidrawE2eTest::opensByVendorAndProductIdWithoutIdentityStrings()
{
    QVERIFY(m_link->isConnected());
    QVERIFY(m_link->hasHandle());
    QTRY_VERIFY(m_dev->isOpenByHost());
    // The identity strings cannot be read through a umockdev node: the link
    // keeps empty ones instead of failing the open.
    QCOMPARE(m_link->manufacturer(), QString());
    QCOMPARE(m_link->product(), QString());
    QCOMPARE(m_link->serialNumber(), QString());

    m_link->close();
    QTRY_VERIFY(!m_dev->isOpenByHost());
    QCOMPARE(m_link->open(), 0);
    QTRY_VERIFY(m_dev->isOpenByHost());
}

void HidrawE2eTest::commandReachesBoxAndReplyComesBack_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    const QByteArray wifi = QByteArray(kTrickyName) + ',' + QByteArray(kTrickyPassword);
    QTest::newRow("get wifi info") << int(CMD_GET_WIFI_INFO) << hexBytes("00") << wifi;
    QTest::newRow("set wifi info")
        << int(CMD_SET_WIFI_INFO)
        << vectorBytes(wifiInfoPayload(latin1("a\r\nb"), latin1("\x11\x13\xff"))) << hexBytes("01");
    QTest::newRow("software id") << int(CMD_GET_SOFTWARE_ID) << QByteArray()
                                 << QByteArray("ID\r\n\x03\0\xff", 7);
    QTest::newRow("software version")
        << int(CMD_GET_SOFTWARE_VERSION) << QByteArray() << hexBytes("13 11 0d 0a");
    QTest::newRow("hardware id") << int(CMD_GET_HARDWARE_ID) << QByteArray()
                                 << QByteArray("20231105");
    QTest::newRow("probe") << int(CMD_PROBE) << QByteArray() << hexBytes("01");
    QTest::newRow("usb mode") << int(CMD_ENTER_USB_MODE) << QByteArray() << hexBytes("01");
    QTest::newRow("can rx on") << int(CMD_CAN_RX_ENABLE) << hexBytes("01") << hexBytes("01");
    QTest::newRow("can rx off") << int(CMD_CAN_RX_ENABLE) << hexBytes("00") << hexBytes("01");
    QTest::newRow("get can time") << int(CMD_GET_CAN_TIME) << QByteArray() << hexBytes("11");
    QTest::newRow("set can time") << int(CMD_SET_CAN_TIME) << hexBytes("13") << hexBytes("01");
    QTest::newRow("factory reset") << int(CMD_WIFI_FACTORY_RESET) << QByteArray() << hexBytes("01");
    QByteArray full(LINK_MAX_PAYLOAD, '\0');
    for (int i = 0; i < full.size(); ++i)
        full[i] = char(0xC3 + i * 7);
    QTest::newRow("full-size payload") << int(CMD_SET_WIFI_INFO) << full << hexBytes("01");
}

void HidrawE2eTest::commandReachesBoxAndReplyComesBack()
{
    QFETCH(int, cmd);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);

    int result = 0;
    const CmdPacket answer = ask(uint8_t(cmd), bytesVector(request), &result);

    QCOMPARE(m_dev->box()->wire(), QList<QByteArray>{commandReport(uint8_t(cmd), request)});
    QCOMPARE(result, 64);
    QCOMPARE(int(answer.getCmd()), cmd);
    QCOMPARE(vectorBytes(answer.getPayload()), reply);
}

void HidrawE2eTest::commandHandleDecodesReplies()
{
    HidCmdHandle handle(*DeviceLink::instance());
    QCOMPARE(handle.getSoftwareId(), latin1("ID\r\n\x03\0\xff", 7));
    QCOMPARE(handle.getSoftwareVersion(), QString::number(0x0A0D1113u));
    QCOMPARE(handle.getHardwareId(), QStringLiteral("20231105"));
    QCOMPARE(handle.getWifiInfo(), (QStringList{latin1(kTrickyName), latin1(kTrickyPassword)}));
    QVERIFY(handle.setWifiInfo(QStringLiteral("home"), latin1("pa\r\nss")));
    QCOMPARE(m_dev->box()->wifiName(), QStringLiteral("home"));
    QCOMPARE(m_dev->box()->wifiPassword(), latin1("pa\r\nss"));
    QCOMPARE(m_dev->box()->commandsOnWire(),
             (QList<uint8_t>{CMD_GET_SOFTWARE_ID, CMD_GET_SOFTWARE_VERSION, CMD_GET_HARDWARE_ID,
                             CMD_GET_WIFI_INFO, CMD_SET_WIFI_INFO}));
}

void HidrawE2eTest::canFramesArriveInOrderAndIntact()
{
    LogCapture quiet; // one debug line per frame
    constexpr int kFrames = 400;
    FrameCollector sink;
    CanRxThread thread(*DeviceLink::instance());
    startReceiving(thread, sink);
    // In batches the host keeps up with: hidraw drops what overflows its queue.
    for (int i = 0; i < kFrames; ++i) {
        m_dev->box()->queueCanFrame(numberedFrame(i));
        if (i % 32 == 31)
            QTRY_COMPARE_WITH_TIMEOUT(sink.count(), i + 1, 20000);
    }

    QTRY_COMPARE_WITH_TIMEOUT(sink.count(), kFrames, 20000);
    stopReceiving(thread);
    const QList<QVector<uint8_t>> frames = sink.frames();
    for (int i = 0; i < kFrames; ++i)
        QCOMPARE(frames.at(i), numberedFrame(i));
    QVERIFY(quiet.contains(QStringLiteral("can thread run")));
}

void HidrawE2eTest::generatedBurstArrivesComplete()
{
    LogCapture quiet;
    constexpr int kFrames = 1000;
    FrameCollector sink;
    CanRxThread thread(*DeviceLink::instance());
    startReceiving(thread, sink);
    const quint64 before = m_dev->box()->generatedFramesRead();
    m_dev->box()->queueCanBurst(kFrames);

    QTRY_COMPARE_WITH_TIMEOUT(sink.count(), kFrames, 30000);
    stopReceiving(thread);
    QCOMPARE(m_dev->box()->generatedFramesRead() - before, quint64(kFrames));
    // Each generated frame carries an identifier and eight data bytes: a
    // report split or merged on the way would show as another length.
    for (const QVector<uint8_t> &frame : sink.frames())
        QCOMPARE(frame.size(), 10);
}

void HidrawE2eTest::repliesStayWithTheirCommandsWhileFramesStream()
{
    LogCapture quiet;
    FrameCollector sink;
    CanRxThread thread(*DeviceLink::instance());
    SimBox *box = m_dev->box();
    const quint64 before = box->generatedFramesRead();
    startReceiving(thread, sink);
    // Well within what the testbed carries, so nothing is lost on the way.
    box->setCanRate(500);
    QTRY_VERIFY_WITH_TIMEOUT(sink.count() >= 20, 10000);
    for (int i = 0; i < 60; ++i) {
        box->setCanTime(uint8_t(i));
        QCOMPARE(ask(CMD_GET_CAN_TIME, {}).getPayload(), QVector<uint8_t>{uint8_t(i)});
        QCOMPARE(ask(CMD_GET_HARDWARE_ID, {}).getPayload().size(), 8);
    }
    stopReceiving(thread);
    box->setCanRate(0);

    // Every frame the box sent, once and in order: the stream counts in its
    // first data byte.
    const QList<QVector<uint8_t>> frames = sink.frames();
    QCOMPARE(box->droppedReports(), quint64(0));
    QCOMPARE(quint64(frames.size()), box->generatedFramesRead() - before);
    for (int i = 0; i < frames.size(); ++i)
        QCOMPARE(int(frames.at(i).value(2)), int((before + quint64(i)) & 0xFF));
}

void HidrawE2eTest::unplugWhileReadingThenReplugResumesFrames()
{
    LogCapture quiet;
    FrameCollector sink;
    CanRxThread thread(*DeviceLink::instance());
    startReceiving(thread, sink);
    m_dev->box()->setCanRate(500);
    QTRY_VERIFY_WITH_TIMEOUT(sink.count() >= 20, 10000);
    const QString firstNode = m_dev->nodeName();

    m_dev->unplug();
    QVERIFY(!m_dev->isPlugged());
    // The reader's last reads may still be on their way (later on a busy
    // machine); after that the failing reads must not turn into frames.
    int atUnplug = -1;
    for (int i = 0; i < 50 && sink.count() != atUnplug; ++i) {
        atUnplug = sink.count();
        QTest::qWait(100);
    }
    QTest::qWait(300);
    QCOMPARE(sink.count(), atUnplug);
    QVERIFY(thread.isRunning());
    QCOMPARE(m_link->open(), -1);
    QVERIFY(thread.isRunning());

    const QString node = m_dev->plug();
    QVERIFY(!node.isEmpty());
    QVERIFY(m_dev->nodeName() != firstNode);
    QCOMPARE(node, QStringLiteral("/dev/") + m_dev->nodeName());
    QCOMPARE(m_link->open(), 0);
    // The box forgot its reporting state with the power.
    QVERIFY(!m_dev->box()->canReporting());
    QCOMPARE(ask(CMD_CAN_RX_ENABLE, {0x01}).getPayload(), QVector<uint8_t>{0x01});
    QTRY_VERIFY_WITH_TIMEOUT(sink.count() >= atUnplug + 20, 10000);
    stopReceiving(thread);

    for (const QVector<uint8_t> &frame : sink.frames())
        QCOMPARE(frame.size(), 10);
}

void HidrawE2eTest::windowQuitsCleanlyWithTheBoxConnected_data()
{
    QTest::addColumn<bool>("terminate");
    QTest::newRow("SIGTERM") << true;
    QTest::newRow("--quit-after") << false;
}

// The window as its own process, the box connected and locked when it ends: its
// exit runs the static destructors that once released the lock into freed
// memory (a crash, or an AddressSanitizer report, instead of a clean exit).
void HidrawE2eTest::windowQuitsCleanlyWithTheBoxConnected()
{
    QFETCH(bool, terminate);
    m_link->reset();
    QTRY_VERIFY(!m_dev->isOpenByHost());
    QTemporaryDir home;
    QProcess window;
    window.setWorkingDirectory(home.path());
    QStringList args;
    if (!terminate)
        args << QStringLiteral("--quit-after") << QStringLiteral("4000");
    window.start(qEnvironmentVariable("VOTKBOX_BIN"), args);
    QVERIFY(window.waitForStarted());
    const auto handshakeDone = [this] {
        const QList<QByteArray> wire = m_dev->box()->wire();
        return std::any_of(wire.begin(), wire.end(), [](const QByteArray &report) {
            return report.size() > 3 && uint8_t(report.at(3)) == CMD_ENTER_USB_MODE;
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(handshakeDone(), 10000);
    if (terminate)
        window.terminate();
    QVERIFY(window.waitForFinished(15000));
    const QByteArray errors = window.readAllStandardError();
    QVERIFY2(!errors.contains("Sanitizer"), errors.constData());
    QCOMPARE(window.exitStatus(), QProcess::NormalExit);
    QCOMPARE(window.exitCode(), 0);
    QTRY_VERIFY(!m_dev->isOpenByHost());
}

QTEST_GUILESS_MAIN(HidrawE2eTest)
#include "tst_hidraw_e2e.moc"
