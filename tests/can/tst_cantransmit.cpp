#include "canframetype.h"
#include "cantab.h"
#include "commands.h"
#include "config.h"
#include "dbcframedialog.h"
#include "devicelink.h"
#include "filechooser.h"
#include "loadeddbc.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "transmitlistwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <thread>

// The CAN transmit rows, driven by typing into the window's fields and
// checked on the simulated box's wire.
class TestCanTransmit : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void typingRewritesField_data();
    void typingRewritesField();
    void pasteIsNormalisedAndLimited_data();
    void pasteIsNormalisedAndLimited();
    void clipboardPasteOfLongTextIsCut();
    void onlyRowOneLogsDataChanged();
    void flagIsSharedButNeverLeftSet();
    void sendPutsFrameOnWire_data();
    void sendPutsFrameOnWire();
    void refusedTextSendsNothingAndWarns_data();
    void refusedTextSendsNothingAndWarns();
    void sendLogsEveryPayloadByte();
    void emptyFieldSendsNothing_data();
    void emptyFieldSendsNothing();
    void notConnectedOnlyWarns_data();
    void notConnectedOnlyWarns();
    void upgradeInProgressSendsNothing();
    void sendingKeepsFieldText();
    void periodicRowsSendUntilStopped_data();
    void periodicRowsSendUntilStopped();
    void periodicRowWithRefusedIdStartsNothing();
    void counterByteCountsOnTheWire_data();
    void counterByteCountsOnTheWire();
    void listIsKeptAndTakesFrames();
    void listFileSavedAndLoaded();
    void replaySendsTheCaptureOrRefusesIt_data();
    void replaySendsTheCaptureOrRefusesIt();
    void dbcMessageFillsRow_data();
    void dbcMessageFillsRow();

private:
    struct Row
    {
        QLineEdit *id;
        QLineEdit *data;
        QPushButton *send;
    };
    Row row(int n) const;
    QLabel *rowError(int n) const;
    // Types a script into a field: '<' is the Left key, '^' the Home key,
    // every other character is typed as it is. A script starting with '='
    // pastes the rest in one piece instead.
    static void type(QLineEdit *field, const QString &script);
    static void addRowColumn();
    // "button" clicks the row's button; "enter id" and "enter data" press
    // Enter in that field.
    static void send(const Row &r, const QString &trigger);

    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<SimFixture> m_sim;
    std::unique_ptr<MessageBoxRecorder> m_boxes;
    std::unique_ptr<MainWindow> m_window;
};

void TestCanTransmit::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    m_sim = std::make_unique<SimFixture>();
    m_boxes = std::make_unique<MessageBoxRecorder>();
    QCOMPARE(DeviceLink::instance()->open(), 0);
    m_window = std::make_unique<MainWindow>(*DeviceLink::instance());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_sim->box.clearWire();
}

void TestCanTransmit::cleanup()
{
    m_window.reset();
    m_boxes.reset();
    m_sim.reset();
    m_dir.reset();
    loadedDbc()->clear();
}

TestCanTransmit::Row TestCanTransmit::row(int n) const
{
    const QString suffix = n == 1 ? QString() : QStringLiteral("_2");
    Row r{m_window->findChild<QLineEdit *>("lineEdit_can_id" + suffix),
          m_window->findChild<QLineEdit *>("lineEdit_can_data" + suffix),
          m_window->findChild<QPushButton *>("pushButton_can_send" + suffix)};
    return r;
}

QLabel *TestCanTransmit::rowError(int n) const
{
    return m_window->findChild<QLabel *>(n == 1 ? QStringLiteral("label_can_error")
                                                : QStringLiteral("label_can_error_%1").arg(n));
}

void TestCanTransmit::type(QLineEdit *field, const QString &script)
{
    if (script.startsWith(QLatin1Char('='))) {
        field->insert(script.mid(1));
        return;
    }
    for (QChar c : script) {
        if (c == '<')
            QTest::keyClick(field, Qt::Key_Left);
        else if (c == '^')
            QTest::keyClick(field, Qt::Key_Home);
        else
            QTest::keyClicks(field, QString(c));
    }
}

void TestCanTransmit::send(const Row &r, const QString &trigger)
{
    if (trigger == QLatin1String("button"))
        QTest::mouseClick(r.send, Qt::LeftButton);
    else
        QTest::keyClick(trigger == QLatin1String("enter id") ? r.id : r.data, Qt::Key_Return);
}

void TestCanTransmit::addRowColumn()
{
    QTest::addColumn<int>("rowNumber");
}

void TestCanTransmit::typingRewritesField_data()
{
    addRowColumn();
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    const QString eight = QStringLiteral("01 02 03 04 05 06 07 08");
    const QList<std::pair<const char *, std::pair<QString, QString>>> cases = {
        {"1 space", {"1 ", "01 "}},
        {"123 space", {"123 ", "12 03 "}},
        {"abc space keeps case", {"abc ", "ab 0c "}},
        {"ABC space keeps case", {"ABC ", "AB 0C "}},
        {"complete groups stay", {"12 34 56", "12 34 56"}},
        {"group after an unchanged rewrite", {"12 3 ", "12 03 "}},
        {"second space removed", {"11  22", "11 22"}},
        {"two spaces before cursor, no rewrite", {"12<  ", "1  2"}},
        {"two spaces clear empty field", {"  ", ""}},
        {"single space stays", {" ", " "}},
        {"space mid-text, no rewrite", {"12 34 ^ ", " 12 34 "}},
        {"23rd character typed", {eight, eight}},
        {"digit after eighth group undone", {eight + "9", eight}},
        {"space after eighth group undone", {eight + " ", eight}},
        {"several after eighth group undone", {eight + " 9a", eight}},
    };
    for (int n : {1, 2})
        for (const auto &c : cases)
            QTest::addRow("row %d: %s", n, c.first) << n << c.second.first << c.second.second;
}

void TestCanTransmit::typingRewritesField()
{
    QFETCH(int, rowNumber);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QLineEdit *field = row(rowNumber).data;
    type(field, keys);
    QCOMPARE(field->text(), text);
    // The other row is left alone.
    QCOMPARE(row(3 - rowNumber).data->text(), QString());
}

void TestCanTransmit::pasteIsNormalisedAndLimited_data()
{
    addRowColumn();
    QTest::addColumn<QString>("paste");
    QTest::addColumn<QString>("keysAfter");
    QTest::addColumn<QString>("text");
    const QString eight = QStringLiteral("01 02 03 04 05 06 07 08");
    for (int n : {1, 2}) {
        QTest::addRow("row %d: 20 chars unchanged", n) << n << "0102030405060708090a"
                                                       << ""
                                                       << "0102030405060708090a";
        QTest::addRow("row %d: 24 chars rewritten", n) << n << "0102030405060708090a0b0c"
                                                       << "" << eight;
        QTest::addRow("row %d: digit after rewritten paste undone", n)
            << n << "0102030405060708090a0b0c"
            << "f" << eight;
        QTest::addRow("row %d: space after rewritten paste undone", n)
            << n << "0102030405060708090a0b0c"
            << " " << eight;
    }
}

void TestCanTransmit::pasteIsNormalisedAndLimited()
{
    QFETCH(int, rowNumber);
    QFETCH(QString, paste);
    QFETCH(QString, keysAfter);
    QFETCH(QString, text);
    QLineEdit *field = row(rowNumber).data;
    type(field, "12");
    field->clear();
    field->insert(paste);
    type(field, keysAfter);
    QCOMPARE(field->text(), text);
}

void TestCanTransmit::clipboardPasteOfLongTextIsCut()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("0102030405060708090a0b0c"));
    if (clipboard->text() != QStringLiteral("0102030405060708090a0b0c"))
        QSKIP("no clipboard on this platform");
    QLineEdit *field = row(1).data;
    QTest::keySequence(field, QKeySequence::Paste);
    QCOMPARE(field->text(), QStringLiteral("01 02 03 04 05 06 07 08"));
}

void TestCanTransmit::onlyRowOneLogsDataChanged()
{
    LogCapture log;
    type(row(2).data, "1 ");
    QVERIFY(!log.contains("can data changed"));
    QVERIFY(log.contains("can handle"));
    log.clear();
    type(row(1).data, "1");
    const QStringList lines = log.lines();
    QCOMPARE(lines.value(0), QStringLiteral("can data changed"));
    QCOMPARE(lines.value(1), QStringLiteral("#### \"1\" ##### false"));
    QCOMPARE(lines.size(), 2);
    log.clear();
    type(row(1).data, "2");
    QCOMPARE(log.lines().value(2), QStringLiteral("return 2"));
    // Typing a space: the handled change, then the nested change of the
    // rewrite, which the raised flag stops.
    log.clear();
    type(row(1).data, "3 ");
    QVERIFY(log.contains("#### \"12 03 \" ##### true"));
    QCOMPARE(log.lines().filter("can data changed").size(), 3);
}

void TestCanTransmit::flagIsSharedButNeverLeftSet()
{
    // A rewrite that leaves the text as it was reports no change; the shared
    // flag must still be clear for the very next change, in either row.
    type(row(1).data, "12 ");
    row(2).data->insert("4 ");
    QCOMPARE(row(2).data->text(), QStringLiteral("04 "));
    type(row(2).data, "56 ");
    row(1).data->insert("7 ");
    QCOMPARE(row(1).data->text(), QStringLiteral("12 07 "));
}

void TestCanTransmit::sendPutsFrameOnWire_data()
{
    addRowColumn();
    QTest::addColumn<QString>("idKeys");
    QTest::addColumn<QString>("dataKeys");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QByteArray>("payload");
    for (int n : {1, 2}) {
        QTest::addRow("row %d: 7df 01 02", n) << n << "7df"
                                              << "01 02"
                                              << "button" << hexBytes("df 07 01 02");
        QTest::addRow("row %d: 11, two spaces, 22", n) << n << "1"
                                                       << "11  22"
                                                       << "button" << hexBytes("01 00 11 22");
        QTest::addRow("row %d: highest id, short pieces", n)
            << n << "7ff"
            << "1 2 3"
            << "button" << hexBytes("ff 07 01 02 03");
        QTest::addRow("row %d: eight bytes, Enter in data", n)
            << n << "7E8"
            << "01 02 03 04 05 06 07 08"
            << "enter data" << hexBytes("e8 07 01 02 03 04 05 06 07 08");
        QTest::addRow("row %d: pairs without spaces, Enter in id", n)
            << n << "123"
            << "1122334455667788"
            << "enter id" << hexBytes("23 01 11 22 33 44 55 66 77 88");
    }
}

void TestCanTransmit::sendPutsFrameOnWire()
{
    QFETCH(int, rowNumber);
    QFETCH(QString, idKeys);
    QFETCH(QString, dataKeys);
    QFETCH(QString, trigger);
    QFETCH(QByteArray, payload);
    const Row r = row(rowNumber);
    type(r.id, idKeys);
    type(r.data, dataKeys);
    send(r, trigger);
    QCOMPARE(m_sim->box.wire(), QList<QByteArray>{commandReport(CMD_CAN_FRAME, payload)});
    QCOMPARE(m_sim->box.sentCanFrames().size(), 1);
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestCanTransmit::refusedTextSendsNothingAndWarns_data()
{
    addRowColumn();
    QTest::addColumn<QString>("idKeys");
    QTest::addColumn<QString>("dataKeys");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("warning"); // shown beside the row
    const QString badId = QStringLiteral("ID应为0~7FF");
    const QString badData = QStringLiteral("数据应为最多8字节");
    for (int n : {1, 2}) {
        QTest::addRow("row %d: id with inner space", n) << n << "1 2"
                                                        << "01"
                                                        << "button" << badId;
        QTest::addRow("row %d: id above 11 bits", n) << n << "fff"
                                                     << "01"
                                                     << "enter id" << badId;
        // An extended identifier must not be cut into the standard one 18D.
        QTest::addRow("row %d: 18DAF110 typed", n) << n << "18DAF110"
                                                   << "01"
                                                   << "enter id" << badId;
        QTest::addRow("row %d: 18DAF110 pasted", n) << n << "=18DAF110"
                                                    << "01"
                                                    << "button" << badId;
        QTest::addRow("row %d: lone space", n) << n << "1"
                                               << " "
                                               << "button" << badData;
        QTest::addRow("row %d: two spaces typed inside", n) << n << "1"
                                                            << "12<  "
                                                            << "enter data" << badData;
        QTest::addRow("row %d: three-digit run", n) << n << "1"
                                                    << "123"
                                                    << "button" << badData;
        QTest::addRow("row %d: 20-char paste", n) << n << "7"
                                                  << "0102030405060708090a"
                                                  << "button" << badData;
    }
}

void TestCanTransmit::refusedTextSendsNothingAndWarns()
{
    QFETCH(int, rowNumber);
    QFETCH(QString, idKeys);
    QFETCH(QString, dataKeys);
    QFETCH(QString, trigger);
    QFETCH(QString, warning);
    const Row r = row(rowNumber);
    type(r.id, idKeys);
    type(r.data, dataKeys);
    send(r, trigger);
    QVERIFY(m_sim->box.wire().isEmpty());
    // Refused at the field, in a red frame, without a dialog in the way.
    QVERIFY(m_boxes->shown.isEmpty());
    QCOMPARE(rowError(rowNumber)->text(), warning);
    QLineEdit *atFault = warning.startsWith(QLatin1String("ID")) ? r.id : r.data;
    QVERIFY(atFault->styleSheet().contains(QLatin1String("red")));
    QVERIFY(!(atFault == r.id ? r.data : r.id)->styleSheet().contains(QLatin1String("red")));
    // Editing again clears it.
    QTest::keyClick(atFault, Qt::Key_Backspace);
    QCOMPARE(rowError(rowNumber)->text(), QString());
}

void TestCanTransmit::sendLogsEveryPayloadByte()
{
    const Row r = row(1);
    type(r.id, "7df");
    type(r.data, "01 02");
    LogCapture log;
    QTest::mouseClick(r.send, Qt::LeftButton);
    const QStringList expected = {"send can", "223", "7", "1", "2"};
    QCOMPARE(log.lines(), expected);
}

void TestCanTransmit::emptyFieldSendsNothing_data()
{
    addRowColumn();
    QTest::addColumn<QString>("idKeys");
    QTest::addColumn<QString>("dataKeys");
    for (int n : {1, 2}) {
        QTest::addRow("row %d: no id", n) << n << ""
                                          << "01";
        QTest::addRow("row %d: no data", n) << n << "7df"
                                            << "";
        QTest::addRow("row %d: neither", n) << n << ""
                                            << "";
    }
}

void TestCanTransmit::emptyFieldSendsNothing()
{
    QFETCH(int, rowNumber);
    QFETCH(QString, idKeys);
    QFETCH(QString, dataKeys);
    const Row r = row(rowNumber);
    type(r.id, idKeys);
    type(r.data, dataKeys);
    LogCapture log;
    QTest::mouseClick(r.send, Qt::LeftButton);
    QVERIFY(m_sim->box.wire().isEmpty());
    QVERIFY(m_boxes->shown.isEmpty());
    QCOMPARE(log.lines(), QStringList{"send can"});
}

void TestCanTransmit::notConnectedOnlyWarns_data()
{
    addRowColumn();
    QTest::addColumn<bool>("filled");
    for (int n : {1, 2}) {
        QTest::addRow("row %d: filled", n) << n << true;
        QTest::addRow("row %d: empty", n) << n << false;
    }
}

void TestCanTransmit::notConnectedOnlyWarns()
{
    QFETCH(int, rowNumber);
    QFETCH(bool, filled);
    const Row r = row(rowNumber);
    if (filled) {
        type(r.id, "7df");
        type(r.data, "01 02");
    }
    m_window->findChild<BoxSession *>("boxSession")->forgetBox();
    LogCapture log;
    QTest::mouseClick(r.send, Qt::LeftButton);
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown.first().kind, MessageBox::Warning);
    QCOMPARE(m_boxes->shown.first().text, QStringLiteral("VOTK未连接"));
    QVERIFY(m_sim->box.wire().isEmpty());
    QVERIFY(!log.contains("send can"));
}

void TestCanTransmit::upgradeInProgressSendsNothing()
{
    // The transfer thread holds the link.
    bool claimed = false;
    std::thread([&claimed] { claimed = DeviceLink::instance()->claim(); }).join();
    QVERIFY(claimed);
    QVERIFY(DeviceLink::instance()->isClaimedByOther());
    const Row r = row(1);
    type(r.id, "7df");
    type(r.data, "01 02");
    QTest::mouseClick(r.send, Qt::LeftButton);
    QCOMPARE(m_boxes->texts(), QStringList{"正在升级固件，请稍候"});
    QCOMPARE(m_boxes->shown.first().kind, MessageBox::Information);
    QVERIFY(m_sim->box.wire().isEmpty());
}

void TestCanTransmit::sendingKeepsFieldText()
{
    const Row r = row(2);
    type(r.id, "1");
    type(r.data, "1 2");
    QTest::mouseClick(r.send, Qt::LeftButton);
    QTest::mouseClick(r.send, Qt::LeftButton);
    QCOMPARE(r.data->text(), QStringLiteral("01 2"));
    QCOMPARE(m_sim->box.sentCanFrames().size(), 2);
    QCOMPARE(vectorBytes(m_sim->box.sentCanFrames().last()), hexBytes("01 00 01 02"));
}

void TestCanTransmit::periodicRowsSendUntilStopped_data()
{
    QTest::addColumn<QString>("stop");
    QTest::newRow("toggles") << "toggles";
    QTest::newRow("kept on another tab by default, then the box pulled out") << "tab";
    QTest::newRow("box pulled out") << "unplug";
    QTest::newRow("kept on another tab, then the box pulled out") << "every tab";
    QTest::newRow("rows switched off") << "off";
}

// Both rows run at once, each with its own frame, until the way out stops both.
void TestCanTransmit::periodicRowsSendUntilStopped()
{
    QFETCH(QString, stop);
    auto *tabs = m_window->findChild<QTabWidget *>("tabWidget");
    tabs->setCurrentIndex(1);
    m_sim->box.clearWire();
    QPushButton *toggles[2];
    QLabel *counts[2];
    for (int n = 1; n <= 2; ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral("_2");
        type(row(n).id, n == 1 ? "7DF" : "123");
        type(row(n).data, n == 1 ? "=02010C" : "=55");
        m_window->findChild<QSpinBox *>("spinBox_can_period" + suffix)->setValue(5 * n);
        toggles[n - 1] = m_window->findChild<QPushButton *>("pushButton_can_period" + suffix);
        counts[n - 1] = m_window->findChild<QLabel *>("label_can_period_count" + suffix);
        QTest::mouseClick(toggles[n - 1], Qt::LeftButton);
        QVERIFY(toggles[n - 1]->isChecked());
        // The running row's button stops it, and says so.
        QCOMPARE(toggles[n - 1]->text(), QStringLiteral("停止"));
        QVERIFY(!row(n).data->isEnabled() && !row(n).send->isEnabled());
    }
    const QVector<uint8_t> first{0xDF, 0x07, 0x02, 0x01, 0x0C};
    const QVector<uint8_t> second{0x23, 0x01, 0x55};
    QTRY_VERIFY(m_sim->box.sentCanFrames().count(first) >= 5 &&
                m_sim->box.sentCanFrames().count(second) >= 5);
    if (stop == QLatin1String("toggles")) {
        QTest::mouseClick(toggles[0], Qt::LeftButton);
        QTest::mouseClick(toggles[1], Qt::LeftButton);
    } else if (stop == QLatin1String("off")) {
        m_window->findChild<QCheckBox *>("checkBox_can_enabled")->click();
        m_window->findChild<QCheckBox *>("checkBox_can_enabled_2")->click();
        // Nothing of a row switched off can be used.
        for (int n = 1; n <= 2; ++n)
            for (QWidget *w :
                 {static_cast<QWidget *>(row(n).id), static_cast<QWidget *>(row(n).data),
                  static_cast<QWidget *>(row(n).send), static_cast<QWidget *>(toggles[n - 1])})
                QVERIFY(!w->isEnabled());
    } else if (stop == QLatin1String("tab") || stop == QLatin1String("every tab")) {
        config()->set(Config::CanRxAlways, stop == QLatin1String("every tab"));
        tabs->setCurrentIndex(0);
        const int before = m_sim->box.sentCanFrames().size();
        QTRY_VERIFY(m_sim->box.sentCanFrames().size() >= before + 10);
        QVERIFY(toggles[0]->isChecked() && toggles[1]->isChecked());
        m_sim->box.unplug();
    } else {
        m_sim->box.unplug();
    }
    QTRY_VERIFY(!toggles[0]->isChecked() && !toggles[1]->isChecked());
    QCOMPARE(toggles[0]->text(), QStringLiteral("周期发送"));
    const QList<QVector<uint8_t>> sent = m_sim->box.sentCanFrames();
    QTest::qWait(50);
    QCOMPARE(m_sim->box.sentCanFrames().size(), sent.size());
    QCOMPARE(sent.count(first) + sent.count(second), sent.size());
    QCOMPARE(counts[0]->text().toInt(), sent.count(first));
    QCOMPARE(counts[1]->text().toInt(), sent.count(second));
}

void TestCanTransmit::periodicRowWithRefusedIdStartsNothing()
{
    m_window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    QVERIFY(waitForBoxWork(m_window.get()));
    m_sim->box.clearWire();
    type(row(1).id, "800");
    type(row(1).data, "=01");
    auto *toggle = m_window->findChild<QPushButton *>("pushButton_can_period");
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(!toggle->isChecked());
    QCOMPARE(rowError(1)->text(), QStringLiteral("ID应为0~7FF"));
    QVERIFY(m_boxes->shown.isEmpty());
    QTest::qWait(50);
    QVERIFY(m_sim->box.sentCanFrames().isEmpty());
}

void TestCanTransmit::counterByteCountsOnTheWire_data()
{
    QTest::addColumn<QString>("how"); // "send" three clicks, "periodic" a count of three
    QTest::newRow("send three times") << "send";
    QTest::newRow("periodic, three frames") << "periodic";
}

// The counter byte goes up with every frame the box is given, FF wrapping to
// 00, and the row carries on from there.
void TestCanTransmit::counterByteCountsOnTheWire()
{
    QFETCH(QString, how);
    m_window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    QVERIFY(waitForBoxWork(m_window.get()));
    m_sim->box.clearWire();
    const Row r = row(1);
    type(r.id, "123");
    type(r.data, "=AA FE 55");
    m_window->findChild<QSpinBox *>("spinBox_can_counter")->setValue(1);
    if (how == QLatin1String("send")) {
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(r.send, Qt::LeftButton);
    } else {
        m_window->findChild<QSpinBox *>("spinBox_can_period")->setValue(2);
        m_window->findChild<QSpinBox *>("spinBox_can_count")->setValue(3);
        auto *toggle = m_window->findChild<QPushButton *>("pushButton_can_period");
        QTest::mouseClick(toggle, Qt::LeftButton);
        // A count reached ends the row by itself.
        QTRY_VERIFY(!toggle->isChecked());
    }
    const QList<QVector<uint8_t>> expected = {{0x23, 0x01, 0xAA, 0xFE, 0x55},
                                              {0x23, 0x01, 0xAA, 0xFF, 0x55},
                                              {0x23, 0x01, 0xAA, 0x00, 0x55}};
    QCOMPARE(m_sim->box.sentCanFrames(), expected);
    QCOMPARE(r.data->text(), QStringLiteral("aa 01 55"));
}

// The rows come back in the next run; a frame handed over fills a row that
// sends it.
void TestCanTransmit::listIsKeptAndTakesFrames()
{
    type(row(2).id, "7DF");
    type(row(2).data, "=0102");
    m_window->findChild<QLineEdit *>("lineEdit_can_name_2")->setText(QStringLiteral("ask"));
    m_window->findChild<TransmitListWidget *>()->setCurrentRow(1);
    m_window->findChild<QPushButton *>("pushButton_tx_add")->click();
    CanFrame frame;
    frame.id = 0x321;
    const uint8_t bytes[] = {0x0A, 0x0B};
    frame.setData(bytes, 2);
    m_window->findChild<CanTab *>()->addTransmitFrame(frame);
    m_window.reset();
    m_window = std::make_unique<MainWindow>(*DeviceLink::instance());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(row(2).data->text(), QStringLiteral("0102"));
    QCOMPARE(m_window->findChild<QLineEdit *>("lineEdit_can_name_2")->text(),
             QStringLiteral("ask"));
    // The new row took the frame rather than a second new one.
    QVERIFY(!m_window->findChild<QLineEdit *>("lineEdit_can_id_4"));
    m_sim->box.clearWire();
    QTest::mouseClick(m_window->findChild<QPushButton *>("pushButton_can_send_3"), Qt::LeftButton);
    QCOMPARE(m_sim->box.sentCanFrames(), (QList<QVector<uint8_t>>{{0x21, 0x03, 0x0A, 0x0B}}));
}

// Save list… and Load list…: the rows come back as saved; a bad file is
// refused whole with its line, the rows left as they were.
void TestCanTransmit::listFileSavedAndLoaded()
{
    type(row(1).id, "7DF");
    type(row(1).data, "=02010C");
    m_window->findChild<QSpinBox *>("spinBox_can_counter")->setValue(2);
    m_window->findChild<QCheckBox *>("checkBox_can_enabled_2")->setChecked(false);
    const QString saved = m_dir->file(QStringLiteral("rows.txlist"));
    saveFileChooser() = [saved](QWidget *, const QString &, const QString &, const QString &,
                                QString *) { return saved; };
    m_window->findChild<QPushButton *>("pushButton_tx_save")->click();
    saveFileChooser() = [](QWidget *, const QString &, const QString &, const QString &,
                           QString *) { return QString(); };
    auto *list = m_window->findChild<TransmitListWidget *>();
    const QVector<TransmitRow> before = list->rows();
    QCOMPARE(before.size(), 2);

    m_dir->writeFile(QStringLiteral("bad.txlist"),
                     "# votkbox transmit list 1\non\t1\t01\t10\t0\t-\tx\non\t1\t01\t10\n");
    QString chosen = m_dir->file(QStringLiteral("bad.txlist"));
    openFileChooser() = [&chosen](QWidget *, const QString &, const QString &, const QString &,
                                  QFileDialog::Options) { return chosen; };
    m_window->findChild<QPushButton *>("pushButton_tx_load")->click();
    QCOMPARE(m_boxes->texts(), QStringList{"无法载入发送列表，第3行：应为以制表符分隔的7个字段"});
    QCOMPARE(list->rows(), before);
    // A folder (or a FIFO) is no list, and is not waited on.
    chosen = m_dir->file(QStringLiteral("."));
    m_window->findChild<QPushButton *>("pushButton_tx_load")->click();
    QCOMPARE(m_boxes->texts().value(1), QStringLiteral("无法载入发送列表：不是发送列表文件"));
    QCOMPARE(list->rows(), before);

    m_window->findChild<QPushButton *>("pushButton_tx_add")->click();
    QCOMPARE(list->rows().size(), 3);
    chosen = saved;
    m_window->findChild<QPushButton *>("pushButton_tx_load")->click();
    openFileChooser() = [](QWidget *, const QString &, const QString &, const QString &,
                           QFileDialog::Options) { return QString(); };
    QCOMPARE(list->rows(), before);
    QVERIFY(!m_window->findChild<QPushButton *>("pushButton_can_send_2")->isEnabled());
}

void TestCanTransmit::replaySendsTheCaptureOrRefusesIt_data()
{
    QTest::addColumn<QByteArray>("capture");
    QTest::addColumn<QString>("options"); // "received" ticked, "fastest", "loops=N", "start=S"
    QTest::addColumn<QString>("sent");    // payloads on the box, hex, ';' between; "-": refused
    // A log without direction marks holds frames the box reported.
    QTest::newRow("three frames") << QByteArray("(1.000000) can0 7DF#02010C\n(1.002000) can0 123#\n"
                                                "(1.003000) can0 7FF#0102030405060708\n")
                                  << "received"
                                  << "df0702010c;2301;ff070102030405060708";
    QTest::newRow("damaged line") << QByteArray("(1.000000) can0 7DF#02010C\n(1.002000 can0 123#\n")
                                  << "received"
                                  << "-";
    QTest::newRow("identifier 800")
        << QByteArray("(1.000000) can0 7DF#02\n(1.002000) can0 00000800#00\n") << "received"
        << "-";
    QTest::newRow("nine bytes") << QByteArray("(1.000000) can0 100#000102030405060708\n")
                                << "received"
                                << "-";
    const QByteArray marked("(1.000000) can0 7DF#01 T\n(1.001000) can0 123#02 R\n"
                            "(1.002000) can0 7FF#03 T\n");
    QTest::newRow("received frames not sent again") << marked << ""
                                                    << "df0701;ff0703";
    QTest::newRow("received frames sent when asked") << marked << "received"
                                                     << "df0701;230102;ff0703";
    QTest::newRow("only received frames: refused")
        << QByteArray("(1.000000) can0 7DF#02010C\n") << ""
        << "-";
    QTest::newRow("twice, fastest") << marked << "fastest loops=2"
                                    << "df0701;ff0703;df0701;ff0703";
    // Seconds into the file, counted from its first frame, sent or not.
    QTest::newRow("start at") << QByteArray("(1.000000) can0 100#00 R\n(1.300000) can0 7DF#01 T\n"
                                            "(1.600000) can0 7FF#02 T\n")
                              << "start=0.5"
                              << "ff0702";
}

void TestCanTransmit::replaySendsTheCaptureOrRefusesIt()
{
    QFETCH(QByteArray, capture);
    QFETCH(QString, options);
    QFETCH(QString, sent);
    m_window->findChild<QCheckBox *>("checkBox_can_replay_received")
        ->setChecked(options.contains(QLatin1String("received")));
    if (options.contains(QLatin1String("fastest")))
        m_window->findChild<QComboBox *>("comboBox_can_replay_speed")->setCurrentIndex(4);
    const QRegularExpression loops(QStringLiteral("loops=(\\d+)"));
    if (loops.match(options).hasMatch())
        m_window->findChild<QSpinBox *>("spinBox_can_replay_loops")
            ->setValue(loops.match(options).captured(1).toInt());
    const QRegularExpression start(QStringLiteral("start=([0-9.]+)"));
    if (start.match(options).hasMatch())
        m_window->findChild<QDoubleSpinBox *>("doubleSpinBox_can_replay_start")
            ->setValue(start.match(options).captured(1).toDouble());
    m_window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    QVERIFY(waitForBoxWork(m_window.get()));
    m_sim->box.clearWire();
    m_dir->writeFile(QStringLiteral("capture.log"), capture);
    const QString path = m_dir->file(QStringLiteral("capture.log"));
    openFileChooser() = [path](QWidget *, const QString &, const QString &, const QString &,
                               QFileDialog::Options) { return path; };
    auto *replay = m_window->findChild<QPushButton *>("pushButton_can_replay");
    QTest::mouseClick(replay, Qt::LeftButton);
    QTRY_VERIFY(!replay->isChecked());
    QCOMPARE(replay->text(), QStringLiteral("回放…"));
    openFileChooser() = [](QWidget *, const QString &, const QString &, const QString &,
                           QFileDialog::Options) { return QString(); };
    QStringList payloads;
    for (const QVector<uint8_t> &frame : m_sim->box.sentCanFrames())
        payloads << QString::fromLatin1(vectorBytes(frame).toHex());
    if (sent == QLatin1String("-")) {
        QCOMPARE(m_boxes->shown.size(), 1);
        QVERIFY(payloads.isEmpty());
    } else {
        QVERIFY(m_boxes->shown.isEmpty());
        QCOMPARE(payloads.join(QLatin1Char(';')), sent);
        // The progress stays shown once the replay is over.
        QCOMPARE(m_window->findChild<QLabel *>("label_can_replay")->text(),
                 QStringLiteral("%1 / %1").arg(payloads.size()));
    }
}

void TestCanTransmit::dbcMessageFillsRow_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("values"); // signal=value as typed
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("value table and signed Motorola")
        << "Transmission" << QStringList{"Gear=3", "TorqueRequest=-2"}
        << hexBytes("f1 02 03 00 ff c0 00 00 00 00");
    // The other pages' signals share the byte: only page 1's is written.
    QTest::newRow("multiplexed") << "DiagResponse" << QStringList{"Page=1", "FuelLevel=50"}
                                 << hexBytes("e8 07 01 7d 00 00 00 00 00 00");
    QTest::newRow("clamped to the range") << "Temperatures" << QStringList{"CoolantTemp=300"}
                                          << hexBytes("e9 03 00 00 00 00 ff 00 00 00");
}

// "DBC…" beside a transmit row: a message's signal values become the row's
// identifier and bytes, which the send puts on the wire.
void TestCanTransmit::dbcMessageFillsRow()
{
    QFETCH(QString, message);
    QFETCH(QStringList, values);
    QFETCH(QByteArray, payload);
    auto *button = m_window->findChild<QPushButton *>("pushButton_can_dbc_2");
    QVERIFY(!button->isEnabled());
    loadedDbc()->load({QStringLiteral(VOTKBOX_SOURCE_DIR "/docs/examples/votkbox-demo.dbc")});
    QVERIFY(button->isEnabled());
    bool filled = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<DbcFrameDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        filled = dialog->chooseMessage(message);
        for (const QString &v : values)
            filled = filled && dialog->setValueText(v.section('=', 0, 0), v.section('=', 1));
        dialog->accept();
    });
    button->click();
    QVERIFY(filled);
    QTest::mouseClick(row(2).send, Qt::LeftButton);
    QCOMPARE(m_sim->box.wire(), QList<QByteArray>{commandReport(CMD_CAN_FRAME, payload)});
    QVERIFY(m_boxes->shown.isEmpty());
}

QTEST_MAIN(TestCanTransmit)
#include "tst_cantransmit.moc"
