#include "boxsession.h"
#include "canrxthread.h"
#include "commands.h"
#include "config.h"
#include "configfile.h"
#include "devicelink.h"
#include "settingdialog.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
template <typename T> T *child(QWidget &dialog, const char *name)
{
    T *w = dialog.findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

QString iniValue(const QString &key)
{
    QSettings settings(configFilePath(), QSettings::IniFormat);
    return settings.value(key).toString();
}

void openLink(SimFixture &sim)
{
    QCOMPARE(DeviceLink::instance()->open(), 0);
    sim.box.clearWire();
}

} // namespace

// The settings dialog against the simulated box, one temporary working
// directory (and so one config.ini) per test.
class TestSettingDialog : public QObject
{
    Q_OBJECT
private slots:
    // Language page
    void languageButtonsFollowConfig_data();
    void languageButtonsFollowConfig();
    void languageClickWritesOnlyAChange();
    void configWritesKeepOtherKeys();

    // Automatic connection page
    void autoConnectOnOpen_data();
    void autoConnectOnOpen();
    void autoConnectToggleWritesAndFollows();

    // Page list
    void pageListSelectsMatchingPage();

    // CAN time page
    void canTimeUpdateSends_data();
    void canTimeUpdateSends();
    void canTimeEmptyFieldSendsNothing_data();
    void canTimeEmptyFieldSendsNothing();
    void unansweredCommandsWarn_data();
    void unansweredCommandsWarn();
    void canTimeReadShowsReply_data();
    void canTimeReadShowsReply();
    void canTimeNoReplyKeepsLabel();

    // Factory reset page
    void factoryReset_data();
    void factoryReset();

    // Device buttons refused
    void deviceButtonsNeedConnection_data();
    void deviceButtonsNeedConnection();
    void deviceButtonsWaitForUpgrade_data();
    void deviceButtonsWaitForUpgrade();
    void silentBoxLeavesDialogServingUntilPulled_data();
    void silentBoxLeavesDialogServingUntilPulled();

    // Sharing the link with the CAN receive thread
    void repliesStayWithDialogWhileCanRxRuns_data();
    void repliesStayWithDialogWhileCanRxRuns();

    // Lifetime
    void closedDialogDeletesItself();

private:
    // Presses one device button, with whatever the button needs typed in.
    static void pressDeviceButton(SettingDialog &dialog, const QString &button);
};

void TestSettingDialog::languageButtonsFollowConfig_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("cn");
    QTest::addColumn<bool>("en");
    QTest::newRow("cn") << "cn" << true << false;
    QTest::newRow("en") << "en" << false << true;
    QTest::newRow("upper case EN") << "EN" << false << false;
    QTest::newRow("unknown") << "de" << false << false;
}

void TestSettingDialog::languageButtonsFollowConfig()
{
    QFETCH(QString, language);
    QFETCH(bool, cn);
    QFETCH(bool, en);
    TempWorkDir dir;
    config()->set(Config::Language, language);
    QFile::remove(dir.file("config.ini"));
    SettingDialog dialog(*DeviceLink::instance());
    QCOMPARE(child<QRadioButton>(dialog, "radioButton_cn")->isChecked(), cn);
    QCOMPARE(child<QRadioButton>(dialog, "radioButton_en")->isChecked(), en);
    // Presetting the buttons is not a choice: nothing is written.
    QVERIFY(!QFile::exists(dir.file("config.ini")));
    QCOMPARE(config()->get(Config::Language).toString(), language);
}

void TestSettingDialog::languageClickWritesOnlyAChange()
{
    TempWorkDir dir;
    LogCapture log;
    SettingDialog dialog(*DeviceLink::instance());
    auto *cn = child<QRadioButton>(dialog, "radioButton_cn");
    auto *en = child<QRadioButton>(dialog, "radioButton_en");

    cn->click();
    QVERIFY(!QFile::exists(dir.file("config.ini")));
    QVERIFY(!log.contains("radio cn"));

    en->click();
    QCOMPARE(iniValue("language"), QStringLiteral("en"));
    QCOMPARE(config()->get(Config::Language).toString(), QStringLiteral("en"));
    QCOMPARE(log.lines().count(QStringLiteral("radio en")), 1);

    // Gone file, second click: a rewrite would bring it back.
    QVERIFY(QFile::remove(dir.file("config.ini")));
    en->click();
    QVERIFY(!QFile::exists(dir.file("config.ini")));
    QCOMPARE(log.lines().count(QStringLiteral("radio en")), 1);

    cn->click();
    QCOMPARE(iniValue("language"), QStringLiteral("cn"));
    QCOMPARE(config()->get(Config::Language).toString(), QStringLiteral("cn"));
    QVERIFY(log.lines().contains(QStringLiteral("radio cn")));
}

void TestSettingDialog::configWritesKeepOtherKeys()
{
    TempWorkDir dir;
    dir.writeFile("config.ini", "; written by hand\n"
                                "language=cn\n"
                                "can_time=45\n"
                                "auto_connect=1\n"
                                "window_note=keep me\n"
                                "\n"
                                "[extra]\n"
                                "serial=0001\n");
    SettingDialog dialog(*DeviceLink::instance());
    child<QRadioButton>(dialog, "radioButton_en")->click();
    child<QCheckBox>(dialog, "checkBox_auto_connect")->click();
    auto *rowLimit = child<QSpinBox>(dialog, "spinBox_rx_row_limit");
    QCOMPARE(rowLimit->value(), config()->get(Config::CanRxRowLimit).toInt());
    rowLimit->setValue(250000);
    emit rowLimit->editingFinished();
    auto *rotateMb = child<QSpinBox>(dialog, "spinBox_record_rotate_mb");
    rotateMb->setValue(100);
    emit rotateMb->editingFinished();

    QSettings settings(configFilePath(), QSettings::IniFormat);
    QCOMPARE(settings.value("can_rx_row_limit").toString(), QStringLiteral("250000"));
    QCOMPARE(config()->get(Config::CanRxRowLimit).toInt(), 250000);
    QCOMPARE(settings.value("record_rotate_mb").toString(), QStringLiteral("100"));
    QCOMPARE(settings.value("language").toString(), QStringLiteral("en"));
    QCOMPARE(settings.value("auto_connect").toString(), QStringLiteral("0"));
    QCOMPARE(settings.value("can_time").toString(), QStringLiteral("45"));
    QCOMPARE(settings.value("window_note").toString(), QStringLiteral("keep me"));
    QCOMPARE(settings.value("extra/serial").toString(), QStringLiteral("0001"));
}

void TestSettingDialog::autoConnectOnOpen_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("checked");
    QTest::newRow("on") << "1" << true;
    QTest::newRow("off") << "0" << false;
    QTest::newRow("other value") << "yes" << false;
}

void TestSettingDialog::autoConnectOnOpen()
{
    QFETCH(QString, value);
    QFETCH(bool, checked);
    TempWorkDir dir;
    const QByteArray before = "language=cn\ncan_time=30\nauto_connect=" + value.toLatin1() + "\n";
    dir.writeFile("config.ini", before);
    {
        QSettings settings(configFilePath(), QSettings::IniFormat);
        config()->load(settings);
    }

    // Showing the setting writes nothing, whatever its spelling.
    SettingDialog dialog(*DeviceLink::instance());
    QCOMPARE(child<QCheckBox>(dialog, "checkBox_auto_connect")->isChecked(), checked);
    QCOMPARE(dir.readFile("config.ini").toLatin1(), before);
    QCOMPARE(config()->get(Config::AutoConnect).toBool(), checked);
}

void TestSettingDialog::autoConnectToggleWritesAndFollows()
{
    TempWorkDir dir;
    SettingDialog dialog(*DeviceLink::instance());
    auto *box = child<QCheckBox>(dialog, "checkBox_auto_connect");
    QVERIFY(box->isChecked());

    box->click();
    QCOMPARE(iniValue("auto_connect"), QStringLiteral("0"));
    QCOMPARE(config()->get(Config::AutoConnect), QVariant(false));

    box->click();
    QCOMPARE(iniValue("auto_connect"), QStringLiteral("1"));
    QCOMPARE(config()->get(Config::AutoConnect), QVariant(true));
}

void TestSettingDialog::pageListSelectsMatchingPage()
{
    TempWorkDir dir;
    LogCapture log;
    SettingDialog dialog(*DeviceLink::instance());
    auto *list = child<QListWidget>(dialog, "listWidget");
    auto *stack = child<QStackedWidget>(dialog, "stackedWidget");
    const char *pages[] = {"page", "page_4", "page_2", "page_3"};
    for (int row : {3, 1, 2, 0}) {
        list->setCurrentRow(row);
        QCOMPARE(stack->currentWidget()->objectName(), QLatin1String(pages[row]));
        QVERIFY(log.lines().contains(QStringLiteral("setting list %1").arg(row)));
    }
}

void TestSettingDialog::canTimeUpdateSends_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("sent");
    QTest::newRow("3 raised to 5") << "3" << 5;
    QTest::newRow("0 raised to 5") << "0" << 5;
    QTest::newRow("99") << "99" << 99;
    QTest::newRow("7 and a space") << "7 " << 7;
    QTest::newRow("space and 7") << " 7" << 7;
    QTest::newRow("third digit refused") << "123" << 12;
    QTest::newRow("letters refused") << "a4b" << 5;
}

void TestSettingDialog::canTimeUpdateSends()
{
    QFETCH(QString, typed);
    QFETCH(int, sent);
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes;
    LogCapture log;
    openLink(sim);
    SettingDialog dialog(*DeviceLink::instance());
    QTest::keyClicks(child<QLineEdit>(dialog, "lineEdit_can_time"), typed);
    child<QPushButton>(dialog, "pushButton_update_can_time")->click();
    QVERIFY(waitForBoxWork(&dialog));

    const QByteArray payload(1, char(sent));
    QCOMPARE(sim.box.wire(), QList<QByteArray>{commandReport(CMD_SET_CAN_TIME, payload)});
    QCOMPARE(int(sim.box.canTime()), sent);
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(log.lines().contains(QStringLiteral("update can time")));
    // The value typed is sent only; it is not shown nor kept anywhere.
    QCOMPARE(child<QLabel>(dialog, "label_can_time")->text(), QStringLiteral("..."));
    QVERIFY(!QFile::exists(dir.file("config.ini")));
}

void TestSettingDialog::canTimeEmptyFieldSendsNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    const QString blank = QStringLiteral("请输入CAN时间");
    QTest::newRow("empty") << "" << blank;
    QTest::newRow("spaces only") << "  " << blank;
}

void TestSettingDialog::canTimeEmptyFieldSendsNothing()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes;
    LogCapture log;
    openLink(sim);
    SettingDialog dialog(*DeviceLink::instance());
    child<QLineEdit>(dialog, "lineEdit_can_time")->setText(typed);
    child<QPushButton>(dialog, "pushButton_update_can_time")->click();
    QVERIFY(waitForBoxWork(&dialog));
    QVERIFY(sim.box.wire().isEmpty());
    QCOMPARE(boxes.texts(), QStringList{message});
    QCOMPARE(boxes.shown.value(0).kind, MessageBox::Warning);
    QVERIFY(log.lines().contains(QStringLiteral("update can time")));
}

void TestSettingDialog::unansweredCommandsWarn_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QString>("message");
    QTest::newRow("set CAN time") << "pushButton_update_can_time" << int(CMD_SET_CAN_TIME)
                                  << QStringLiteral("CAN时间设置失败");
    QTest::newRow("factory reset") << "pushButto_wifi_factory" << int(CMD_WIFI_FACTORY_RESET)
                                   << QStringLiteral("恢复出厂设置失败");
}

void TestSettingDialog::unansweredCommandsWarn()
{
    QFETCH(QString, button);
    QFETCH(int, cmd);
    QFETCH(QString, message);
    TempWorkDir dir;
    SimFixture sim;
    openLink(sim);
    sim.box.setInstantTimeouts(true);
    sim.box.setFault(SimBox::Fault::Silent, cmd);
    SettingDialog dialog(*DeviceLink::instance());
    MessageBoxRecorder boxes(QMessageBox::Yes);
    pressDeviceButton(dialog, button);
    QVERIFY(waitForBoxWork(&dialog));
    QCOMPARE(sim.box.commandsOnWire(), QList<uint8_t>{uint8_t(cmd)});
    QCOMPARE(boxes.texts().last(), message);
    QCOMPARE(boxes.shown.last().kind, MessageBox::Warning);
    QCOMPARE(boxes.shown.last().title, QStringLiteral("信息"));
}

void TestSettingDialog::canTimeReadShowsReply_data()
{
    QTest::addColumn<int>("boxValue");
    QTest::addColumn<QString>("label");
    QTest::newRow("0x05") << 0x05 << "5 ms";
    QTest::newRow("0x1E") << 0x1E << "30 ms";
    QTest::newRow("0xFF is unsigned") << 0xFF << "255 ms";
}

void TestSettingDialog::canTimeReadShowsReply()
{
    QFETCH(int, boxValue);
    QFETCH(QString, label);
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes;
    LogCapture log;
    openLink(sim);
    sim.box.setCanTime(uint8_t(boxValue));
    SettingDialog dialog(*DeviceLink::instance());
    child<QPushButton>(dialog, "pushButton_read_can_time")->click();
    QVERIFY(waitForBoxWork(&dialog));

    QCOMPARE(child<QLabel>(dialog, "label_can_time")->text(), label);
    QCOMPARE(sim.box.wire(), QList<QByteArray>{commandReport(CMD_GET_CAN_TIME)});
    QVERIFY(boxes.shown.isEmpty());
    const QStringList lines = log.lines();
    QVERIFY(lines.contains(QStringLiteral("read can time")));
    QVERIFY(lines.contains(QStringLiteral("can time %1").arg(boxValue)));
}

void TestSettingDialog::canTimeNoReplyKeepsLabel()
{
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes;
    openLink(sim);
    SettingDialog dialog(*DeviceLink::instance());
    auto *label = child<QLabel>(dialog, "label_can_time");
    auto *read = child<QPushButton>(dialog, "pushButton_read_can_time");

    sim.box.setFault(SimBox::Fault::Silent, CMD_GET_CAN_TIME);
    sim.box.setInstantTimeouts(true);
    read->click();
    QVERIFY(waitForBoxWork(&dialog));
    QCOMPARE(label->text(), QStringLiteral("..."));

    sim.box.clearFaults();
    read->click();
    QVERIFY(waitForBoxWork(&dialog));
    QCOMPARE(label->text(), QStringLiteral("30 ms"));

    sim.box.setCanTime(40);
    sim.box.setFault(SimBox::Fault::Silent, CMD_GET_CAN_TIME);
    sim.box.setInstantTimeouts(true);
    read->click();
    QVERIFY(waitForBoxWork(&dialog));
    QCOMPARE(label->text(), QStringLiteral("30 ms"));
    QVERIFY(boxes.shown.isEmpty());
}

void TestSettingDialog::factoryReset_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("sends");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << int(QMessageBox::No) << false;
    // A box closed with Escape chooses no button.
    QTest::newRow("escape") << int(QMessageBox::NoButton) << false;
}

void TestSettingDialog::factoryReset()
{
    QFETCH(int, answer);
    QFETCH(bool, sends);
    TempWorkDir dir;
    SimFixture sim;
    LogCapture log;
    openLink(sim);
    sim.box.setWifi("changed", "secret");
    SettingDialog dialog(*DeviceLink::instance());
    dialog.show();
    child<QListWidget>(dialog, "listWidget")->setCurrentRow(3);
    auto *label = child<QLabel>(dialog, "label_factory");
    QVERIFY(!label->isVisible());

    MessageBoxRecorder boxes;
    boxes.answers << QMessageBox::StandardButton(answer);
    bool visibleWhileOpen = false;
    boxes.whileOpen = [&](const MessageBox::Shown &) { visibleWhileOpen = label->isVisible(); };
    child<QPushButton>(dialog, "pushButto_wifi_factory")->click();
    QVERIFY(waitForBoxWork(&dialog));

    QCOMPARE(boxes.shown.size(), 1);
    const MessageBox::Shown &question = boxes.shown.first();
    QCOMPARE(question.kind, MessageBox::Question);
    QCOMPARE(question.parent, &dialog);
    QCOMPARE(question.title, QStringLiteral("提示"));
    QCOMPARE(question.text, QStringLiteral("确定要恢复出厂设置吗?"));
    QVERIFY(visibleWhileOpen);
    QVERIFY(!label->isVisible());

    const QStringList lines = log.lines();
    QVERIFY(lines.contains(QStringLiteral("wifi module factory")));
    QCOMPARE(lines.contains(QStringLiteral("yes yes")), sends);
    QCOMPARE(lines.contains(QStringLiteral("no no")), !sends);
    if (sends) {
        QCOMPARE(sim.box.wire(), QList<QByteArray>{commandReport(CMD_WIFI_FACTORY_RESET)});
        QCOMPARE(sim.box.wifiName(), QStringLiteral("VOTK_BOX"));
    } else {
        QVERIFY(sim.box.wire().isEmpty());
        QCOMPARE(sim.box.wifiName(), QStringLiteral("changed"));
    }
}

void TestSettingDialog::pressDeviceButton(SettingDialog &dialog, const QString &button)
{
    if (button == QLatin1String("pushButton_update_can_time"))
        child<QLineEdit>(dialog, "lineEdit_can_time")->setText(QStringLiteral("20"));
    child<QPushButton>(dialog, button.toLatin1().constData())->click();
}

void TestSettingDialog::deviceButtonsNeedConnection_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("read can time") << "pushButton_read_can_time";
    QTest::newRow("update can time") << "pushButton_update_can_time";
    QTest::newRow("factory reset") << "pushButto_wifi_factory";
}

void TestSettingDialog::deviceButtonsNeedConnection()
{
    QFETCH(QString, button);
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes(QMessageBox::Yes);
    SettingDialog dialog(*DeviceLink::instance());
    // A handle without the connected flag: only the flag counts.
    QCOMPARE(DeviceLink::instance()->open(), 0);
    CanRxThread frames(*DeviceLink::instance());
    BoxSession(*DeviceLink::instance(), frames).forgetBox();
    sim.box.clearWire();

    pressDeviceButton(dialog, button);

    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown.first().kind, MessageBox::Warning);
    QCOMPARE(boxes.shown.first().parent, &dialog);
    QCOMPARE(boxes.shown.first().title, QStringLiteral("信息"));
    QCOMPARE(boxes.shown.first().text, QStringLiteral("VOTK未连接"));
    QVERIFY(sim.box.wire().isEmpty());
    QCOMPARE(child<QLabel>(dialog, "label_can_time")->text(), QStringLiteral("..."));
    QVERIFY(child<QLabel>(dialog, "label_factory")->isHidden());
}

void TestSettingDialog::deviceButtonsWaitForUpgrade_data()
{
    deviceButtonsNeedConnection_data();
}

void TestSettingDialog::deviceButtonsWaitForUpgrade()
{
    QFETCH(QString, button);
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes(QMessageBox::Yes);
    openLink(sim);
    SettingDialog dialog(*DeviceLink::instance());
    {
        LinkClaimer upgrade;
        pressDeviceButton(dialog, button);
    }
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown.first().kind, MessageBox::Information);
    QCOMPARE(boxes.shown.first().parent, &dialog);
    QCOMPARE(boxes.shown.first().title, QStringLiteral("信息"));
    QCOMPARE(boxes.shown.first().text, QStringLiteral("正在升级固件，请稍候"));
    QVERIFY(sim.box.wire().isEmpty());
    QVERIFY(child<QLabel>(dialog, "label_factory")->isHidden());
}

void TestSettingDialog::silentBoxLeavesDialogServingUntilPulled_data()
{
    deviceButtonsNeedConnection_data();
}

void TestSettingDialog::silentBoxLeavesDialogServingUntilPulled()
{
    QFETCH(QString, button);
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes(QMessageBox::Yes);
    openLink(sim);
    // Real time-outs: the command waits as long as a silent box makes it.
    sim.box.setFault(SimBox::Fault::Silent);
    SettingDialog dialog(*DeviceLink::instance());
    const QList<QPushButton *> buttons = {child<QPushButton>(dialog, "pushButton_read_can_time"),
                                          child<QPushButton>(dialog, "pushButton_update_can_time"),
                                          child<QPushButton>(dialog, "pushButto_wifi_factory")};

    pressDeviceButton(dialog, button);
    // Served while the command waits, with no second command let in.
    QTRY_COMPARE(sim.box.commandsOnWire().size(), 1);
    for (QPushButton *other : buttons)
        QVERIFY(!other->isEnabled());

    sim.box.unplug();
    QVERIFY(waitForBoxWork(&dialog, 5000));
    for (QPushButton *other : buttons)
        QVERIFY(other->isEnabled());
    QCOMPARE(sim.box.commandsOnWire().size(), 1);
}

void TestSettingDialog::repliesStayWithDialogWhileCanRxRuns_data()
{
    QTest::addColumn<double>("framesPerSecond");
    QTest::newRow("reporting on, bus quiet") << 0.0;
    QTest::newRow("frames flowing") << 2000.0;
}

void TestSettingDialog::repliesStayWithDialogWhileCanRxRuns()
{
    QFETCH(double, framesPerSecond);
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes(QMessageBox::Yes);
    LogCapture log; // the thread logs every frame
    openLink(sim);
    QVERIFY(DeviceLink::instance()->exchange(CMD_CAN_RX_ENABLE, {1}).answered());
    QVERIFY(sim.box.canReporting());
    sim.box.setCanRate(framesPerSecond);

    std::atomic<int> frames{0};
    std::atomic<int> foreign{0};
    CanRxThread rx(*DeviceLink::instance());
    connect(
        &rx, &CanRxThread::send_can_rx, &rx,
        [&](const QVector<CanFrame> &batch) {
            for (const CanFrame &frame : batch) {
                ++frames;
                // Generated frames carry eight data bytes; anything else is a
                // reply the thread took.
                if (frame.length != 8)
                    ++foreign;
            }
        },
        Qt::DirectConnection);
    rx.start();
    if (framesPerSecond > 0)
        QTRY_VERIFY(frames.load() > 0);

    SettingDialog dialog(*DeviceLink::instance());
    auto *label = child<QLabel>(dialog, "label_can_time");
    auto *edit = child<QLineEdit>(dialog, "lineEdit_can_time");
    for (int round = 0; round < 20; ++round) {
        const int value = 10 + round;
        edit->setText(QString::number(value));
        child<QPushButton>(dialog, "pushButton_update_can_time")->click();
        QVERIFY(waitForBoxWork(&dialog));
        child<QPushButton>(dialog, "pushButton_read_can_time")->click();
        QVERIFY(waitForBoxWork(&dialog));
        QCOMPARE(label->text(), QStringLiteral("%1 ms").arg(value));
        child<QPushButton>(dialog, "pushButto_wifi_factory")->click();
        QVERIFY(waitForBoxWork(&dialog));
    }
    const int framesDuringDialog = frames.load();
    if (framesPerSecond > 0)
        QTRY_VERIFY(frames.load() > framesDuringDialog);
    rx.stop();

    QCOMPARE(foreign.load(), 0);
    if (framesPerSecond == 0)
        QCOMPARE(frames.load(), 0);
    QVERIFY(boxes.shown.size() == 20); // the factory questions only
}

void TestSettingDialog::closedDialogDeletesItself()
{
    TempWorkDir dir;
    QPointer<SettingDialog> dialog = new SettingDialog(*DeviceLink::instance());
    dialog->show();
    QVERIFY(dialog->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

QTEST_MAIN(TestSettingDialog)
#include "tst_settingdialog.moc"
