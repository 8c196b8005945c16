#include "commands.h"
#include "devicelink.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <algorithm>

// The CAN receive table: the texts of a row, the context menu and its two
// deletions, and frames arriving through the receive thread.
class TestCanReceive : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void rowShowsFrame_data();
    void rowShowsFrame();
    void rowsAppendAtTheBottom();
    void menuOffersDeleteAndDeleteAll();
    void deleteWithoutSelectionRemovesNothing();
    void deleteRemovesSelectedRowsOnly();
    void deleteRemovesRowsWithoutIdCell();
    void deleteLargeSelection();
    void deleteAllEmptiesAndNextFrameIsRowZero();
    void burstArrivesInOrderAndEndsAtNewestRow();
    void rowsSurviveTabSwitches();

private:
    void deliver(const QByteArray &frame);
    // Opens the context menu and picks entry `entry` (0 "删除", 1 "全部删除",
    // -1 none) by keyboard, as a user would. True when the menu was as it
    // should be.
    bool chooseFromMenu(int entry, QStringList *texts = nullptr);
    QString cell(int row, int column) const;
    void selectRows(const QList<int> &rows);

    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<SimFixture> m_sim;
    std::unique_ptr<MessageBoxRecorder> m_boxes;
    std::unique_ptr<MainWindow> m_window;
    QTableWidget *m_table = nullptr;
};

// The log without the offscreen platform's warnings about popups.
static QStringList ownLines(const LogCapture &log)
{
    QStringList lines = log.lines();
    lines.erase(
        std::remove_if(lines.begin(), lines.end(),
                       [](const QString &l) { return l.startsWith("This plugin does not"); }),
        lines.end());
    return lines;
}

void TestCanReceive::initTestCase()
{
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>");
}

void TestCanReceive::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    m_sim = std::make_unique<SimFixture>();
    m_boxes = std::make_unique<MessageBoxRecorder>();
    QCOMPARE(DeviceLink::instance()->open(), 0);
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    m_window->canRxThread().stop();
    m_table = m_window->findChild<QTableWidget *>("table_can_rx");
    QVERIFY(m_table);
    QCOMPARE(m_table->rowCount(), 0);
}

void TestCanReceive::cleanup()
{
    m_window.reset();
    m_boxes.reset();
    m_sim.reset();
    m_dir.reset();
    QCoreApplication::processEvents();
}

void TestCanReceive::deliver(const QByteArray &frame)
{
    // As the receive thread hands it over, through the window's own connection.
    emit m_window->canRxThread().send_can_rx(bytesVector(frame));
    QCoreApplication::sendPostedEvents(m_window.get(), QEvent::MetaCall);
}

QString TestCanReceive::cell(int row, int column) const
{
    QTableWidgetItem *item = m_table->item(row, column);
    return item ? item->text() : QString();
}

void TestCanReceive::selectRows(const QList<int> &rows)
{
    m_table->clearSelection();
    for (int r : rows)
        m_table->selectionModel()->select(m_table->model()->index(r, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

bool TestCanReceive::chooseFromMenu(int entry, QStringList *texts)
{
    QStringList shown;
    QPointer<QMenu> seen;
    bool plain = true;
    QTimer::singleShot(0, [&] {
        QMenu *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        seen = menu;
        plain = menu->parentWidget() == nullptr;
        for (QAction *a : menu->actions()) {
            shown << a->text();
            plain = plain && a->shortcut().isEmpty();
        }
        if (entry < 0) {
            QTest::keyClick(menu, Qt::Key_Escape);
            return;
        }
        for (int i = 0; i <= entry; ++i)
            QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    emit m_table->customContextMenuRequested(QPoint(5, 5));
    if (texts)
        *texts = shown;
    // Shown with both entries, without parent window or shortcuts, and gone
    // once closed.
    return shown == QStringList{"删除", "全部删除"} && plain && seen.isNull();
}

void TestCanReceive::rowShowsFrame_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("id"); // null: no ID cell at all
    QTest::addColumn<QString>("data");
    QTest::newRow("full frame") << hexBytes("df 07 02 01 0c 00 00 00 00 00") << "7df"
                                << "02 01 0c 00 00 00 00 00 ";
    QTest::newRow("two bytes") << hexBytes("34 12") << "1234"
                               << "";
    QTest::newRow("one byte") << hexBytes("34") << QString() << "";
    QTest::newRow("no byte") << QByteArray() << QString() << "";
    QTest::newRow("id 00 00") << hexBytes("00 00 55") << "0"
                              << "55 ";
    QTest::newRow("id 00 01") << hexBytes("00 01") << "100"
                              << "";
    QTest::newRow("id ff ff") << hexBytes("ff ff") << "ffff"
                              << "";
    QTest::newRow("data 0a") << hexBytes("23 01 0a") << "123"
                             << "0a ";
}

void TestCanReceive::rowShowsFrame()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, id);
    QFETCH(QString, data);
    LogCapture log;
    deliver(frame);
    QCOMPARE(ownLines(log), QStringList{"receive can rx"});
    QCOMPARE(m_table->rowCount(), 1);
    QTableWidgetItem *time = m_table->item(0, 0);
    QVERIFY(time);
    QVERIFY2(
        QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$").match(time->text()).hasMatch(),
        qPrintable(time->text()));
    QCOMPARE(m_table->item(0, 1) == nullptr, id.isNull());
    if (!id.isNull())
        QCOMPARE(cell(0, 1), id);
    QVERIFY(m_table->item(0, 2));
    QCOMPARE(cell(0, 2), data);
    for (int c = 0; c < 3; ++c)
        if (QTableWidgetItem *item = m_table->item(0, c))
            QCOMPARE(item->type(), int(QTableWidgetItem::Type));
}

void TestCanReceive::rowsAppendAtTheBottom()
{
    for (int i = 0; i < 5; ++i)
        deliver(QByteArray(1, char(i)) + QByteArray(1, '\0') + QByteArray(1, char(0x10 + i)));
    QCOMPARE(m_table->rowCount(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(cell(i, 1), QString::number(i, 16));
        QCOMPARE(cell(i, 2), QStringLiteral("%1 ").arg(0x10 + i, 2, 16));
    }
}

void TestCanReceive::menuOffersDeleteAndDeleteAll()
{
    deliver(hexBytes("01 00 aa"));
    QStringList texts;
    QVERIFY(chooseFromMenu(-1, &texts));
    QCOMPARE(texts, (QStringList{"删除", "全部删除"}));
    QCOMPARE(m_table->rowCount(), 1);
    // A new menu every time, with the same entries.
    QVERIFY(chooseFromMenu(1));
    QCOMPARE(m_table->rowCount(), 0);
}

void TestCanReceive::deleteWithoutSelectionRemovesNothing()
{
    for (int i = 0; i < 3; ++i)
        deliver(hexBytes("01 00"));
    m_table->clearSelection();
    LogCapture log;
    QVERIFY(chooseFromMenu(0));
    QCOMPARE(m_table->rowCount(), 3);
    QCOMPARE(ownLines(log), QStringList{"xxx"});
}

void TestCanReceive::deleteRemovesSelectedRowsOnly()
{
    for (int i = 0; i < 8; ++i)
        deliver(QByteArray(1, char(i)) + QByteArray(1, '\0'));
    selectRows({2, 5});
    LogCapture log;
    QVERIFY(chooseFromMenu(0));
    QCOMPARE(ownLines(log), QStringList{"xxx"});
    QStringList ids;
    for (int r = 0; r < m_table->rowCount(); ++r)
        ids << cell(r, 1);
    QCOMPARE(ids, (QStringList{"0", "1", "3", "4", "6", "7"}));
}

void TestCanReceive::deleteRemovesRowsWithoutIdCell()
{
    deliver(hexBytes("01 00"));
    deliver(hexBytes("07"));
    deliver(hexBytes("03 00"));
    // Only the empty ID cell of the middle row is selected.
    m_table->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_table->selectionModel()->select(m_table->model()->index(1, 1),
                                      QItemSelectionModel::ClearAndSelect);
    QVERIFY(chooseFromMenu(0));
    QCOMPARE(m_table->rowCount(), 2);
    QCOMPARE(cell(0, 1), QStringLiteral("1"));
    QCOMPARE(cell(1, 1), QStringLiteral("3"));
}

void TestCanReceive::deleteLargeSelection()
{
    for (int i = 0; i < 3000; ++i)
        deliver(QByteArray(1, char(i & 0xff)) + QByteArray(1, char(i >> 8)));
    m_table->selectAll();
    m_table->selectionModel()->select(m_table->model()->index(1500, 0),
                                      QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    QVERIFY(chooseFromMenu(0));
    QCOMPARE(m_table->rowCount(), 1);
    QCOMPARE(cell(0, 1), QString::number(1500, 16));
}

void TestCanReceive::deleteAllEmptiesAndNextFrameIsRowZero()
{
    LogCapture log;
    QVERIFY(chooseFromMenu(1));
    QCOMPARE(m_table->rowCount(), 0);
    for (int i = 0; i < 4; ++i)
        deliver(hexBytes("01 00 11"));
    log.clear();
    QVERIFY(chooseFromMenu(1));
    QCOMPARE(m_table->rowCount(), 0);
    QVERIFY(ownLines(log).isEmpty());
    deliver(hexBytes("df 07 22"));
    QCOMPARE(m_table->rowCount(), 1);
    QCOMPARE(cell(0, 1), QStringLiteral("7df"));
    QCOMPARE(cell(0, 2), QStringLiteral("22 "));
}

void TestCanReceive::burstArrivesInOrderAndEndsAtNewestRow()
{
    const int count = 3000;
    QVERIFY(DeviceLink::instance()->exchange(CMD_CAN_RX_ENABLE, {1}).answered());
    m_sim->box.queueCanBurst(count);
    m_window->canRxThread().start();
    QTRY_COMPARE_WITH_TIMEOUT(m_table->rowCount(), count, 60000);
    m_window->canRxThread().stop();
    // The generated stream counts in its first data byte and cycles through
    // six identifiers.
    QStringList firstIds;
    for (int r = 0; r < count; ++r) {
        const QString expected = QStringLiteral("%1").arg(r & 0xff, 2, 16, QLatin1Char('0'));
        if (!cell(r, 2).startsWith(expected))
            QFAIL(qPrintable(QStringLiteral("row %1 holds %2").arg(r).arg(cell(r, 2))));
        if (r < 6)
            firstIds << cell(r, 1);
        else
            QCOMPARE(cell(r, 1), firstIds.at(r % 6));
    }
    QScrollBar *bar = m_table->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
    const QRect last = m_table->visualItemRect(m_table->item(count - 1, 0));
    QVERIFY(m_table->viewport()->rect().contains(last.center()));
}

void TestCanReceive::rowsSurviveTabSwitches()
{
    for (int i = 0; i < 3; ++i)
        deliver(QByteArray(1, char(i)) + QByteArray(1, '\0'));
    QTabWidget *tabs = m_window->findChild<QTabWidget *>("tabWidget");
    for (int index : {0, 1, 2, 1}) {
        tabs->setCurrentIndex(index);
        QCoreApplication::processEvents();
    }
    m_window->canRxThread().stop();
    QCOMPARE(m_table->rowCount(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(cell(i, 1), QString::number(i));
}

QTEST_MAIN(TestCanReceive)
#include "tst_canreceive.moc"
