#include "commands.h"
#include "devicelink.h"
#include "reportframing.h"
#include "testsupport.h"

#include <QtTest>

#include <thread>

#include <cerrno>
#include <cstdarg>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// Where open() behaves as under fs.protected_regular (Debian's default): a
// file that exists there refuses O_CREAT, as another user's file in a sticky
// folder does, even for root. Empty: open() as the system has it.
QByteArray protectedFolder;
} // namespace

extern "C" int open(const char *path, int flags, ...)
{
    mode_t mode = 0;
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list args;
        va_start(args, flags);
        mode = mode_t(va_arg(args, int));
        va_end(args);
    }
    struct stat info = {};
    if (!protectedFolder.isEmpty() && (flags & O_CREAT) && !(flags & O_EXCL) &&
        QByteArray(path).startsWith(protectedFolder) && ::lstat(path, &info) == 0 &&
        S_ISREG(info.st_mode)) {
        errno = EACCES;
        return -1;
    }
    return int(::syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

// The report framing and the link's own rules, against the simulated box.
class TestDeviceLink : public QObject
{
    Q_OBJECT
private slots:
    void outputReportIsExact_data();
    void outputReportIsExact();
    void oversizedPayloadWritesNothing();
    void inputFrameDecoding_data();
    void inputFrameDecoding();
    void shortReadDecodesAsZeroPadded();
    void timeoutGivesEmptyCommandZero();
    void staleReplyIsNotTakenForTheAnswer();
    void fullHostQueueDropsNewReportsAndLinkGoesOn();
    void rawWriteFraming();
    void rawWriteRejectsBadLengths();
    void noHandleTouchesNothing();
    void reopenReleasesTheOldHandle();
    void framesWhileTheNodeIsClosedReachNobody();
    void failedOpenKeepsFlagAndDropsHandle();
    void identityStrings();
    void claimedLinkRefusesOtherThreads();
    void boxHeldByAnotherProgramIsNotOpened();
    void failedReopenKeepsTheLockHeldBefore();
    void unusableLockFileNeverOpensUnlocked_data();
    void unusableLockFileNeverOpensUnlocked();
};

void TestDeviceLink::outputReportIsExact_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("head");
    QTest::newRow("can rx enable")
        << int(CMD_CAN_RX_ENABLE) << hexBytes("01") << hexBytes("00 08 03 0e 01");
    QTest::newRow("empty probe") << int(CMD_PROBE) << QByteArray() << hexBytes("00 08 02 0c");
    QTest::newRow("full frame") << int(CMD_SET_WIFI_INFO) << QByteArray(61, 'x')
                                << (hexBytes("00 08 3f 01") + QByteArray(61, 'x'));
}

void TestDeviceLink::outputReportIsExact()
{
    QFETCH(int, cmd);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, head);
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    CmdPacket p;
    p.set(uint8_t(cmd), bytesVector(payload));
    QCOMPARE(link->sendPacket(p), 65);
    const QByteArray expected = head + QByteArray(65 - head.size(), '\0');
    QCOMPARE(sim.box.wire(), QList<QByteArray>{expected});
}

void TestDeviceLink::oversizedPayloadWritesNothing()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    CmdPacket p;
    p.set(CMD_SET_WIFI_INFO, QVector<uint8_t>(62, 0x41));
    QCOMPARE(link->sendPacket(p), -1);
    const LinkReply reply = link->exchange(p.getCmd(), p.getPayload());
    QCOMPARE(reply.result, -1);
    QVERIFY(reply.payload().isEmpty());
    QVERIFY(sim.box.wire().isEmpty());
}

void TestDeviceLink::inputFrameDecoding_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QByteArray>("payload");
    // What every reader of the link takes it for: "ID data" when it is a CAN
    // frame, empty when it is none.
    QTest::addColumn<QString>("canFrame");
    QTest::newRow("version reply")
        << hexBytes("08 06 03 01 02 00 00") << 3 << hexBytes("01 02 00 00") << "";
    QTest::newRow("reply to reporting on")
        << hexBytes("08 03 0e 01") << 0x0E << hexBytes("01") << "";
    QTest::newRow("length 0") << hexBytes("08 00 07 55 55") << 7 << QByteArray() << "";
    QTest::newRow("length 1") << hexBytes("08 01 07 55 55") << 7 << QByteArray() << "";
    QTest::newRow("length 2") << hexBytes("08 02 07 55 55") << 7 << QByteArray() << "";
    QTest::newRow("unknown code with a frame's bytes")
        << hexBytes("08 05 7e 23 01 aa") << 0x7E << hexBytes("23 01 aa") << "";
    QTest::newRow("frame") << hexBytes("08 05 05 23 01 aa") << 5 << hexBytes("23 01 aa")
                           << "123 aa";
    QTest::newRow("frame without data")
        << hexBytes("08 04 05 00 00 55") << 5 << hexBytes("00 00") << "0 ";
    QTest::newRow("frame too short for an identifier")
        << hexBytes("08 03 05 23 01") << 5 << hexBytes("23") << "";
    QTest::newRow("frame with no payload") << hexBytes("08 02 05 23 01") << 5 << QByteArray() << "";
    QTest::newRow("any marker") << hexBytes("ff 04 05 23 01") << 5 << hexBytes("23 01") << "123 ";
    QByteArray full(64, '\x11');
    full[1] = char(255);
    full[2] = 0x05;
    const QString fullFrame = "1111 " + QString(59 * 2, '1');
    QTest::newRow("length 255 stays in the frame")
        << full << 5 << QByteArray(61, '\x11') << fullFrame;
    full[1] = char(64);
    QTest::newRow("length 64 stays in the frame")
        << full << 5 << QByteArray(61, '\x11') << fullFrame;
}

void TestDeviceLink::inputFrameDecoding()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, cmd);
    QFETCH(QByteArray, payload);
    QFETCH(QString, canFrame);
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    sim.box.queueInputReport(frame);
    CmdPacket reply;
    QCOMPARE(link->receivePacket(reply, true), 64);
    QCOMPARE(int(reply.getCmd()), cmd);
    QCOMPARE(vectorBytes(reply.getPayload()), payload);

    QByteArray report = frame;
    report.append(QByteArray(64 - report.size(), '\0'));
    CanFrame read;
    read.timeUs = 42;
    QString taken;
    if (canFrameOfReport(reinterpret_cast<const uint8_t *>(report.constData()), 64, &read))
        taken = QString::number(read.id, 16) + ' ' +
                QString::fromLatin1(vectorBytes(read.dataVector()).toHex());
    QCOMPARE(taken, canFrame);
    QCOMPARE(read.timeUs, qint64(42));
}

void TestDeviceLink::shortReadDecodesAsZeroPadded()
{
    const uint8_t bytes[] = {0x08, 0x20, 0x03, 0xAA};
    const CmdPacket p = decodeInputReport(bytes, sizeof bytes);
    QCOMPARE(int(p.getCmd()), 3);
    QCOMPARE(p.getPayload().size(), 30);
    QCOMPARE(int(p.getPayload().at(0)), 0xAA);
    QCOMPARE(int(p.getPayload().at(29)), 0);
}

void TestDeviceLink::timeoutGivesEmptyCommandZero()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    sim.box.setInstantTimeouts(true);
    CmdPacket reply;
    reply.set(9, {1, 2});
    QCOMPARE(link->receivePacket(reply, true), 0);
    QCOMPARE(int(reply.getCmd()), 0);
    QVERIFY(reply.getPayload().isEmpty());
    QCOMPARE(link->receivePacket(reply, false), 0);
}

void TestDeviceLink::staleReplyIsNotTakenForTheAnswer()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    // A late answer to an earlier probe, and one to another command.
    sim.box.queueInputReport(inputFrame(CMD_PROBE, hexBytes("05")));
    sim.box.queueInputReport(inputFrame(CMD_GET_CAN_TIME, hexBytes("63")));
    sim.box.setCanTime(30);
    QCOMPARE(link->exchange(CMD_PROBE).payload(), QVector<uint8_t>{0x01});
    QCOMPARE(link->exchange(CMD_GET_CAN_TIME).payload(), QVector<uint8_t>{30});
}

void TestDeviceLink::fullHostQueueDropsNewReportsAndLinkGoesOn()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    QVERIFY(link->exchange(CMD_CAN_RX_ENABLE, {1}).answered());
    // A rate any build reads faster than, once somebody reads again.
    sim.box.setCanRate(2000);
    // Nobody reads: hidraw keeps 64 reports and loses the rest.
    QTRY_VERIFY(sim.box.droppedReports() > 100);
    sim.box.setCanTime(42);
    QCOMPARE(link->exchange(CMD_GET_CAN_TIME).payload(), QVector<uint8_t>{42});
    QVERIFY(link->exchange(CMD_CAN_RX_ENABLE, {0}).answered());
    QVERIFY(!sim.box.canReporting());
}

void TestDeviceLink::rawWriteFraming()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    QByteArray data(64, '\0');
    for (int i = 0; i < 64; ++i)
        data[i] = char(i + 1);
    QCOMPARE(link->writeRaw(reinterpret_cast<const uint8_t *>(data.constData()), 64), 65);
    QCOMPARE(sim.box.wire().value(0), QByteArray(1, '\0') + data);
}

void TestDeviceLink::rawWriteRejectsBadLengths()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    uint8_t data[80] = {};
    QCOMPARE(link->writeRaw(data, 65), -1);
    QCOMPARE(link->writeRaw(data, -1), -1);
    QCOMPARE(link->writeRaw(nullptr, 4), -1);
    QVERIFY(sim.box.wire().isEmpty());
}

void TestDeviceLink::noHandleTouchesNothing()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    CmdPacket p;
    p.set(CMD_PROBE, {});
    CmdPacket reply;
    reply.set(4, {4});
    QCOMPARE(link->sendPacket(p), -1);
    QCOMPARE(link->receivePacket(reply, true), -1);
    QVERIFY(reply.getPayload().isEmpty());
    uint8_t raw[64] = {};
    QCOMPARE(link->writeRaw(raw, 64), -1);
    QCOMPARE(link->exchange(CMD_PROBE).result, -1);
    QVERIFY(sim.box.wire().isEmpty());
}

void TestDeviceLink::reopenReleasesTheOldHandle()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    for (int i = 0; i < 5; ++i)
        QCOMPARE(link->open(), 0);
    QCOMPARE(sim.backend.openHandles(), 1);
    // The new handle works.
    const LinkReply reply = link->exchange(CMD_PROBE);
    QVERIFY(reply.answered());
    QCOMPARE(int(reply.packet.getCmd()), int(CMD_PROBE));
}

// As with hidraw: what the box sends while no handle has its node open is
// lost, and a new handle starts with what comes after it opened.
void TestDeviceLink::framesWhileTheNodeIsClosedReachNobody()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    QVERIFY(link->exchange(CMD_CAN_RX_ENABLE, {1}).answered());
    sim.box.setCanRate(1000);
    link->close();
    QTest::qWait(200); // about 200 frames sent to a closed node
    HidHandle *handle = sim.backend.open(0x28E9, 0x028F, nullptr);
    QVERIFY(handle);
    uint8_t report[64];
    int queued = 0;
    while (sim.backend.readTimeout(handle, report, sizeof report, 0) > 0)
        ++queued;
    sim.backend.close(handle);
    QVERIFY2(queued < 50, qPrintable(QString::number(queued)));
}

void TestDeviceLink::failedOpenKeepsFlagAndDropsHandle()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    QVERIFY(link->isConnected());
    sim.box.unplug();
    QCOMPARE(link->open(), -1);
    QVERIFY(link->isConnected());
    QVERIFY(!link->hasHandle());
    QCOMPARE(sim.backend.openHandles(), 0);
}

void TestDeviceLink::identityStrings()
{
    SimFixture sim;
    LogCapture log;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    QCOMPARE(link->manufacturer(), QStringLiteral("VOTK"));
    QCOMPARE(link->product(), QStringLiteral("VOTK-WIFI BOX"));
    QCOMPARE(link->serialNumber(), QStringLiteral("0001"));
    const int at = log.indexOf(QStringLiteral("manufacturer:"));
    QVERIFY(at >= 0);
    QVERIFY(log.lines().at(at).contains(QStringLiteral("product:")));
    QCOMPARE(log.lines().value(at + 1), QString(41, QLatin1Char('-')));
}

void TestDeviceLink::claimedLinkRefusesOtherThreads()
{
    SimFixture sim;
    DeviceLink *link = DeviceLink::instance();
    QCOMPARE(link->open(), 0);
    QVERIFY(link->claim());
    int otherResult = 0;
    int otherOpen = 0;
    bool otherClaim = true;
    // A std::thread: its join is visible to ThreadSanitizer, QThread::wait is not.
    std::thread other([&] {
        otherResult = link->exchange(CMD_PROBE).result;
        otherOpen = link->open();
        otherClaim = link->claim();
    });
    other.join();
    QCOMPARE(otherResult, -1);
    QCOMPARE(otherOpen, -1);
    QVERIFY(!otherClaim);
    QVERIFY(sim.box.wire().isEmpty());
    // The owner still talks to the box.
    QVERIFY(link->exchange(CMD_PROBE).answered());
    link->release();
    QVERIFY(!link->isClaimedByOther());
}

void TestDeviceLink::boxHeldByAnotherProgramIsNotOpened()
{
    SimFixture sim;
    sim.backend.setSharedWithOtherPrograms(true);
    SimBox::Identity id = sim.box.identity();
    id.serialNumber = QStringLiteral("lock-%1").arg(QCoreApplication::applicationPid());
    sim.box.setIdentity(id);
    const QString key = BoxLock::keyFor(id.serialNumber, QStringLiteral("sim:votkbox"));
    DeviceLink *link = DeviceLink::instance();

    // A process name can carry a terminal's escape sequences.
    LockHolder other(BoxLock::filePath(key), "tst\x1b[2Jgone");
    QVERIFY(other.pid() > 0);
    const LinkOpenResult refused = link->openBox();
    QCOMPARE(int(refused.status), int(LinkOpenResult::InUse));
    QCOMPARE(refused.holder.pid, other.pid());
    QCOMPARE(refused.holder.program, QStringLiteral("tst\\x1b[2Jgone"));
    QCOMPARE(sim.backend.openHandles(), 0);
    QVERIFY(sim.box.wire().isEmpty());
    QVERIFY(!link->isConnected());

    // The system drops a crashed holder's lock; the box opens and stays locked
    // against a second lock of this process until the link closes.
    other.crash();
    QVERIFY(link->openBox().opened());
    BoxLock second;
    BoxLockHolder holder;
    QCOMPARE(int(second.acquire(key, &holder)), int(BoxLock::Result::InUse));
    QCOMPARE(holder.pid, QCoreApplication::applicationPid());
    QVERIFY(link->exchange(CMD_PROBE).answered());
    link->close();
    QCOMPARE(int(second.acquire(key)), int(BoxLock::Result::Locked));
    second.release();
    QFile::remove(BoxLock::filePath(key));
}

// The box is listed but its node cannot be opened (a re-plug half done): the
// lock taken before stays, or another program could take the box meanwhile.
void TestDeviceLink::failedReopenKeepsTheLockHeldBefore()
{
    struct RefusingBackend : SimHidBackend
    {
        using SimHidBackend::SimHidBackend;
        bool refuse = false;
        HidHandle *open(unsigned short v, unsigned short p, const wchar_t *s) override
        {
            return refuse ? nullptr : SimHidBackend::open(v, p, s);
        }
        HidHandle *openPath(const char *path) override
        {
            return refuse ? nullptr : SimHidBackend::openPath(path);
        }
    };
    SimFixture sim;
    RefusingBackend backend(sim.box);
    backend.setSharedWithOtherPrograms(true);
    DeviceLink *link = DeviceLink::instance();
    link->setBackend(&backend);
    const QString key = BoxLock::keyFor(sim.box.identity().serialNumber, SimHidBackend::kPath);
    QVERIFY(link->openBox().opened());
    backend.refuse = true;
    QCOMPARE(link->open(), -1);
    BoxLock other;
    QCOMPARE(int(other.acquire(key)), int(BoxLock::Result::InUse));
    link->reset();
    link->setBackend(&sim.backend);
}

void TestDeviceLink::unusableLockFileNeverOpensUnlocked_data()
{
    QTest::addColumn<QString>("planted");
    QTest::addColumn<int>("serialLength");
    QTest::addColumn<bool>("opens");
    QTest::newRow("another user's file, protected_regular") << "foreign file" << 4 << true;
    QTest::newRow("symbolic link") << "symlink" << 4 << false;
    QTest::newRow("dangling symbolic link") << "dangling symlink" << 4 << false;
    QTest::newRow("directory") << "directory" << 4 << false;
    QTest::newRow("no lock folder") << "no folder" << 4 << false;
    QTest::newRow("serial too long for a file name") << "" << 300 << true;
}

void TestDeviceLink::unusableLockFileNeverOpensUnlocked()
{
    QFETCH(QString, planted);
    QFETCH(int, serialLength);
    QFETCH(bool, opens);
    QTemporaryDir dir;
    const QString folder = planted == "no folder" ? dir.filePath("gone") : dir.path();
    const QByteArray previous = qgetenv("VOTKBOX_LOCK_DIR");
    qputenv("VOTKBOX_LOCK_DIR", QFile::encodeName(folder));
    SimFixture sim;
    sim.backend.setSharedWithOtherPrograms(true);
    SimBox::Identity id = sim.box.identity();
    id.serialNumber = QString(serialLength, QLatin1Char('7'));
    sim.box.setIdentity(id);
    const QString key = BoxLock::keyFor(id.serialNumber, QStringLiteral("sim:votkbox"));
    const QString lockFile = BoxLock::filePath(key);
    const QString target = dir.filePath("target");
    QFile(target).open(QIODevice::WriteOnly);
    if (planted == "foreign file") {
        QFile(lockFile).open(QIODevice::WriteOnly);
        protectedFolder = QFile::encodeName(folder);
    } else if (planted == "symlink") {
        QVERIFY(QFile::link(target, lockFile));
    } else if (planted == "dangling symlink") {
        QVERIFY(QFile::link(dir.filePath("nothing"), lockFile));
    } else if (planted == "directory") {
        QVERIFY(QDir().mkdir(lockFile));
    }

    DeviceLink *link = DeviceLink::instance();
    const LinkOpenResult outcome = link->openBox();
    protectedFolder.clear();
    QCOMPARE(outcome.opened(), opens);
    if (opens) {
        QVERIFY(QFileInfo(lockFile).fileName().toUtf8().size() <= 255);
        BoxLock second;
        QCOMPARE(int(second.acquire(key)), int(BoxLock::Result::InUse));
    } else {
        QCOMPARE(int(outcome.status), int(LinkOpenResult::LockFailed));
        QVERIFY(!outcome.lockFailure.isEmpty());
        QCOMPARE(sim.backend.openHandles(), 0);
        QVERIFY(!QFileInfo::exists(dir.filePath("nothing")));
        QCOMPARE(QFileInfo(target).size(), 0);
    }
    link->close();
    qputenv("VOTKBOX_LOCK_DIR", previous);
}

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
