// votkbox-cli with two boxes plugged in, through the real hidapi-hidraw
// library: listing them, choosing one, and upgrading both at once.

#include "clirun.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "otafile.h"
#include "umockdevbox.h"

#include <QtTest>

#include <cstring>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {
// Serial numbers no other rig uses, not even this test run elsewhere at the
// same time, so the boxes' locks are their own.
const QString kSerials[2] = {QStringLiteral("TWOBOX-A7-%1").arg(::getpid()),
                             QStringLiteral("TWOBOX-B3-%1").arg(::getpid())};
const QString kSoftwareIds[2] = {QStringLiteral("VOTK-A"), QStringLiteral("VOTK-B")};

QByteArray upgradeFile()
{
    std::vector<uint8_t> bytes(OTA_FILE_SIZE, 0);
    for (int i = 0; i < 4; ++i)
        bytes[i] = uint8_t(OTA_FILE_SIZE >> (8 * i));
    for (uint32_t i = 0; i < OTA_DATA_SIZE; ++i)
        bytes[OTA_HEADER_SIZE + i] = uint8_t(i * 13 + (i >> 7));
    std::memcpy(bytes.data() + OTA_HEADER_SIZE + OTA_FLAG_OFFSET, "votk", 4);
    bytes[OTA_FILE_SIZE - 1] = crc8Maxim(bytes.data(), OTA_FILE_SIZE - 1);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}
} // namespace

class CliTwoBoxesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void listShowsBoth();
    void choosingABox_data();
    void choosingABox();
    void upgradesInParallel_data();
    void upgradesInParallel();

private:
    int run(const QStringList &args);
    bool bothClosed() const;

    std::unique_ptr<UmockdevBox> m_dev[2];
    QByteArray m_out;
    QByteArray m_err;
    QTemporaryDir m_dir;
};

void CliTwoBoxesTest::initTestCase()
{
    // The testbed comes before anything that looks at udev.
    for (int i = 0; i < 2; ++i) {
        m_dev[i] = std::make_unique<UmockdevBox>(false);
        SimBox::Identity id;
        id.serialNumber = kSerials[i];
        id.softwareId = kSoftwareIds[i];
        m_dev[i]->box()->setIdentity(id);
        QVERIFY2(!m_dev[i]->plug().isEmpty(), "the testbed took no box");
    }
    QVERIFY(m_dir.isValid());
    QFile file(m_dir.filePath(QStringLiteral("fw.ota")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(upgradeFile());
    setHidBackend(nullptr);
    DeviceLink::instance()->reset();
}

void CliTwoBoxesTest::cleanupTestCase()
{
    DeviceLink::instance()->reset();
    m_dev[1].reset();
    m_dev[0].reset();
}

void CliTwoBoxesTest::init()
{
    for (const auto &dev : m_dev)
        dev->box()->clearWire();
}

bool CliTwoBoxesTest::bothClosed() const
{
    return !m_dev[0]->isOpenByHost() && !m_dev[1]->isOpenByHost();
}

int CliTwoBoxesTest::run(const QStringList &args)
{
    return runCliCaptured(args, &m_out, &m_err, [this] { return bothClosed(); });
}

void CliTwoBoxesTest::listShowsBoth()
{
    QCOMPARE(run({QStringLiteral("list")}), 0);
    QStringList lines = QString::fromUtf8(m_out).split(QLatin1Char('\n'));
    QCOMPARE(lines.takeLast(), QString());
    lines.sort();
    QStringList expected;
    for (int i = 0; i < 2; ++i)
        expected << m_dev[i]->nodePath() + QLatin1Char('\t') + kSerials[i] +
                        QStringLiteral("\tVOTK\tVOTK-WIFI BOX");
    expected.sort();
    QCOMPARE(lines, expected);
    qInfo("list:\n%s", m_out.constData());
    // Listing opens no box.
    QVERIFY(m_dev[0]->box()->wire().isEmpty() && m_dev[1]->box()->wire().isEmpty());
}

void CliTwoBoxesTest::choosingABox_data()
{
    QTest::addColumn<QStringList>("args"); // "@1" stands for box 1's node
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("chosen"); // the box that answers; -1 none
    QTest::newRow("serial of the first") << QStringList{"--serial", kSerials[0], "info"} << 0 << 0;
    QTest::newRow("serial of the second") << QStringList{"--serial", kSerials[1], "info"} << 0 << 1;
    QTest::newRow("device of the second") << QStringList{"--device", "@1", "info"} << 0 << 1;
    QTest::newRow("no choice") << QStringList{"info"} << 1 << -1;
    QTest::newRow("serial of no box") << QStringList{"--serial", "TWOBOX-C0", "info"} << 2 << -1;
}

void CliTwoBoxesTest::choosingABox()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(int, chosen);
    args.replaceInStrings(QStringLiteral("@1"), m_dev[1]->nodePath());
    QCOMPARE(run(args), exitCode);
    for (int i = 0; i < 2; ++i) {
        // The other box hears nothing at all.
        QCOMPARE(m_dev[i]->box()->wire().isEmpty(), i != chosen);
    }
    if (chosen >= 0) {
        QVERIFY2(m_out.startsWith("software_id: " + kSoftwareIds[chosen].toUtf8() + '\n'),
                 m_out.constData());
        return;
    }
    QVERIFY(m_out.isEmpty());
    if (exitCode == 1) {
        // The refusal lists the boxes to choose from.
        for (const QString &serial : kSerials)
            QVERIFY2(m_err.contains('\t' + serial.toUtf8() + '\t'), m_err.constData());
    }
}

void CliTwoBoxesTest::upgradesInParallel_data()
{
    QTest::addColumn<QList<int>>("boxes");
    QTest::newRow("one box") << QList<int>{1};
    QTest::newRow("both at once") << QList<int>{0, 1};
}

// Each its own process, as xargs -P starts them; each box gets exactly the image.
void CliTwoBoxesTest::upgradesInParallel()
{
    QFETCH(QList<int>, boxes);
    const QByteArray image = upgradeFile().mid(int(OTA_HEADER_SIZE), int(OTA_DATA_SIZE));
    std::vector<std::unique_ptr<QProcess>> runs;
    QElapsedTimer wall;
    wall.start();
    for (int i : boxes) {
        auto cli = std::make_unique<QProcess>();
        cli->setWorkingDirectory(m_dir.path());
        cli->setProcessChannelMode(QProcess::MergedChannels);
        cli->start(qEnvironmentVariable("VOTKBOX_CLI"),
                   {"--device", m_dev[i]->nodePath(), "upgrade", "fw.ota"});
        runs.push_back(std::move(cli));
    }
    for (size_t k = 0; k < runs.size(); ++k) {
        QProcess &cli = *runs[k];
        QVERIFY(cli.waitForFinished(120000));
        const QByteArray said = cli.readAll();
        QVERIFY2(cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0, said.constData());
        // Every line names its box, so the runs' lines can be told apart.
        const QByteArray prefix = kSerials[boxes.at(int(k))].toUtf8() + ": ";
        const QList<QByteArray> lines = said.trimmed().split('\n');
        for (const QByteArray &line : lines)
            QVERIFY2(line.startsWith(prefix), said.constData());
    }
    qInfo("%d upgrade(s) took %lld ms", int(boxes.size()), wall.elapsed());
    for (int i = 0; i < 2; ++i) {
        if (boxes.contains(i))
            QVERIFY(m_dev[i]->box()->receivedImage() == image);
        else
            QVERIFY(m_dev[i]->box()->wire().isEmpty());
    }
}

QTEST_GUILESS_MAIN(CliTwoBoxesTest)
#include "tst_cli_twoboxes.moc"
