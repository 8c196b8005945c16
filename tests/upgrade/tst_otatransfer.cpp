// The firmware transfer against the simulated box: what goes on the wire, the
// progress reports, the verdict, the restart and the link kept to the transfer.
#include "commands.h"
#include "config.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "otahandle.h"
#include "testsupport.h"

#include <QDeadlineTimer>
#include <QtTest>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace {
// A progress report has no verdict; the verdict comes last, with no value.
const QString kUpgrading;
const QString kSuccess = QStringLiteral("success");
const QString kFailure = QStringLiteral("failed");
const QString kLost = QStringLiteral("interrupted");
const QString kBusy = QStringLiteral("link busy");
constexpr int kReports = int(OTA_DATA_SIZE / OTA_REPORT_DATA);
// The pause leaves the box's restart timer a wide margin: on a loaded machine,
// or under ThreadSanitizer, its thread can wake tens of milliseconds late.
constexpr unsigned long kShortPauseMs = 250;
constexpr int kShortRestartMs = 10;

struct Report
{
    int value;
    QString text;
    bool operator==(const Report &o) const { return value == o.value && text == o.text; }
};

QString verdictName(OtaVerdict verdict)
{
    switch (verdict) {
    case OtaVerdict::Success:
        return kSuccess;
    case OtaVerdict::Failed:
        return kFailure;
    case OtaVerdict::Interrupted:
        return kLost;
    case OtaVerdict::LinkBusy:
        return kBusy;
    }
    return QStringLiteral("?");
}

char *toString(const Report &r)
{
    return QTest::toString(QString::number(r.value) + QLatin1Char(' ') + r.text);
}

// Notes the progress reports and the verdict in the transfer's own thread,
// under a lock. A
// QSignalSpy appends there unguarded, and the test's read of it was ordered
// only by QThread::wait, whose hand-over inside Qt ThreadSanitizer cannot see.
class ProgressLog
{
public:
    explicit ProgressLog(OtaHandle *ota)
    {
        m_progress = QObject::connect(ota, &OtaHandle::sig_send_ota_progress, [this](int value) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_reports.append({value, kUpgrading});
        });
        m_verdict = QObject::connect(ota, &OtaHandle::sig_ota_verdict, [this](OtaVerdict verdict) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_reports.append({-1, verdictName(verdict)});
        });
    }
    ~ProgressLog()
    {
        QObject::disconnect(m_progress);
        QObject::disconnect(m_verdict);
    }
    ProgressLog(const ProgressLog &) = delete;
    ProgressLog &operator=(const ProgressLog &) = delete;

    QList<Report> reports() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_reports;
    }

private:
    QMetaObject::Connection m_progress;
    QMetaObject::Connection m_verdict;
    mutable std::mutex m_mutex;
    QList<Report> m_reports;
};

QList<Report> reports(const ProgressLog &log)
{
    return log.reports();
}

QList<Report> expectedReports(int lastValue, const QString &lastText)
{
    QList<Report> out = {{10, kUpgrading}, {20, kUpgrading}};
    for (int value = 20; value <= 85; value += 5)
        out.append({value, kUpgrading});
    out.append({lastValue, kUpgrading});
    out.append({-1, lastText});
    return out;
}

QByteArray testImage(int seed)
{
    QByteArray bytes(int(OTA_DATA_SIZE), '\0');
    for (uint32_t i = 0; i < OTA_DATA_SIZE; ++i)
        bytes[int(i)] = char(uint8_t(i * 7 + (i >> 10) + uint32_t(seed)));
    return bytes;
}

void fillImage(OtaHandle &ota, int seed)
{
    ota.setImage(testImage(seed));
}

QByteArray sumBytes(const OtaHandle &ota)
{
    const quint16 sum = ota.imageSum();
    QByteArray bytes(2, '\0');
    bytes[0] = char(sum & 0xFF);
    bytes[1] = char(sum >> 8);
    return bytes;
}

// Sits between the link and the simulated box and notes every call's kind.
class RecordingBackend : public HidBackend
{
public:
    explicit RecordingBackend(HidBackend *inner) : m_inner(inner)
    {
        DeviceLink::instance()->setBackend(this);
    }
    ~RecordingBackend() override { DeviceLink::instance()->setBackend(m_inner); }

    int init() override { return m_inner->init(); }
    HidHandle *open(unsigned short vid, unsigned short pid, const wchar_t *serial) override
    {
        note("open");
        return m_inner->open(vid, pid, serial);
    }
    int write(HidHandle *dev, const unsigned char *data, size_t length) override
    {
        note("write");
        return m_inner->write(dev, data, length);
    }
    int readTimeout(HidHandle *dev, unsigned char *data, size_t length, int ms) override
    {
        return m_inner->readTimeout(dev, data, length, ms);
    }
    int getSerialNumberString(HidHandle *dev, wchar_t *s, size_t n) override
    {
        return m_inner->getSerialNumberString(dev, s, n);
    }
    int getManufacturerString(HidHandle *dev, wchar_t *s, size_t n) override
    {
        return m_inner->getManufacturerString(dev, s, n);
    }
    int getProductString(HidHandle *dev, wchar_t *s, size_t n) override
    {
        return m_inner->getProductString(dev, s, n);
    }
    void close(HidHandle *dev) override { m_inner->close(dev); }

    QStringList calls() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }

private:
    void note(const char *what)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls << QString::fromLatin1(what);
    }

    HidBackend *m_inner;
    mutable std::mutex m_mutex;
    QStringList m_calls;
};
} // namespace

class TstOtaTransfer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fullRunWithRealPause();
    void imageSumAnnounced_data();
    void imageSumAnnounced();
    void verdictFollowsResultByte_data();
    void verdictFollowsResultByte();
    void boxNotBackFailsWithoutWriting();
    void autoConnectUntouchedWhileBoxRestarts_data();
    void autoConnectUntouchedWhileBoxRestarts();
    void otherThreadsFailWhileTransferRuns();
    void runsAgainAfterFinishing();
    void linkHeldElsewhereFailsAtOnce();
    void destructorWaitsForRunningTransfer();
    void framesNeverPassForBlockAnswers();

private:
    bool runToEnd(OtaHandle &ota);
    std::unique_ptr<SimFixture> m_sim;
    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<OtaHandle> m_ota;
};

void TstOtaTransfer::init()
{
    m_sim = std::make_unique<SimFixture>();
    m_dir = std::make_unique<TempWorkDir>();
    m_ota = std::make_unique<OtaHandle>(*DeviceLink::instance());
    m_sim->box.setRestartTimeMs(kShortRestartMs);
    m_ota->setRestartPauseMs(kShortPauseMs);
    fillImage(*m_ota, 0);
    QCOMPARE(DeviceLink::instance()->open(), 0);
    m_sim->box.clearWire();
}

void TstOtaTransfer::cleanup()
{
    m_ota.reset();
    m_dir.reset();
    m_sim.reset();
}

bool TstOtaTransfer::runToEnd(OtaHandle &ota)
{
    ota.start();
    return ota.wait(QDeadlineTimer(120000));
}

void TstOtaTransfer::fullRunWithRealPause()
{
    SimBox &box = m_sim->box;
    box.setRestartTimeMs(3000);
    OtaHandle &ota = *m_ota;
    ota.setRestartPauseMs(OTA_RESTART_PAUSE_MS);
    fillImage(ota, 3);
    ProgressLog progress(&ota);
    LogCapture log;

    QVERIFY(runToEnd(ota));

    const QList<QByteArray> wire = box.wire();
    QCOMPARE(wire.size(), 1 + kReports + 2);
    QCOMPARE(wire.first(), commandReport(CMD_OTA_START, sumBytes(ota)));
    const QByteArray sent = testImage(3);
    for (int i = 0; i < kReports; ++i) {
        const QByteArray expected = QByteArray(1, '\0') + sent.mid(i * 64, 64);
        if (wire.at(1 + i) != expected)
            QFAIL(qPrintable(QStringLiteral("raw report %1 differs").arg(i)));
    }
    QCOMPARE(wire.at(1 + kReports), commandReport(CMD_OTA_FINISH));
    QCOMPARE(wire.at(2 + kReports), commandReport(CMD_OTA_RESULT));
    QCOMPARE(box.receivedImage(), sent);

    QCOMPARE(reports(progress), expectedReports(100, kSuccess));

    const QStringList lines = log.lines();
    const QString sumLine = QString::number(ota.imageSum(), 16);
    QCOMPARE(lines.count(sumLine), 2);
    for (int block = 1; block <= 14; ++block) {
        const int received = block * int(OTA_BLOCK_SIZE);
        const QString line = QStringLiteral("64 6 %1 %2 %3")
                                 .arg(block)
                                 .arg(received >> 16, 0, 16)
                                 .arg((received >> 8) & 0xFF, 0, 16);
        QVERIFY2(lines.contains(line), qPrintable(line));
    }
    const int start = lines.indexOf("delay start");
    const int stop = lines.indexOf("delay stop");
    QVERIFY(start >= 0);
    QVERIFY(stop > start);
    QVERIFY(lines.indexOf("ota success *** 14") > stop);

    // Open again but flagged not connected: the user has to connect anew.
    QVERIFY(DeviceLink::instance()->hasHandle());
    QVERIFY(!DeviceLink::instance()->isConnected());
    QCOMPARE(config()->get(Config::AutoConnect), QVariant(true));
}

void TstOtaTransfer::imageSumAnnounced_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("zeros") << "zeros" << hexBytes("00 00");
    QTest::newRow("all 0xFF") << "ff" << hexBytes("00 80");
    QTest::newRow("counting bytes") << "counting" << hexBytes("00 40");
    QTest::newRow("one low byte at the end") << "last" << hexBytes("01 00");
    QTest::newRow("carries into the high byte") << "carry" << hexBytes("2c 01");
}

void TstOtaTransfer::imageSumAnnounced()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, payload);
    OtaHandle &ota = *m_ota;
    QByteArray bytes(int(OTA_DATA_SIZE), '\0');
    for (uint32_t i = 0; i < OTA_DATA_SIZE; ++i) {
        uint8_t b = 0;
        if (kind == "ff")
            b = 0xFF;
        else if (kind == "counting")
            b = uint8_t(i);
        bytes[int(i)] = char(b);
    }
    if (kind == "last")
        bytes[int(OTA_DATA_SIZE) - 1] = 1;
    if (kind == "carry") {
        bytes[0] = char(0xFF);
        bytes[1000] = 0x2D;
    }
    ota.setImage(bytes);
    ProgressLog progress(&ota);
    QVERIFY(runToEnd(ota));
    QCOMPARE(m_sim->box.wire().first(), commandReport(CMD_OTA_START, payload));
    // The box adds up what it received: it must agree with the announcement.
    QCOMPARE(reports(progress).last(), (Report{-1, kSuccess}));
}

void TstOtaTransfer::verdictFollowsResultByte_data()
{
    QTest::addColumn<int>("override");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("0x0E") << 0x0E << false << 100 << kSuccess << "ota success *** 14";
    QTest::newRow("0x0D") << 0x0D << false << 85 << kFailure << "ota failed *** 13";
    QTest::newRow("0x0F") << 0x0F << false << 85 << kFailure << "ota failed *** 15";
    QTest::newRow("0x00") << 0x00 << false << 85 << kFailure << "ota failed *** 0";
    QTest::newRow("no reply") << -1 << true << 85 << kFailure << "ota failed *** -1";
}

void TstOtaTransfer::verdictFollowsResultByte()
{
    QFETCH(int, override);
    QFETCH(bool, silent);
    QFETCH(int, value);
    QFETCH(QString, text);
    QFETCH(QString, logLine);
    SimBox &box = m_sim->box;
    box.setOtaResultOverride(override);
    if (silent) {
        // What counts here is the verdict after a time-out, not its length.
        box.setInstantTimeouts(true);
        box.setFault(SimBox::Fault::Silent, CMD_OTA_RESULT);
    }
    ProgressLog progress(m_ota.get());
    LogCapture log;

    QVERIFY(runToEnd(*m_ota));

    QCOMPARE(reports(progress), expectedReports(value, text));
    QVERIFY2(log.lines().contains(logLine), qPrintable(log.lines().join('\n')));
    QCOMPARE(box.commandsOnWire().last(), CMD_OTA_RESULT);
}

void TstOtaTransfer::boxNotBackFailsWithoutWriting()
{
    SimBox &box = m_sim->box;
    box.setRestartTimeMs(-1);
    RecordingBackend recorder(&m_sim->backend);
    ProgressLog progress(m_ota.get());
    LogCapture log;

    QVERIFY(runToEnd(*m_ota));

    const QStringList calls = recorder.calls();
    QCOMPARE(calls.count("write"), 1 + kReports + 1);
    QVERIFY(calls.lastIndexOf("open") > calls.lastIndexOf("write"));
    QCOMPARE(box.commandsOnWire().last(), CMD_OTA_FINISH);
    QCOMPARE(reports(progress), expectedReports(85, kLost));
    QVERIFY(log.contains("ota failed ***"));
    QVERIFY(!DeviceLink::instance()->hasHandle());
    QVERIFY(!DeviceLink::instance()->isConnected());
    QVERIFY(!DeviceLink::instance()->isClaimedByOther());
}

void TstOtaTransfer::autoConnectUntouchedWhileBoxRestarts_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("on") << "1";
    QTest::newRow("off") << "0";
}

void TstOtaTransfer::autoConnectUntouchedWhileBoxRestarts()
{
    QFETCH(QString, before);
    config()->set(Config::AutoConnect, before == "1");
    std::mutex mutex;
    QStringList seen;
    m_sim->box.setPlugListener([&](bool plugged) {
        std::lock_guard<std::mutex> lock(mutex);
        seen << QString(plugged ? "back " : "gone ") +
                    (config()->get(Config::AutoConnect).toBool() ? "1" : "0");
    });

    QVERIFY(runToEnd(*m_ota));
    m_sim->box.setPlugListener({});

    // The user's setting is theirs: a settings dialog opened meanwhile shows
    // and writes it, so the transfer must not hold it.
    QCOMPARE(seen, QStringList({"gone " + before, "back " + before}));
    QCOMPARE(config()->get(Config::AutoConnect).toBool(), before == "1");
}

void TstOtaTransfer::otherThreadsFailWhileTransferRuns()
{
    OtaHandle &ota = *m_ota;
    DeviceLink *link = DeviceLink::instance();
    std::atomic<bool> stop{false};
    std::atomic<int> attempts{0};
    std::atomic<int> wrong{0};
    std::thread other;
    bool overlapped = false;
    int count = 0;

    // Stands for the window and the CAN receive thread: each call must fail at once.
    auto hammer = [&] {
        CmdPacket probe;
        probe.set(CMD_PROBE, {});
        const uint8_t raw[64] = {0xAA};
        while (!stop.load()) {
            CmdPacket slice;
            bool ok = link->isClaimedByOther();
            const LinkReply reply = link->exchange(CMD_PROBE);
            ok = reply.result == -1 && reply.payload().isEmpty() && ok;
            ok = link->receivePacket(slice, false) <= 0 && slice.getPayload().isEmpty() && ok;
            ok = link->sendPacket(probe) == -1 && ok;
            ok = link->writeRaw(raw, 64) == -1 && ok;
            ok = link->open() == -1 && ok;
            link->close();
            if (!ok)
                ++wrong;
            ++attempts;
        }
    };
    connect(
        &ota, &OtaHandle::sig_send_ota_progress, &ota,
        [&](int) {
            ++count;
            if (count == 1) {
                other = std::thread(hammer);
            } else if (count == 3) {
                // The transfer waits here until the other thread got through:
                // had those calls waited for the transfer, this would never end.
                QDeadlineTimer deadline(30000);
                while (attempts.load() < 20 && !deadline.hasExpired())
                    std::this_thread::yield();
                overlapped = attempts.load() >= 20;
            } else if (count == 16) {
                stop = true;
                other.join();
            }
        },
        Qt::DirectConnection);
    ProgressLog progress(&ota);

    QVERIFY(runToEnd(ota));
    if (other.joinable())
        other.join();

    QVERIFY(overlapped);
    QCOMPARE(wrong.load(), 0);
    QCOMPARE(m_sim->box.commandsOnWire(),
             QList<uint8_t>({CMD_OTA_START, CMD_OTA_FINISH, CMD_OTA_RESULT}));
    QCOMPARE(m_sim->box.rawReportsReceived(), kReports);
    QCOMPARE(reports(progress).last(), (Report{-1, kSuccess}));

    // Once the run is over the link is everyone's again.
    const LinkReply reply = link->exchange(CMD_PROBE);
    QVERIFY(reply.answered());
    QCOMPARE(reply.payload(), QVector<uint8_t>({0x01}));
}

void TstOtaTransfer::runsAgainAfterFinishing()
{
    ProgressLog progress(m_ota.get());
    QVERIFY(runToEnd(*m_ota));
    const QList<QByteArray> first = m_sim->box.wire();
    m_sim->box.clearWire();
    QCOMPARE(DeviceLink::instance()->open(), 0);

    QVERIFY(runToEnd(*m_ota));

    QCOMPARE(m_sim->box.wire(), first);
    QCOMPARE(reports(progress), expectedReports(100, kSuccess) + expectedReports(100, kSuccess));
}

void TstOtaTransfer::linkHeldElsewhereFailsAtOnce()
{
    DeviceLink *link = DeviceLink::instance();
    QVERIFY(link->claim());
    ProgressLog progress(m_ota.get());
    const bool finished = runToEnd(*m_ota);
    link->release();

    QVERIFY(finished);
    QCOMPARE(reports(progress), QList<Report>({{0, kUpgrading}, {-1, kBusy}}));
    QVERIFY(m_sim->box.wire().isEmpty());
    QCOMPARE(config()->get(Config::AutoConnect), QVariant(true));
}

void TstOtaTransfer::destructorWaitsForRunningTransfer()
{
    m_ota->setRestartPauseMs(300);
    m_ota->start();
    m_ota.reset();
    QCOMPARE(m_sim->box.commandsOnWire().last(), CMD_OTA_RESULT);
    QVERIFY(!DeviceLink::instance()->isClaimedByOther());
}

void TstOtaTransfer::framesNeverPassForBlockAnswers()
{
    SimBox &box = m_sim->box;
    // Reporting left on, a stream of frames, and a box that takes the first
    // block without answering it.
    QVERIFY(DeviceLink::instance()->exchange(CMD_CAN_RX_ENABLE, {1}).answered());
    box.setInstantTimeouts(true);
    box.setBlockAnswers(false);
    box.queueCanBurst(4000);
    box.clearWire();
    std::mutex mutex;
    QList<OtaVerdict> verdicts;
    connect(
        m_ota.get(), &OtaHandle::sig_ota_verdict, this,
        [&](OtaVerdict verdict) {
            std::lock_guard<std::mutex> lock(mutex);
            verdicts << verdict;
        },
        Qt::DirectConnection);

    QVERIFY(runToEnd(*m_ota));

    QCOMPARE(box.rawReportsReceived(), int(OTA_BLOCK_SIZE / OTA_REPORT_DATA));
    QVERIFY(!box.commandsOnWire().contains(CMD_OTA_FINISH));
    std::lock_guard<std::mutex> lock(mutex);
    QCOMPARE(verdicts, QList<OtaVerdict>({OtaVerdict::Interrupted}));
}

QTEST_GUILESS_MAIN(TstOtaTransfer)
#include "tst_otatransfer.moc"
