// votkbox-cli's commands through the real hidapi-hidraw library, against the
// simulated box on a umockdev hidraw node.

#include "clirun.h"
#include "commands.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "otafile.h"
#include "testsupport.h"
#include "umockdevbox.h"

#include <QtTest>

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr int kImageReports = int(OTA_DATA_SIZE / OTA_REPORT_DATA);

// A well-formed upgrade file the simulated box accepts.
QByteArray upgradeFile()
{
    QByteArray bytes(int(OTA_FILE_SIZE), '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(OTA_FILE_SIZE >> (8 * i));
    for (uint32_t i = 0; i < OTA_DATA_SIZE; ++i)
        bytes[int(OTA_HEADER_SIZE + i)] = char(i * 13 + (i >> 10));
    std::memcpy(bytes.data() + OTA_HEADER_SIZE + OTA_FLAG_OFFSET, "votk", 4);
    bytes[int(OTA_FILE_SIZE) - 1] =
        char(crc8Maxim(reinterpret_cast<const uint8_t *>(bytes.constData()), OTA_FILE_SIZE - 1));
    return bytes;
}

// `votkbox-cli slcan` as its own process: the path of its terminal, empty
// when it did not come up.
QByteArray startBridge(QProcess &bridge, const QStringList &args = {})
{
    bridge.start(qEnvironmentVariable("VOTKBOX_CLI"), QStringList{QStringLiteral("slcan")} + args);
    if (!bridge.waitForReadyRead(15000))
        return QByteArray();
    return bridge.readLine().trimmed();
}

bool stopBridge(QProcess &bridge)
{
    bridge.terminate();
    return bridge.waitForFinished(30000) && bridge.exitStatus() == QProcess::NormalExit &&
           bridge.exitCode() == 0;
}
} // namespace

class CliHidrawTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void info();
    void sendPutsExactBytesOnTheWire();
    void replaySendsEveryFrameByteExactInOrder();
    void monitorPrintsEveryFrameOnceInOrder_data();
    void monitorPrintsEveryFrameOnceInOrder();
    void endsCleanlyOnSignalOrClosedOutput_data();
    void endsCleanlyOnSignalOrClosedOutput();
    void monitorPrintsNoOtherReport();
    void unplugEndsTheRunWithStatus3_data();
    void unplugEndsTheRunWithStatus3();
    void upgradeTakesNoFrameForABlockAnswer();
    void secondProgramFindsTheBoxInUse();
    void slcanLinkLeavesOtherFilesAlone_data();
    void slcanLinkLeavesOtherFilesAlone();
    void slcanDropsTheLineOfAClosedClient();
    void slcanStopsDuringAClientFlood();
    void slcanStopsBetweenTheCommandsOfOneRead();

private:
    int run(const QStringList &args);
    // votkbox-cli as its own process, through bash: `cli` runs it, $FILE is an
    // upgrade file. The script's exit status; its standard error in m_err.
    int runShell(const QString &script);
    // Image reports the box got since init().
    int rawReportsOnWire() const;

    std::unique_ptr<UmockdevBox> m_dev;
    QByteArray m_out;
    QByteArray m_err;
};

void CliHidrawTest::initTestCase()
{
    // The testbed comes before anything that looks at udev.
    m_dev = std::make_unique<UmockdevBox>();
    QVERIFY2(!m_dev->nodePath().isEmpty(), "the testbed took no box");
    setHidBackend(nullptr);
    DeviceLink::instance()->reset();
}

void CliHidrawTest::cleanupTestCase()
{
    DeviceLink::instance()->reset();
    m_dev.reset();
}

void CliHidrawTest::init()
{
    SimBox *box = m_dev->box();
    box->clearFaults();
    box->setCanRate(0);
    box->clearWire();
}

int CliHidrawTest::run(const QStringList &args)
{
    return runCliCaptured(args, &m_out, &m_err, [this] { return !m_dev->isOpenByHost(); });
}

int CliHidrawTest::rawReportsOnWire() const
{
    return m_dev->box()->wire().size() - m_dev->box()->commandsOnWire().size();
}

int CliHidrawTest::runShell(const QString &script)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("fw.ota")));
    if (!file.open(QIODevice::WriteOnly) || file.write(upgradeFile()) != qint64(OTA_FILE_SIZE))
        return -1;
    file.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FILE"), file.fileName());
    // This process ignores SIGHUP (see UmockdevBox) and a child inherits that:
    // `cli` starts the tool with the default, as a login shell would, and
    // execs into it so that $! is the tool.
    QFile cli(dir.filePath(QStringLiteral("cli")));
    if (!cli.open(QIODevice::WriteOnly))
        return -1;
    cli.write("#!/bin/sh\nexec perl -e '$SIG{HUP} = \"DEFAULT\"; exec @ARGV or die' "
              "\"$VOTKBOX_CLI\" \"$@\"\n");
    cli.close();
    cli.setPermissions(cli.permissions() | QFileDevice::ExeOwner);
    env.insert(QStringLiteral("PATH"), dir.path() + QLatin1Char(':') + env.value("PATH"));
    QProcess shell;
    shell.setProcessEnvironment(env);
    shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
    if (!shell.waitForFinished(120000))
        return -1;
    m_err = shell.readAllStandardError();
    return shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
}

void CliHidrawTest::info()
{
    SimBox::Identity id;
    id.softwareId = QStringLiteral("VOTK-X9");
    id.softwareVersion = 0x01000002;
    id.hardwareId = QStringLiteral("20240229");
    m_dev->box()->setIdentity(id);
    m_dev->box()->setWifi(QStringLiteral("bench 7"), QStringLiteral("pa:ss"));
    QCOMPARE(run({QStringLiteral("info")}), 0);
    QCOMPARE(m_out,
             QByteArray("software_id: VOTK-X9\nsoftware_version: 16777218\n"
                        "hardware_id: 20240229\nwifi_name: bench 7\nwifi_password: pa:ss\n"));
    QCOMPARE(m_err, QByteArray());
}

void CliHidrawTest::sendPutsExactBytesOnTheWire()
{
    QCOMPARE(run({QStringLiteral("send"), QStringLiteral("7DF#02010C")}), 0);
    QByteArray frame = QByteArray::fromHex("00080705DF0702010C");
    frame.append(QByteArray(65 - frame.size(), '\0'));
    const QList<QByteArray> wire = m_dev->box()->wire();
    // The connect handshake, then the frame and nothing else.
    QCOMPARE(m_dev->box()->commandsOnWire(), (QList<uint8_t>{0x0C, 0x0D, 0x05}));
    QCOMPARE(wire.last().toHex(), frame.toHex());
}

void CliHidrawTest::replaySendsEveryFrameByteExactInOrder()
{
    QTemporaryDir dir;
    QFile capture(dir.filePath(QStringLiteral("capture.log")));
    QVERIFY(capture.open(QIODevice::WriteOnly));
    QList<QVector<uint8_t>> expected;
    for (int i = 0; i < 1000; ++i) {
        const quint16 id = quint16((i * 37) % 0x800);
        QVector<uint8_t> data;
        for (int b = 0; b < i % 9; ++b)
            data.append(uint8_t(i + b * 31));
        QByteArray hex;
        for (uint8_t b : data)
            hex += QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
        capture.write(QStringLiteral("(1733580000.%1) can0 %2#")
                          .arg(i * 100, 6, 10, QLatin1Char('0'))
                          .arg(QString::number(id, 16).toUpper().rightJustified(3, '0'))
                          .toLatin1() +
                      hex + '\n');
        QVector<uint8_t> payload{uint8_t(id & 0xFF), uint8_t(id >> 8)};
        expected << payload + data;
    }
    capture.close();
    const int before = m_dev->box()->sentCanFrames().size();
    QCOMPARE(run({QStringLiteral("replay"), capture.fileName(), QStringLiteral("--speed"),
                  QStringLiteral("0")}),
             0);
    QCOMPARE(m_dev->box()->sentCanFrames().mid(before), expected);
}

void CliHidrawTest::monitorPrintsEveryFrameOnceInOrder_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("lines");
    QTest::newRow("count") << QStringList{"monitor", "--count", "40"} << 40;
    // Ending on time: the frames already on their way when reporting goes off
    // come between the replies and are printed too.
    QTest::newRow("seconds") << QStringList{"monitor", "--seconds", "0.5"} << -1;
}

void CliHidrawTest::monitorPrintsEveryFrameOnceInOrder()
{
    QFETCH(QStringList, args);
    QFETCH(int, lines);
    SimBox *box = m_dev->box();
    box->setCanRate(200);
    box->setFramesInFlight(3);
    const quint64 sentBefore = box->generatedFramesRead();
    QCOMPARE(run(args), 0);
    QCOMPARE(m_err, QByteArray());
    QVERIFY(!box->canReporting());

    const QList<QByteArray> printed = m_out.split('\n');
    QCOMPARE(printed.last(), QByteArray());
    const int count = printed.size() - 1;
    if (lines >= 0)
        QCOMPARE(count, lines);
    else
        QCOMPARE(quint64(count), box->generatedFramesRead() - sentBefore);
    QCOMPARE(box->droppedReports(), quint64(0));
    QVERIFY(count > 3);
    // The simulated stream numbers its frames in the first data byte.
    const QRegularExpression line(
        QStringLiteral("^\\(\\d+\\.\\d{6}\\) can0 [0-9A-F]{3}#([0-9A-F]{2})[0-9A-F]{14}$"));
    int first = -1;
    for (int i = 0; i < count; ++i) {
        const QRegularExpressionMatch m = line.match(QString::fromLatin1(printed.at(i)));
        QVERIFY2(m.hasMatch(), printed.at(i).constData());
        if (first < 0)
            first = m.captured(1).toInt(nullptr, 16);
        QVERIFY2(m.captured(1).toInt(nullptr, 16) == (first + i) % 256, m_out.constData());
    }
}

// A dropped session (SIGHUP) or a reader of standard output that goes away (a
// pipe into head): a monitor ends with reporting off; an upgrade, whose
// progress goes to the same pipe here, still sends the whole image and finishes.
void CliHidrawTest::endsCleanlyOnSignalOrClosedOutput_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("imageReports");
    QTest::addColumn<QString>("said"); // all of standard error; empty: not looked at
    QTest::newRow("monitor | head -1")
        << "cli monitor | head -1 >/dev/null; exit ${PIPESTATUS[0]}" << 6 << 0 << QString();
    QTest::newRow("upgrade 2>&1 | head -c1")
        << "cli upgrade \"$FILE\" 2>&1 | head -c1 >/dev/null; exit ${PIPESTATUS[0]}" << 0
        << kImageReports << QString();
    QTest::newRow("monitor, SIGHUP")
        << "cli monitor >/dev/null & sleep 1; kill -HUP $!; wait $!" << 0 << 0 << QString();
    QTest::newRow("upgrade, SIGHUP") << "cli upgrade \"$FILE\" 2>/dev/null & "
                                        "sleep 1; kill -HUP $!; wait $!"
                                     << 0 << kImageReports << QString();
    QTest::newRow("send --period, SIGINT")
        << "cli send 7DF#02 --period 10 & sleep 1; kill -INT $!; wait $!" << 0 << 0
        << "votkbox-cli: stopped after \\d+ frames\n";
    // A run cut short says how far it got.
    QTest::newRow("send --period --count, SIGTERM")
        << "cli send 7DF#02 --period 10 --count 1000 & sleep 1; kill -TERM $!; wait $!" << 0 << 0
        << "votkbox-cli: stopped after \\d+ of 1000 frames\n";
    QTest::newRow("replay, SIGTERM")
        << "d=$(mktemp -d); printf '(1.0) can0 100#\\n(100.0) can0 100#\\n' >$d/c.log; "
           "cli replay $d/c.log & sleep 1; kill -TERM $!; wait $!; s=$?; "
           "rm -r $d; exit $s"
        << 0 << 0 << "(replayed 1 of 2\n)*votkbox-cli: stopped after 1 of 2 frames\n";
}

void CliHidrawTest::endsCleanlyOnSignalOrClosedOutput()
{
    QFETCH(QString, script);
    QFETCH(int, exitCode);
    QFETCH(int, imageReports);
    QFETCH(QString, said);
    SimBox *box = m_dev->box();
    box->setCanRate(200);
    box->setRestartTimeMs(200);
    QCOMPARE(runShell(script), exitCode);
    if (!said.isEmpty())
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(said))
                     .match(QString::fromUtf8(m_err))
                     .hasMatch(),
                 m_err.constData());
    QVERIFY(QTest::qWaitFor([this] { return !m_dev->isOpenByHost(); }, 5000));
    QVERIFY(!box->canReporting());
    QCOMPARE(rawReportsOnWire(), imageReports);
    // The image ended and, once the box was back, its verdict asked for.
    const QList<uint8_t> commands = box->commandsOnWire();
    QCOMPARE(commands.contains(CMD_OTA_FINISH) && commands.contains(CMD_OTA_RESULT),
             imageReports > 0);
}

void CliHidrawTest::monitorPrintsNoOtherReport()
{
    SimBox *box = m_dev->box();
    box->setCanRate(20);
    // A late reply to another program's request, say, once frames come.
    QTimer late;
    bool queued = false;
    QObject::connect(&late, &QTimer::timeout, [&] {
        if (!queued && box->canReporting()) {
            box->queueInputReport(inputFrame(0x02, QByteArray("VOTK-WB1")));
            queued = true;
        }
    });
    late.start(2);
    QCOMPARE(run({QStringLiteral("monitor"), QStringLiteral("--count"), QStringLiteral("6")}), 0);
    const QList<QByteArray> printed = m_out.split('\n');
    QVERIFY(queued);
    QCOMPARE(printed.size(), 7);
    QVERIFY2(!m_out.contains("544B2D"), m_out.constData());
}

// A box pulled out mid-run is the same status whatever was running; "CAPTURE"
// stands for a capture of ten seconds.
void CliHidrawTest::unplugEndsTheRunWithStatus3_data()
{
    QTest::addColumn<QStringList>("args");
    // No count or time to end them: without their own end they would never return.
    QTest::newRow("monitor") << QStringList{"monitor"};
    QTest::newRow("send --period") << QStringList{"send", "7DF#02", "--period", "10"};
    QTest::newRow("replay") << QStringList{"replay", "CAPTURE"};
}

void CliHidrawTest::unplugEndsTheRunWithStatus3()
{
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    QFile capture(dir.filePath(QStringLiteral("capture.log")));
    QVERIFY(capture.open(QIODevice::WriteOnly));
    for (int i = 0; i < 1000; ++i)
        capture.write(QStringLiteral("(17335800%1.%2) can0 123#%3\n")
                          .arg(i / 100, 2, 10, QLatin1Char('0'))
                          .arg(i % 100 * 10000, 6, 10, QLatin1Char('0'))
                          .arg(i % 256, 2, 16, QLatin1Char('0'))
                          .toLatin1());
    capture.close();
    args.replaceInStrings(QStringLiteral("CAPTURE"), capture.fileName());
    m_dev->box()->setCanRate(50);
    QTimer::singleShot(200, [this] { m_dev->unplug(); });
    const int code = run(args);
    m_dev->plug();
    QVERIFY2(code == 3, m_err.constData());
    // After any progress, what ended it.
    QVERIFY2(m_err.trimmed().split('\n').last().startsWith("votkbox-cli: "), m_err.constData());
}

// Frames keep coming while the box answers no block: none may pass for an answer.
void CliHidrawTest::upgradeTakesNoFrameForABlockAnswer()
{
    SimBox *box = m_dev->box();
    box->setBlockAnswers(false);
    QTimer frames;
    int sent = 0;
    QObject::connect(&frames, &QTimer::timeout, [&] {
        box->queueCanFrame({0x23, 0x01, uint8_t(sent++)});
    });
    frames.start(5);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("fw.ota")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(upgradeFile());
    file.close();
    const int code = run({QStringLiteral("upgrade"), file.fileName()});
    frames.stop();
    box->setBlockAnswers(true);
    QCOMPARE(code, 5);
    QVERIFY(sent > 0);
    QVERIFY(rawReportsOnWire() < kImageReports);
    // Reporting went off before the upgrade started; the image was never ended.
    const QList<uint8_t> commands = box->commandsOnWire();
    QCOMPARE(commands.mid(0, 4),
             (QList<uint8_t>{CMD_PROBE, CMD_ENTER_USB_MODE, CMD_CAN_RX_ENABLE, CMD_OTA_START}));
    QVERIFY(!commands.contains(CMD_OTA_FINISH));
    // The box still takes everything as image data: a power cycle ends that.
    m_dev->unplug();
    m_dev->plug();
}

void CliHidrawTest::secondProgramFindsTheBoxInUse()
{
    DeviceLink *link = DeviceLink::instance();
    QVERIFY(link->openBox().opened());
    m_dev->box()->clearWire();
    const int code = runShell(QStringLiteral("cli info"));
    const QList<QByteArray> wire = m_dev->box()->wire();
    link->close();
    QCOMPARE(code, 7);
    QVERIFY2(m_err.contains("PID " + QByteArray::number(qint64(::getpid()))), m_err.constData());
    QCOMPARE(wire.size(), 0);
}

// What is at the --link path belongs to someone else unless it is a link an
// earlier bridge left to a terminal that is gone; at exit the bridge removes
// only a link that still leads to its own terminal.
void CliHidrawTest::slcanLinkLeavesOtherFilesAlone_data()
{
    QTest::addColumn<QString>("before"); // what is at the path
    QTest::addColumn<bool>("refused");
    QTest::newRow("a regular file") << "file" << true;
    QTest::newRow("a link to a file") << "link" << true;
    QTest::newRow("another bridge's link") << "bridge" << true;
    QTest::newRow("a link to a terminal that is gone") << "stale" << false;
    QTest::newRow("a file put in its place while serving") << "later" << false;
}

void CliHidrawTest::slcanLinkLeavesOtherFilesAlone()
{
    QFETCH(QString, before);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("slcan0"));
    const QString data = dir.filePath(QStringLiteral("data"));
    QFile file(data);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep") == 4);
    file.close();
    QProcess first;
    if (before == QLatin1String("file")) {
        QVERIFY(QFile::copy(data, link));
    } else if (before == QLatin1String("link")) {
        QVERIFY(QFile::link(data, link));
    } else if (before == QLatin1String("bridge")) {
        QVERIFY(!startBridge(first, {QStringLiteral("--link"), link}).isEmpty());
    } else if (before == QLatin1String("stale")) {
        int n = 900;
        while (QFileInfo::exists(QStringLiteral("/dev/pts/%1").arg(n)))
            ++n;
        QVERIFY(QFile::link(QStringLiteral("/dev/pts/%1").arg(n), link));
    }
    const QString target = QFileInfo(link).symLinkTarget();
    m_dev->box()->clearWire();

    QProcess bridge;
    if (refused) {
        bridge.start(qEnvironmentVariable("VOTKBOX_CLI"),
                     {QStringLiteral("slcan"), QStringLiteral("--link"), link});
        QVERIFY(bridge.waitForFinished(30000));
        const QByteArray err = bridge.readAllStandardError();
        QVERIFY2(bridge.exitCode() == 4, err.constData());
        QVERIFY2(err.contains(QFile::encodeName(link)), err.constData());
        QCOMPARE(m_dev->box()->wire().size(), 0);
    } else {
        const QByteArray pts = startBridge(bridge, {QStringLiteral("--link"), link});
        QVERIFY2(pts.startsWith("/dev/pts/"), bridge.readAllStandardError().constData());
        QCOMPARE(QFileInfo(link).symLinkTarget(), QString::fromLatin1(pts));
        if (before == QLatin1String("later")) {
            QVERIFY(QFile::remove(link));
            QVERIFY(QFile::copy(data, link));
        }
        QVERIFY2(stopBridge(bridge), bridge.readAllStandardError().constData());
    }
    if (before == QLatin1String("bridge"))
        QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    if (first.state() != QProcess::NotRunning)
        QVERIFY2(stopBridge(first), first.readAllStandardError().constData());
    if (before == QLatin1String("link"))
        QCOMPARE(QFileInfo(link).symLinkTarget(), data);
    QFile kept(link);
    const bool keepsData = before == QLatin1String("file") || before == QLatin1String("later");
    QCOMPARE(kept.open(QIODevice::ReadOnly) && kept.readAll() == "keep" &&
                 !QFileInfo(link).isSymLink(),
             keepsData);
    if (before == QLatin1String("bridge") || before == QLatin1String("stale"))
        QVERIFY(!QFileInfo(link).isSymLink() && !QFileInfo::exists(link));
}

// One client at a time, and one that closes in the middle of a line leaves
// nothing to the next, even one that starts with a CR, as clients send to
// clear an adapter's line.
void CliHidrawTest::slcanDropsTheLineOfAClosedClient()
{
    SimBox *box = m_dev->box();
    QProcess bridge;
    const QByteArray pts = startBridge(bridge);
    QVERIFY2(pts.startsWith("/dev/pts/"), bridge.readAllStandardError().constData());
    const int before = box->sentCanFrames().size();
    int fd = ::open(pts.constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "O\rt1230", 7), ssize_t(7));
    ::close(fd);
    // A later client, not one racing the first.
    QTest::qWait(500);
    fd = ::open(pts.constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "\rO\rt4561AA\r", 12), ssize_t(12));
    QTRY_VERIFY_WITH_TIMEOUT(box->sentCanFrames().size() > before, 10000);
    // While it is served, no other client may open the terminal.
    int exclusive = 0;
    // Past umockdev's ioctl wrapper, which takes every terminal under /dev.
    const long asked = ::syscall(SYS_ioctl, fd, TIOCGEXCL, &exclusive);
    QVERIFY2(asked == 0, std::strerror(errno));
    QCOMPARE(exclusive, 1);
    ::close(fd);
    QVERIFY2(stopBridge(bridge), bridge.readAllStandardError().constData());
    QCOMPARE(box->sentCanFrames().mid(before), (QList<QVector<uint8_t>>{{0x56, 0x04, 0xAA}}));
}

// A client that writes frames faster than the box takes them: it still gets
// its answers, and a stop still ends the bridge. (What reaches the box after
// a stop is checked without a race below.)
void CliHidrawTest::slcanStopsDuringAClientFlood()
{
    SimBox *box = m_dev->box();
    QProcess bridge;
    const QByteArray pts = startBridge(bridge);
    QVERIFY2(pts.startsWith("/dev/pts/"), bridge.readAllStandardError().constData());
    const int fd = ::open(pts.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    std::atomic<bool> done{false};
    std::atomic<qint64> answered{0};
    // Writes until the bridge is gone (or a minute is up), reading the answers.
    std::thread client([&] {
        QByteArray lines = "O\r";
        for (int i = 0; i < 100; ++i)
            lines += "t12380011223344556677\r";
        int offset = 0;
        QElapsedTimer t;
        t.start();
        while (!done && t.elapsed() < 60000) {
            pollfd p = {fd, POLLIN | POLLOUT, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            char answers[4096];
            const ssize_t got = (p.revents & POLLIN) ? ::read(fd, answers, sizeof answers) : 0;
            if (got < 0 && errno == EIO)
                break;
            answered += got > 0 ? got : 0;
            if (!(p.revents & POLLOUT))
                continue;
            const ssize_t n =
                ::write(fd, lines.constData() + offset, size_t(lines.size() - offset));
            if (n < 0 && errno != EAGAIN)
                break;
            offset = n > 0 ? (offset + int(n)) % lines.size() : offset;
            if (offset == 0)
                offset = 2; // the frames again, not the O
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(box->sentCanFrames().size() >= 50, 20000);
    // Its answers come while it writes, not once it pauses.
    QTRY_VERIFY_WITH_TIMEOUT(answered > 0, 20000);
    bridge.terminate();
    const bool ended = bridge.waitForFinished(30000);
    done = true;
    client.join();
    ::close(fd);
    QVERIFY(ended);
    QCOMPARE(bridge.exitCode(), 0);
}

// A stop that comes while the bridge waits on the box ends it before the
// rest of that one read: the frames behind the question never reach the bus.
void CliHidrawTest::slcanStopsBetweenTheCommandsOfOneRead()
{
    SimBox *box = m_dev->box();
    QProcess bridge;
    const QByteArray pts = startBridge(bridge);
    QVERIFY2(pts.startsWith("/dev/pts/"), bridge.readAllStandardError().constData());
    const int fd = ::open(pts.constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "O\r", 2), ssize_t(2));
    char answer = 0;
    QCOMPARE(::read(fd, &answer, 1), ssize_t(1));
    QCOMPARE(answer, '\r');
    const int before = box->sentCanFrames().size();
    box->setReplyDelayMs(500);
    // Well under one read of the bridge, and written at once.
    QByteArray lines = "V\r";
    for (int i = 0; i < 30; ++i)
        lines += "t12380011223344556677\r";
    QCOMPARE(::write(fd, lines.constData(), size_t(lines.size())), ssize_t(lines.size()));
    QTRY_VERIFY_WITH_TIMEOUT(box->commandsOnWire().contains(CMD_GET_SOFTWARE_VERSION), 10000);
    bridge.terminate();
    const bool ended = bridge.waitForFinished(30000);
    ::close(fd);
    QVERIFY(ended);
    QVERIFY2(bridge.exitCode() == 0, bridge.readAllStandardError().constData());
    QCOMPARE(box->sentCanFrames().size(), before);
}

QTEST_GUILESS_MAIN(CliHidrawTest)
#include "tst_cli_hidraw.moc"
