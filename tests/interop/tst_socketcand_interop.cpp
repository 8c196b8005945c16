// python-can's own socketcand interface against `votkbox-cli socketcand` on
// loopback, with the box behind the real hidapi-hidraw library on a umockdev
// node. Runs when the interop CI stage asks (VOTKBOX_INTEROP=1), which
// installs python3-can; then a missing or failing python-can fails the test.

#include "umockdevbox.h"

#include <QProcess>
#include <QtTest>

#include <memory>

class SocketcandInteropTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void pythonCanTalksThroughTheServer();
    void serverEndsWhenTheBoxIsPulledOut();

private:
    // Starts the server on a free port: its address, empty when it did not start.
    QByteArray startServer(QProcess &server);
    std::unique_ptr<UmockdevBox> m_dev;
};

void SocketcandInteropTest::initTestCase()
{
    if (qEnvironmentVariable("VOTKBOX_INTEROP") != QLatin1String("1"))
        QSKIP("run by the interop CI stage (VOTKBOX_INTEROP=1)");
    m_dev = std::make_unique<UmockdevBox>(false);
    // A serial of its own: the box lock is keyed by it.
    SimBox::Identity id;
    id.serialNumber = QStringLiteral("5C26A2");
    m_dev->box()->setIdentity(id);
    QVERIFY2(!m_dev->plug().isEmpty(), "the testbed took no box");
}

void SocketcandInteropTest::cleanupTestCase()
{
    m_dev.reset();
}

QByteArray SocketcandInteropTest::startServer(QProcess &server)
{
    // The server inherits umockdev's preload and so finds the node.
    server.start(
        QStringLiteral(VOTKBOX_CLI_PATH),
        {QStringLiteral("socketcand"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    if (!server.waitForReadyRead(15000))
        return QByteArray();
    return server.readLine().trimmed();
}

void SocketcandInteropTest::pythonCanTalksThroughTheServer()
{
    SimBox *box = m_dev->box();
    QProcess server;
    const QByteArray address = startServer(server);
    QVERIFY2(address.startsWith("127.0.0.1:"), server.readAllStandardError().constData());

    // python-can must not see the emulated /dev.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LD_PRELOAD"));
    env.remove(QStringLiteral("UMOCKDEV_DIR"));
    QProcess python;
    python.setProcessEnvironment(env);
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(VOTKBOX_INTEROP_DIR "/socketcand_session.py"),
                  QString::fromLatin1(address)});
    QByteArray said;
    while (!said.contains("SENT\n")) {
        QVERIFY2(python.waitForReadyRead(30000), python.readAllStandardError().constData());
        said += python.readAllStandardOutput();
    }

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
    QVERIFY(said.contains("RECEIVED 1000 TWICE\n"));
    QVERIFY(said.contains("REFUSED\n"));
    QCOMPARE(box->droppedReports(), quint64(0));
    // The refused frames sent nothing.
    QCOMPARE(box->sentCanFrames(), expected);
    // The last client gone, the box stops reporting.
    QTRY_VERIFY_WITH_TIMEOUT(!box->canReporting(), 5000);

    server.terminate();
    QVERIFY(server.waitForFinished(10000));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QVERIFY2(server.exitCode() == 0, server.readAllStandardError().constData());
}

void SocketcandInteropTest::serverEndsWhenTheBoxIsPulledOut()
{
    QProcess server;
    QVERIFY(startServer(server).startsWith("127.0.0.1:"));
    m_dev->unplug();
    QVERIFY(server.waitForFinished(10000));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), 3);
}

QTEST_GUILESS_MAIN(SocketcandInteropTest)
#include "tst_socketcand_interop.moc"
