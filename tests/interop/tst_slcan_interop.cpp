// python-can's own slcan interface against `votkbox-cli slcan`, with the box
// behind the real hidapi-hidraw library on a umockdev node. Runs when the
// interop CI stage asks (VOTKBOX_INTEROP=1), which installs python3-can; then
// a missing or failing python-can fails the test.

#include "umockdevbox.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class SlcanInteropTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void pythonCanTalksThroughTheBridge();
    void bridgeEndsWhenTheBoxIsPulledOut();

private:
    void runSession(QProcess &python, const QString &link, const QString &mode);
    std::unique_ptr<UmockdevBox> m_dev;
};

void SlcanInteropTest::initTestCase()
{
    if (qEnvironmentVariable("VOTKBOX_INTEROP") != QLatin1String("1"))
        QSKIP("run by the interop CI stage (VOTKBOX_INTEROP=1)");
    m_dev = std::make_unique<UmockdevBox>(false);
    // A serial of its own: the box lock is keyed by it, and other rigs may
    // run at the same time.
    SimBox::Identity id;
    id.serialNumber = QStringLiteral("5C26A1");
    id.softwareVersion = 0x01000002;
    m_dev->box()->setIdentity(id);
    QVERIFY2(!m_dev->plug().isEmpty(), "the testbed took no box");
}

void SlcanInteropTest::cleanupTestCase()
{
    m_dev.reset();
}

void SlcanInteropTest::pythonCanTalksThroughTheBridge()
{
    SimBox *box = m_dev->box();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("slcan0"));

    // The bridge inherits umockdev's preload and so finds the node.
    QProcess bridge;
    bridge.start(QStringLiteral(VOTKBOX_CLI_PATH),
                 {QStringLiteral("slcan"), QStringLiteral("--link"), link});
    QVERIFY2(bridge.waitForReadyRead(15000), bridge.readAllStandardError().constData());
    const QByteArray pts = bridge.readLine().trimmed();
    QVERIFY2(pts.startsWith("/dev/pts/"), pts.constData());
    QCOMPARE(QFileInfo(link).symLinkTarget(), QString::fromLatin1(pts));

    QProcess python;
    runSession(python, link, QString());
    QByteArray said;
    auto waitFor = [&](const QByteArray &word) {
        while (!said.contains(word + '\n')) {
            if (!python.waitForReadyRead(30000))
                return false;
            said += python.readAllStandardOutput();
        }
        return true;
    };
    QVERIFY2(waitFor("SENT"), python.readAllStandardError().constData());

    // What python-can sent, byte for byte and in order.
    QList<QVector<uint8_t>> expected;
    for (int i = 0; i < 100; ++i) {
        const int id = (i * 37) % 0x800;
        QVector<uint8_t> payload = {uint8_t(id & 0xFF), uint8_t(id >> 8)};
        for (int k = 0; k < i % 9; ++k)
            payload.append(uint8_t(i + k));
        expected.append(payload);
    }
    QTRY_COMPARE_WITH_TIMEOUT(box->sentCanFrames().size(), 100, 10000);
    QCOMPARE(box->sentCanFrames(), expected);
    QVERIFY(box->canReporting());

    box->queueCanBurst(1000);
    QVERIFY2(python.waitForFinished(120000), said.constData());
    said += python.readAllStandardOutput();
    qInfo("%s", said.constData());
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    QVERIFY(said.contains("RECEIVED 1000\n"));
    QVERIFY(said.contains("REFUSED\n"));
    QCOMPARE(box->droppedReports(), quint64(0));
    // The refused commands sent nothing.
    QCOMPARE(box->sentCanFrames(), expected);
    // python-can's shutdown closed the channel.
    QTRY_VERIFY_WITH_TIMEOUT(!box->canReporting(), 5000);

    // The terminal stays for the next client.
    QProcess again;
    runSession(again, link, QStringLiteral("again"));
    QVERIFY(again.waitForFinished(30000));
    const QByteArray answers = again.readAllStandardOutput();
    QVERIFY2(again.exitCode() == 0, again.readAllStandardError().constData());
    // The box's version 1.2; the serial as four hex digits (hidapi cannot
    // read the serial string through umockdev, so it is 0000 here).
    QVERIFY2(QRegularExpression(QStringLiteral("VERSION \\(1, 2\\) SERIAL [0-9A-F]{4}\n"))
                 .match(QString::fromLatin1(answers))
                 .hasMatch(),
             answers.constData());

    bridge.terminate();
    QVERIFY(bridge.waitForFinished(10000));
    QCOMPARE(bridge.exitStatus(), QProcess::NormalExit);
    QVERIFY2(bridge.exitCode() == 0, bridge.readAllStandardError().constData());
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
}

void SlcanInteropTest::bridgeEndsWhenTheBoxIsPulledOut()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("slcan0"));
    QProcess bridge;
    bridge.start(QStringLiteral(VOTKBOX_CLI_PATH),
                 {QStringLiteral("slcan"), QStringLiteral("--link"), link});
    QVERIFY2(bridge.waitForReadyRead(15000), bridge.readAllStandardError().constData());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).isSymLink(), 5000);
    m_dev->unplug();
    QVERIFY(bridge.waitForFinished(10000));
    QCOMPARE(bridge.exitStatus(), QProcess::NormalExit);
    QCOMPARE(bridge.exitCode(), 3);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void SlcanInteropTest::runSession(QProcess &python, const QString &link, const QString &mode)
{
    // python-can must not see the emulated /dev.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LD_PRELOAD"));
    env.remove(QStringLiteral("UMOCKDEV_DIR"));
    python.setProcessEnvironment(env);
    QStringList args = {QStringLiteral(VOTKBOX_INTEROP_DIR "/slcan_session.py"), link};
    if (!mode.isEmpty())
        args << mode;
    python.start(QStringLiteral("/usr/bin/python3"), args);
}

QTEST_GUILESS_MAIN(SlcanInteropTest)
#include "tst_slcan_interop.moc"
