#include "commands.h"
#include "config.h"
#include "devicelink.h"
#include "filechooser.h"
#include "otafile.h"
#include "simhotplug.h"
#include "windowparts.h"
#include "windowrig.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QProgressBar>
#include <QSettings>
#include <QStatusBar>
#include <QtTest>

#include <sys/stat.h>

#include <atomic>

// The upgrade tab: choosing a file, the checks before a transfer, and one
// transfer carried out through the window.
class TestUpgradeTab : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void fileDialog_data();
    void fileDialog();
    void emptyPathAsksForAFile();
    void withoutConnectionWarnsAndKeepsLabel();
    void badFilesShowTheirTextAndSendNothing_data();
    void badFilesShowTheirTextAndSendNothing();
    void confirmationNamesBoxAndFile_data();
    void confirmationNamesBoxAndFile();
    void transferThroughTheWindow_data();
    void transferThroughTheWindow();
    void settingsDuringUpgradeKeepTheUsersChoice_data();
    void settingsDuringUpgradeKeepTheUsersChoice();
};

namespace {
const QString kProgressStart = QStringLiteral("进度：");
const QString kBusy = QStringLiteral("正在升级固件，请稍候");
const QString kWrongSize = QStringLiteral("进度:升级文件大小错误，应为 230657 字节");

void put32(QByteArray &file, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        file[at + i] = char((value >> (8 * i)) & 0xFF);
}

void sealChecksum(QByteArray &file)
{
    const int end = int(OTA_HEADER_SIZE + OTA_DATA_SIZE);
    file[end] = char(crc8Maxim(reinterpret_cast<const uint8_t *>(file.constData()), size_t(end)));
}

// A well-formed upgrade file with a patterned image.
QByteArray upgradeFile()
{
    QByteArray file(int(OTA_FILE_SIZE), '\0');
    put32(file, 0, OTA_FILE_SIZE);
    for (int i = 4; i < int(OTA_HEADER_SIZE); ++i)
        file[i] = char(i * 13);
    for (int i = 0; i < int(OTA_DATA_SIZE); ++i)
        file[int(OTA_HEADER_SIZE) + i] = char((i * 7 + (i >> 9)) & 0xFF);
    file.replace(int(OTA_HEADER_SIZE + OTA_FLAG_OFFSET), 4, "votk");
    sealChecksum(file);
    return file;
}

QByteArray imageOf(const QByteArray &file)
{
    return file.mid(int(OTA_HEADER_SIZE), int(OTA_DATA_SIZE));
}
} // namespace

void TestUpgradeTab::initTestCase()
{
    registerFrameType();
}

void TestUpgradeTab::cleanup()
{
    openFileChooser() = [](QWidget *, const QString &, const QString &, const QString &,
                           QFileDialog::Options) { return QString(); };
}

void TestUpgradeTab::fileDialog_data()
{
    QTest::addColumn<QString>("kept"); // upgrade_dir in config.ini before
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("opensIn");
    QTest::addColumn<QString>("keptAfter");
    QTest::newRow("cancelled") << QString() << QString() << "earlier/path.ota"
                               << "." << QString();
    QTest::newRow("chosen") << QString() << "/data/new.ota"
                            << "/data/new.ota"
                            << "."
                            << "/data";
    QTest::newRow("opens where the last one was") << "/data"
                                                  << "/other/fw.ota"
                                                  << "/other/fw.ota"
                                                  << "/data"
                                                  << "/other";
    QTest::newRow("cancelled keeps the folder") << "/data" << QString() << "earlier/path.ota"
                                                << "/data"
                                                << "/data";
}

void TestUpgradeTab::fileDialog()
{
    QFETCH(QString, kept);
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    QFETCH(QString, opensIn);
    QFETCH(QString, keptAfter);
    WindowRig rig;
    if (!kept.isEmpty())
        config()->set(Config::UpgradeDir, kept);
    QStringList asked;
    QFileDialog::Options options;
    QWidget *parent = nullptr;
    openFileChooser() = [&](QWidget *p, const QString &caption, const QString &dir,
                            const QString &filter, QFileDialog::Options o) {
        parent = p;
        asked << caption << dir << filter;
        options = o;
        return chosen;
    };
    auto *path = rig.w<QLineEdit>("lineEdit_ota_file");
    path->setText("earlier/path.ota");

    rig.w<QPushButton>("button_select_file")->click();

    QCOMPARE(path->text(), expected);
    QCOMPARE(parent, &rig.window);
    QCOMPARE(asked, (QStringList{"打开升级文件", opensIn, "升级文件(*.ota)"}));
    QCOMPARE(QSettings("config.ini", QSettings::IniFormat).value("upgrade_dir").toString(),
             keptAfter);
    QCOMPARE(options, QFileDialog::Options(QFileDialog::DontUseNativeDialog));
    QVERIFY(rig.log.contains("select file button clicked"));
}

void TestUpgradeTab::emptyPathAsksForAFile()
{
    WindowRig rig;
    rig.connectAccepted();
    rig.w<QPushButton>("pushButton_ota")->click();
    QVERIFY(rig.log.contains("file name is empty"));
    QVERIFY(rig.boxes.shown.isEmpty());
    QCOMPARE(rig.text("label_ota_result"), QString("进度:请先选择升级文件"));
    QVERIFY(rig.box().wire().isEmpty());
}

void TestUpgradeTab::withoutConnectionWarnsAndKeepsLabel()
{
    WindowRig rig;
    rig.dir.writeFile("fw.ota", upgradeFile());
    rig.w<QLineEdit>("lineEdit_ota_file")->setText(rig.dir.file("fw.ota"));

    rig.w<QPushButton>("pushButton_ota")->click();

    QCOMPARE(rig.boxes.texts(), QStringList{"VOTK未连接"});
    QCOMPARE(rig.text("label_ota_result"), kProgressStart);
    QVERIFY(!otaHandleOf(rig.window).isRunning());
    QVERIFY(rig.box().wire().isEmpty());
}

void TestUpgradeTab::badFilesShowTheirTextAndSendNothing_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<QString>("label");

    QByteArray sizeAndFlag = upgradeFile();
    put32(sizeAndFlag, 0, OTA_FILE_SIZE - 1);
    sizeAndFlag.replace(int(OTA_HEADER_SIZE + OTA_FLAG_OFFSET), 4, "VOTK");
    sealChecksum(sizeAndFlag);
    QByteArray flag = upgradeFile();
    flag.replace(int(OTA_HEADER_SIZE + OTA_FLAG_OFFSET), 4, "votj");
    sealChecksum(flag);
    QByteArray checksum = upgradeFile();
    checksum[100] = char(checksum.at(100) ^ 0x01);

    QTest::newRow("missing file") << QByteArray() << "进度:升级文件打开失败";
    QTest::newRow("checksum mismatch") << checksum << "进度:升级文件校验错误";
    QTest::newRow("size and flag wrong") << sizeAndFlag << kWrongSize;
    QTest::newRow("flag wrong") << flag << "进度:升级文件错误";
    // Tuned so that the zero-padded file would pass its checksum.
    QByteArray cut = upgradeFile();
    cut.replace(int(OTA_FILE_SIZE) - 5, 5, QByteArray(5, '\0'));
    for (int v = 0; v < 256; ++v) {
        cut[8] = char(v);
        if (crc8Maxim(reinterpret_cast<const uint8_t *>(cut.constData()),
                      size_t(OTA_FILE_SIZE - 1)) == 0)
            break;
    }
    QTest::newRow("5 bytes short, checksum matching")
        << cut.left(int(OTA_FILE_SIZE) - 5) << kWrongSize;
    QTest::newRow("trailing bytes") << upgradeFile() + QByteArray(7000, '\x55') << kWrongSize;
    QTest::newRow("6-byte text file") << QByteArray("hello\n") << kWrongSize;
    QTest::newRow("FIFO") << QByteArray("<fifo>") << "进度:升级文件打开失败";
    QTest::newRow("directory") << QByteArray("<dir>") << "进度:升级文件打开失败";
}

void TestUpgradeTab::badFilesShowTheirTextAndSendNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, label);
    WindowRig rig;
    rig.connectAccepted();
    if (file == "<fifo>")
        QCOMPARE(::mkfifo(QFile::encodeName(rig.dir.file("fw.ota")).constData(), 0600), 0);
    else if (file == "<dir>")
        QVERIFY(QDir(rig.dir.path()).mkdir("fw.ota"));
    else if (!file.isEmpty())
        rig.dir.writeFile("fw.ota", file);
    openFileChooser() = [&](QWidget *, const QString &, const QString &, const QString &,
                            QFileDialog::Options) { return rig.dir.file("fw.ota"); };
    // Told as soon as the file is chosen, and again when the upgrade is asked for.
    rig.w<QPushButton>("button_select_file")->click();
    QCOMPARE(rig.text("label_ota_result"), label);
    rig.w<QPushButton>("pushButton_ota")->click();

    QCOMPARE(rig.text("label_ota_result"), label);
    QVERIFY(!otaHandleOf(rig.window).isRunning());
    QCOMPARE(rig.w<QProgressBar>("progressBar")->value(), 0);
    QVERIFY(rig.w<QPushButton>("pushButton_ota")->isEnabled());
    QVERIFY(rig.boxes.shown.isEmpty());
    QVERIFY(rig.box().wire().isEmpty());
    QCOMPARE(rig.box().rawReportsReceived(), 0);
}

void TestUpgradeTab::confirmationNamesBoxAndFile_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::newRow("cancelled") << false;
    QTest::newRow("accepted") << true;
}

// Nothing reaches the box before the user has seen which box, which firmware
// it runs and what the file says of its own.
void TestUpgradeTab::confirmationNamesBoxAndFile()
{
    QFETCH(bool, accepted);
    WindowRig rig;
    rig.dir.writeFile("fw.ota", upgradeFile());
    rig.connectAccepted();
    rig.w<QPushButton>("pushButton")->click();
    QVERIFY(waitForBoxWork(&rig.window));
    rig.showTab(2);
    rig.w<QLineEdit>("lineEdit_ota_file")->setText(rig.dir.file("fw.ota"));
    rig.box().clearWire();
    rig.boxes.shown.clear();
    rig.boxes.answers << (accepted ? QMessageBox::Yes : QMessageBox::No);

    rig.w<QPushButton>("pushButton_ota")->click();

    QCOMPARE(rig.boxes.shown.size(), 1);
    QCOMPARE(rig.boxes.shown.first().kind, MessageBox::Question);
    const QString asked = rig.boxes.shown.first().text;
    for (const char *part : {"序列号：0001", "当前固件：66051 (1.2.3)", "文件版本：文件未标明版本"})
        QVERIFY2(asked.contains(QString::fromUtf8(part)), qPrintable(asked));
    if (!accepted) {
        QVERIFY(!otaHandleOf(rig.window).isRunning());
        QCOMPARE(rig.text("label_ota_result"), kProgressStart);
        QVERIFY(rig.w<QPushButton>("pushButton_ota")->isEnabled());
        QTest::qWait(50);
        QVERIFY(rig.box().wire().isEmpty());
        return;
    }
    QCOMPARE(rig.text("label_ota_result"), QString("进度:正在升级"));
    QTRY_VERIFY_WITH_TIMEOUT(rig.box().rawReportsReceived() > 0, 60000);
}

void TestUpgradeTab::transferThroughTheWindow_data()
{
    QTest::addColumn<int>("verdict"); // -1: the box judges the image
    QTest::addColumn<int>("progress");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("bar");   // the text on the bar
    QTest::addColumn<bool>("everyTab"); // can_rx_always, with frames flowing
    QTest::addColumn<bool>("autoConnect");
    QTest::newRow("success") << -1 << 100 << "结果:升级成功,请重新上电VOTK设备"
                             << "100%" << false << false;
    QTest::newRow("box reports failure") << 0x0D << 85 << "结果:升级失败"
                                         << "停在 85%" << false << false;
    QTest::newRow("success, receiving on every tab")
        << -1 << 100 << "结果:升级成功,请重新上电VOTK设备"
        << "100%" << true << false;
    QTest::newRow("success, connected again by itself")
        << -1 << 100 << "结果:升级成功,请重新上电VOTK设备"
        << "100%" << true << true;
}

void TestUpgradeTab::transferThroughTheWindow()
{
    QFETCH(int, verdict);
    QFETCH(int, progress);
    QFETCH(QString, label);
    QFETCH(QString, bar);
    QFETCH(bool, everyTab);
    QFETCH(bool, autoConnect);
    WindowRig rig;
    config()->set(Config::AutoConnect, autoConnect);
    config()->set(Config::CanRxAlways, everyTab);
    rig.box().setCanRate(everyTab ? 500 : 0);
    rig.box().setRestartTimeMs(0);
    rig.box().setOtaResultOverride(verdict);
    otaHandleOf(rig.window).setRestartPauseMs(200);
    const QByteArray file = upgradeFile();
    rig.dir.writeFile("fw.ota", file);
    // The receive thread reads on until "reporting off" is on the wire. Its
    // slot is made before the thread starts, which orders it for the thread.
    std::atomic<int> wireAtRxEnd{-1};
    const auto rxEnd = connect(
        &canRxThreadOf(rig.window), &QThread::finished, &rig.window,
        [&] { wireAtRxEnd = rig.box().wire().size(); }, Qt::DirectConnection);
    rig.connectAccepted();
    rig.w<QPushButton>("pushButton")->click();
    QVERIFY(waitForBoxWork(&rig.window));
    QVERIFY(rig.text("label_6") != "...");
    rig.showTab(2);
    QCOMPARE(rig.box().canReporting(), everyTab);
    rig.box().clearWire();
    auto *start = rig.w<QPushButton>("pushButton_ota");
    auto *select = rig.w<QPushButton>("button_select_file");
    QTest::keyClicks(rig.w<QLineEdit>("lineEdit_ota_file"), rig.dir.file("fw.ota"));

    // The transfer's end stops the loop; anything that quit earlier shows.
    OtaHandle &ota = otaHandleOf(rig.window);
    // What the label says while the box restarts (after the window has shown it).
    QString whileRestarting;
    connect(&ota, &OtaHandle::sig_ota_restarting, &rig.window,
            [&] { whileRestarting = rig.text("label_ota_result"); });
    const auto done = connect(&ota, &QThread::finished, qApp, [] { qApp->exit(5); });
    QTimer guard;
    connect(&guard, &QTimer::timeout, qApp, [] { qApp->exit(-99); });
    guard.start(120000);

    // Only the end the upgrade brings counts (not the CAN tab's, left above).
    QTRY_VERIFY(everyTab || !canRxThreadOf(rig.window).isRunning());
    wireAtRxEnd = -1;

    rig.boxes.answers << QMessageBox::Yes;
    start->click();
    QCOMPARE(rig.boxes.shown.size(), 1);
    rig.boxes.shown.clear();
    // Reporting goes off first; the transfer starts on its answer.
    QVERIFY(rig.settle());
    disconnect(rxEnd);
    QCOMPARE(wireAtRxEnd.load(), everyTab ? 1 : -1);
    QVERIFY(ota.isRunning());
    QVERIFY(!rig.box().canReporting());
    QCOMPARE(rig.text("label_ota_result"), QString("进度:正在升级"));
    QVERIFY(!start->isEnabled());
    QVERIFY(!select->isEnabled());

    // While the transfer runs the window keeps off the box and stays open;
    // the CAN tab says so too and starts no receive thread.
    QVERIFY(!rig.window.close());
    rig.w<QPushButton>("pushButton")->click();
    QVERIFY(waitForBoxWork(&rig.window));
    rig.w<QPushButton>("pushButton_2")->click();
    QVERIFY(waitForBoxWork(&rig.window));
    rig.showTab(1);
    QVERIFY(!canRxThreadOf(rig.window).isRunning());
    rig.showTab(0);
    QCOMPARE(rig.boxes.texts(), (QStringList{kBusy, kBusy, kBusy, kBusy}));
    QTimer::singleShot(0, rig.action("action_exit"), &QAction::trigger);

    QCOMPARE(qApp->exec(), 5);
    disconnect(done);
    QCOMPARE(rig.boxes.texts(), (QStringList{kBusy, kBusy, kBusy, kBusy, kBusy}));
    // Connecting again is box work of its own, after the transfer's.
    if (autoConnect)
        QVERIFY(rig.settle());

    QCOMPARE(rig.w<QProgressBar>("progressBar")->value(), progress);
    QCOMPARE(rig.w<QProgressBar>("progressBar")->text(), bar);
    QCOMPARE(whileRestarting, QString("设备重启中，请稍候"));
    QCOMPARE(rig.text("label_ota_result"), label);
    QVERIFY(start->isEnabled());
    QVERIFY(select->isEnabled());
    QCOMPARE(rig.box().receivedImage(), imageOf(file));
    QList<uint8_t> commands = rig.box().commandsOnWire();
    commands = commands.mid(0, commands.lastIndexOf(CMD_OTA_RESULT) + 1);
    // Reporting is switched off before the transfer begins.
    if (everyTab) {
        QCOMPARE(rig.box().wire().first(), commandReport(CMD_CAN_RX_ENABLE, hexBytes("00")));
        commands.removeFirst();
    }
    for (uint8_t cmd : commands)
        QVERIFY2(cmd == CMD_OTA_START || cmd == CMD_OTA_FINISH || cmd == CMD_OTA_RESULT,
                 qPrintable(QString::number(cmd, 16)));

    // The box restarted; with automatic connection it is connected again by
    // itself, its values read anew and receiving resumed.
    if (autoConnect) {
        QTRY_COMPARE(rig.linkState(), kShownConnected);
        QTRY_VERIFY(rig.text("label_6") != "...");
        QVERIFY(rig.text("label_box_state").startsWith("已连接"));
        QTRY_COMPARE(rig.box().canReporting(), everyTab);
        return;
    }
    // Otherwise it must be connected again before the next upgrade, and the
    // window says so.
    QTRY_COMPARE(rig.linkState(), kShownDisconnected);
    QCOMPARE(rig.text("label_box_state"), QString("未连接"));
    for (const char *value : {"label_6", "label_7", "label_8", "label_9", "label_10"})
        QCOMPARE(rig.text(value), QString("..."));
    rig.boxes.shown.clear();
    rig.box().clearWire();
    start->click();
    QCOMPARE(rig.boxes.texts(), QStringList{"VOTK未连接"});
    QVERIFY(rig.box().wire().isEmpty());
    rig.w<QPushButton>("pushButton_connect")->click();
    QVERIFY(rig.settle());
    QCOMPARE(rig.linkState(), kShownConnected);
    // Connected again, receiving on every tab resumes.
    QCOMPARE(rig.box().canReporting(), everyTab);
    QCOMPARE(canRxThreadOf(rig.window).isRunning(), everyTab);
}

void TestUpgradeTab::settingsDuringUpgradeKeepTheUsersChoice_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("toggle");
    QTest::newRow("on, only looked at") << "1" << false;
    QTest::newRow("on, switched off") << "1" << true;
    QTest::newRow("off, switched on") << "0" << true;
}

void TestUpgradeTab::settingsDuringUpgradeKeepTheUsersChoice()
{
    QFETCH(QString, before);
    QFETCH(bool, toggle);
    WindowRig rig;
    rig.dir.writeFile("config.ini", "[General]\nauto_connect=" + before.toLatin1() + "\n");
    config()->set(Config::AutoConnect, before == "1");
    rig.box().setRestartTimeMs(50);
    OtaHandle &ota = otaHandleOf(rig.window);
    ota.setRestartPauseMs(500);
    rig.dir.writeFile("fw.ota", upgradeFile());
    rig.connectAccepted();
    rig.showTab(2);
    rig.w<QLineEdit>("lineEdit_ota_file")->setText(rig.dir.file("fw.ota"));
    // The box's restart reaches the window as a removal and an arrival.
    rig.window.attachHotplugSource(new SimHotplug(rig.box(), &rig.window));
    rig.box().clearWire();
    rig.boxes.answers << QMessageBox::Yes;
    rig.w<QPushButton>("pushButton_ota")->click();

    // The user opens the settings while the box restarts.
    QTRY_VERIFY_WITH_TIMEOUT(rig.box().commandsOnWire().contains(CMD_OTA_FINISH), 60000);
    QDialog *dialog = rig.openSettings();
    QVERIFY(dialog);
    auto *autoConnect = dialog->findChild<QCheckBox *>(QStringLiteral("checkBox_auto_connect"));
    QCOMPARE(autoConnect->isChecked(), before == "1");
    if (toggle)
        autoConnect->click();
    dialog->close();
    QVERIFY(ota.isRunning());

    QTRY_COMPARE_WITH_TIMEOUT(rig.text("label_ota_result"),
                              QStringLiteral("结果:升级成功,请重新上电VOTK设备"), 60000);
    const QString chosen = toggle == (before == "1") ? "0" : "1";
    QCOMPARE(QSettings(rig.dir.file("config.ini"), QSettings::IniFormat)
                 .value("auto_connect")
                 .toString(),
             chosen);
    QCOMPARE(config()->get(Config::AutoConnect).toBool(), chosen == "1");
    // Whatever the setting, the restarting box was left to the transfer;
    // after it, automatic connection takes the box again.
    QCOMPARE(rig.box().commandsOnWire().mid(0, 3),
             QList<uint8_t>({CMD_OTA_START, CMD_OTA_FINISH, CMD_OTA_RESULT}));
    if (chosen == "1") {
        QTRY_COMPARE(rig.linkState(), kShownConnected);
        return;
    }
    QTRY_COMPARE(rig.linkState(), kShownDisconnected);
    QCOMPARE(rig.box().commandsOnWire().size(), 3);
    // The box's return during the restart is no connection the window has.
    QVERIFY(rig.window.statusBar()->currentMessage() != QString("USB线连接"));
}

QTEST_MAIN(TestUpgradeTab)
#include "tst_upgradetab.moc"
