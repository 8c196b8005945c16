#include "commands.h"
#include "config.h"
#include "dbcframedialog.h"
#include "devicelink.h"
#include "filechooser.h"
#include "loadeddbc.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    QTest::addColumn<QString>("warning");
    const QString badId = QStringLiteral("CAN ID有误：应为1~3位十六进制数，不大于7FF");
    const QString badData =
        QStringLiteral("CAN数据有误：应为最多8个字节，每个1~2位十六进制数，以单个空格分隔；"
                       "或不带空格的偶数位十六进制数，最多16位");
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
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown.first().kind, MessageBox::Warning);
    QCOMPARE(m_boxes->shown.first().title, QStringLiteral("信息"));
    QCOMPARE(m_boxes->shown.first().text, warning);
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
    }
    const QVector<uint8_t> first{0xDF, 0x07, 0x02, 0x01, 0x0C};
    const QVector<uint8_t> second{0x23, 0x01, 0x55};
    QTRY_VERIFY(m_sim->box.sentCanFrames().count(first) >= 5 &&
                m_sim->box.sentCanFrames().count(second) >= 5);
    if (stop == QLatin1String("toggles")) {
        QTest::mouseClick(toggles[0], Qt::LeftButton);
        QTest::mouseClick(toggles[1], Qt::LeftButton);
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
    QCOMPARE(m_boxes->shown.size(), 1);
    QTest::qWait(50);
    QVERIFY(m_sim->box.sentCanFrames().isEmpty());
}

void TestCanTransmit::replaySendsTheCaptureOrRefusesIt_data()
{
    QTest::addColumn<QByteArray>("capture");
    QTest::addColumn<QString>("sent"); // payloads on the box, hex, ';' between; "-": refused
    QTest::newRow("three frames") << QByteArray("(1.000000) can0 7DF#02010C\n(1.002000) can0 123#\n"
                                                "(1.003000) can0 7FF#0102030405060708\n")
                                  << "df0702010c;2301;ff070102030405060708";
    QTest::newRow("damaged line") << QByteArray("(1.000000) can0 7DF#02010C\n(1.002000 can0 123#\n")
                                  << "-";
    QTest::newRow("identifier 800")
        << QByteArray("(1.000000) can0 7DF#02\n(1.002000) can0 00000800#00\n") << "-";
    QTest::newRow("nine bytes") << QByteArray("(1.000000) can0 100#000102030405060708\n") << "-";
}

void TestCanTransmit::replaySendsTheCaptureOrRefusesIt()
{
    QFETCH(QByteArray, capture);
    QFETCH(QString, sent);
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
