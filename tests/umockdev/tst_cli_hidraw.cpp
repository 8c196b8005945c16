// votkbox-cli's commands through the real hidapi-hidraw library, against the
// simulated box on a umockdev hidraw node.

#include "clicommands.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "umockdevbox.h"

#include <QtTest>

#include <memory>

class CliHidrawTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void info();
    void sendPutsExactBytesOnTheWire();
    void monitorPrintsEveryFrameOnceInOrder_data();
    void monitorPrintsEveryFrameOnceInOrder();

private:
    int run(const QStringList &args);

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
    QBuffer out(&m_out);
    QBuffer err(&m_err);
    m_out.clear();
    m_err.clear();
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int code = runCli(args, &out, &err);
    // The box side must see the close before the next command opens it again.
    if (!QTest::qWaitFor([this] { return !m_dev->isOpenByHost(); }, 5000))
        qWarning("the box side still has the node open");
    return code;
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

QTEST_GUILESS_MAIN(CliHidrawTest)
#include "tst_cli_hidraw.moc"
