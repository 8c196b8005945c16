#include "canidsummarymodel.h"
#include "canrxmodel.h"
#include "cantracewindow.h"
#include "capturefile.h"
#include "commands.h"
#include "config.h"
#include "devicelink.h"
#include "filechooser.h"
#include "frameclock.h"
#include "loadeddbc.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "windowparts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>

// The CAN receive table: the texts of a row, the context menu and its two
// deletions, the row limit, pausing, saving, and frames arriving through the
// receive thread.
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
    void copiedRowsParseBackAsTheFramesShown();
    void rowActionsFilterHideAndSaveWhatIsShown_data();
    void rowActionsFilterHideAndSaveWhatIsShown();
    void traceViewFollowsNewestUntilScrolledAway();
    void framesOfOneBatchKeepTheirReadTimes();
    void sentFrameIsARowBetweenReceivedOnes();
    void filteredViewFollowsFramesDeletionsAndLimit();
    void perIdViewCountsPeriodsAndChangedBytes();
    void menuOffersDeleteAndDeleteAll();
    void deleteWithoutSelectionRemovesNothing();
    void deleteRemovesSelectedRowsOnly_data();
    void deleteRemovesSelectedRowsOnly();
    void deleteRemovesRowOfEmptyDataCell();
    void deleteLargeSelection();
    void deleteAllEmptiesAndNextFrameIsRowZero();
    void burstArrivesInOrderAndEndsAtNewestRow();
    void rowsSurviveTabSwitches();
    void pausedCaptureLeavesOneGapRow();
    void deleteOnLargeStore_data();
    void deleteOnLargeStore();
    void rowLimitGivesWayOldestFirst();
    void pauseKeepsStoringAndCounting();
    void saveWritesFrames_data();
    void saveWritesFrames();
    void saveRefused_data();
    void saveRefused();
    void saveCancelLeavesNoFile();
    void framesDuringSaveTrimNoRowBeingWritten();
    void recordingTakesEveryFrameUntilAWriteFails();
    void traceWindowSharesFramesFilterAndFreeze();
    void openedCaptureSkipsDamagedLine();
    void openedCaptureKeepsExtendedFramesApart();
    void openingAFifoWarnsAtOnce();
    void databaseNamesDecodesAndFiltersRows();
    void perIdViewShowsSignalsAndLateMessages();

private:
    void deliver(const QByteArray &frame);
    // Frames ("df 07 01") read at the given times and handled in one batch.
    void deliverBatch(const QList<QPair<const char *, qint64>> &frames);
    // What the window has been handed, in the table.
    void showHandedOver();
    // Opens the context menu and picks entry `entry` (0 "删除", 1 "全部删除",
    // -1 none) by keyboard, as a user would. True when the menu was as it
    // should be.
    bool chooseFromMenu(int entry, QStringList *texts = nullptr);
    // Opens the context menu of `table` and chooses the entry named `text`.
    void chooseRowAction(QTableView *table, const QString &text);
    QString cell(int row, int column) const;
    int rows() const { return m_model->rowCount(); }
    // Clicks "保存" with `path` as the user's choice.
    // `chosenType` is the file type picked in the dialog; empty: the first.
    void saveTo(const QString &path, const QString &chosenType = QString());
    void selectRows(const QList<int> &rows);
    // Chooses "视图 → 打开…" with `path` as the file; the window it opened.
    CanTraceWindow *openCapture(const QString &path);

    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<SimFixture> m_sim;
    std::unique_ptr<MessageBoxRecorder> m_boxes;
    std::unique_ptr<MainWindow> m_window;
    QTableView *m_table = nullptr;
    CanRxModel *m_model = nullptr;
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
    qRegisterMetaType<QVector<CanFrame>>("QVector<CanFrame>");
}

void TestCanReceive::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    m_sim = std::make_unique<SimFixture>();
    m_boxes = std::make_unique<MessageBoxRecorder>();
    QCOMPARE(DeviceLink::instance()->open(), 0);
    m_window = std::make_unique<MainWindow>(*DeviceLink::instance());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    QVERIFY(waitForBoxWork(m_window.get()));
    canRxThreadOf(*m_window).stop();
    m_table = m_window->findChild<QTableView *>("table_can_rx");
    QVERIFY(m_table);
    m_model = qobject_cast<CanRxModel *>(m_table->model());
    QVERIFY(m_model);
    QCOMPARE(rows(), 0);
}

void TestCanReceive::cleanup()
{
    m_window.reset();
    m_boxes.reset();
    m_sim.reset();
    m_dir.reset();
    config()->resetToDefaults();
    loadedDbc()->clear();
    QCoreApplication::processEvents();
}

void TestCanReceive::deliver(const QByteArray &frame)
{
    // As the receive thread hands it over, through the window's own connection.
    emit canRxThreadOf(*m_window).send_can_rx(reportedFrames(frame, frameReadTimeUs()));
    showHandedOver();
}

void TestCanReceive::deliverBatch(const QList<QPair<const char *, qint64>> &frames)
{
    QVector<CanFrame> batch;
    for (const auto &frame : frames)
        batch += reportedFrames(hexBytes(frame.first), frame.second);
    emit canRxThreadOf(*m_window).send_can_rx(batch);
    showHandedOver();
}

void TestCanReceive::showHandedOver()
{
    QCoreApplication::sendPostedEvents(m_window.get(), QEvent::MetaCall);
    // Rows reach the view in batches; show this one now.
    m_model->flush();
}

QString TestCanReceive::cell(int row, int column) const
{
    const QVariant text = m_model->index(row, column).data();
    return text.isValid() ? text.toString() : QString();
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
            plain = plain && (shown.size() > 2 || a->shortcut().isEmpty());
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
    // Shown with both entries first, without parent window or shortcuts, and
    // gone once closed; the row actions follow.
    return shown.mid(0, 2) == QStringList{"删除", "全部删除"} && plain && seen.isNull();
}

void TestCanReceive::chooseRowAction(QTableView *table, const QString &text)
{
    bool found = false;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *a : menu->actions())
            if (a->text() == text && a->isEnabled()) {
                found = true;
                menu->setActiveAction(a);
            }
        QTest::keyClick(menu, found ? Qt::Key_Return : Qt::Key_Escape);
    });
    emit table->customContextMenuRequested(QPoint(5, 5));
    QVERIFY2(found, qPrintable(text));
}

void TestCanReceive::rowShowsFrame_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("id"); // null: too short for a frame, no row
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("dlc");
    QTest::newRow("full frame") << hexBytes("df 07 02 01 0c 00 00 00 00 00") << "7df"
                                << "02 01 0c 00 00 00 00 00 "
                                << "8";
    QTest::newRow("two bytes") << hexBytes("34 12") << "1234"
                               << ""
                               << "0";
    QTest::newRow("one byte") << hexBytes("34") << QString() << "" << QString();
    QTest::newRow("no byte") << QByteArray() << QString() << "" << QString();
    QTest::newRow("id 00 00") << hexBytes("00 00 55") << "0"
                              << "55 "
                              << "1";
    QTest::newRow("id 00 01") << hexBytes("00 01") << "100"
                              << ""
                              << "0";
    QTest::newRow("id ff ff") << hexBytes("ff ff") << "ffff"
                              << ""
                              << "0";
    QTest::newRow("data 0a") << hexBytes("23 01 0a") << "123"
                             << "0a "
                             << "1";
}

void TestCanReceive::rowShowsFrame()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, id);
    QFETCH(QString, data);
    QFETCH(QString, dlc);
    LogCapture log;
    deliver(frame);
    // Nothing per frame in the log unless asked for.
    QVERIFY(ownLines(log).isEmpty());
    QCOMPARE(rows(), id.isNull() ? 0 : 1);
    if (id.isNull())
        return;
    // The described three columns, then the length and the direction.
    QCOMPARE(m_model->columnCount(), 5);
    QCOMPARE(cell(0, CanRxModel::DlcColumn), dlc);
    QCOMPARE(cell(0, CanRxModel::DirectionColumn), QStringLiteral("Rx"));
    const QString time = cell(0, 0);
    QVERIFY2(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$").match(time).hasMatch(),
             qPrintable(time));
    QCOMPARE(cell(0, 1), id);
    QVERIFY(m_model->index(0, 2).data().isValid());
    QCOMPARE(cell(0, 2), data);
}

void TestCanReceive::rowsAppendAtTheBottom()
{
    for (int i = 0; i < 5; ++i)
        deliver(QByteArray(1, char(i)) + QByteArray(1, '\0') + QByteArray(1, char(0x10 + i)));
    QCOMPARE(rows(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(cell(i, 1), QString::number(i, 16));
        QCOMPARE(cell(i, 2), QStringLiteral("%1 ").arg(0x10 + i, 2, 16));
        // Text and background together, alternating, so that no palette
        // makes a row unreadable.
        const QModelIndex index = m_model->index(i, 2);
        QCOMPARE(index.data(Qt::BackgroundRole).value<QBrush>().color(),
                 i % 2 ? QColor(198, 247, 217) : QColor(Qt::white));
        QCOMPARE(index.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::black));
    }
}

// Copied rows are candump -L lines that read back as the frames the rows
// show, in a filtered view too: identifier (eight digits above 7FF), length,
// data, time and direction.
void TestCanReceive::copiedRowsParseBackAsTheFramesShown()
{
    const qint64 t0 = 1733580000123456;
    for (const auto &f :
         {std::make_pair("df 07 02 01 0c", CanDirection::Received),
          std::make_pair("34 12", CanDirection::Received),
          std::make_pair("ff ff 0a", CanDirection::Received),
          std::make_pair("00 01 00 11 22 33 44 55 66 77 88 99", CanDirection::Received),
          std::make_pair("23 01 aa", CanDirection::Sent)})
        m_model->append(reportedFrames(hexBytes(f.first), t0 + m_model->stored() * 1001, f.second));
    m_model->flush();
    auto *filter = m_window->findChild<QLineEdit *>("lineEdit_can_rx_filter");
    filter->setText(QStringLiteral("7DF, FFFF, 100, 123"));
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(rows(), 4);
    QGuiApplication::clipboard()->clear();
    m_table->selectAll();
    m_table->setFocus();
    QTest::keyClick(m_table, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    const CaptureFile parsed =
        parseCaptureFile(copied.toLatin1(), CanSaveFormat::CandumpLog, CaptureUse::View);
    QCOMPARE(parsed.problem, CaptureProblem::None);
    const QVector<CanFrame> &read = parsed.frames;
    QCOMPARE(read.size(), 4);
    for (int r = 0; r < rows(); ++r)
        QVERIFY2(read.at(r).sameAs(m_model->frameShownAt(r)), qPrintable(copied));
    QVERIFY2(copied.contains(QLatin1String(" 0000FFFF#0A\n")), qPrintable(copied));

    // "Send this frame" puts the row into the first transmit row.
    m_table->setCurrentIndex(m_model->index(0, 0));
    chooseRowAction(m_table, QStringLiteral("发送此帧"));
    QCOMPARE(m_window->findChild<QLineEdit *>("lineEdit_can_id")->text(), QStringLiteral("7DF"));
    QCOMPARE(m_window->findChild<QLineEdit *>("lineEdit_can_data")->text().remove(' ').toUpper(),
             QStringLiteral("02010C"));
}

void TestCanReceive::rowActionsFilterHideAndSaveWhatIsShown_data()
{
    QTest::addColumn<QStringList>("actions"); // chosen on the row with the first 7E8
    QTest::addColumn<QStringList>("shownIds");
    QTest::addColumn<int>("answer"); // to the save's question
    QTest::addColumn<QStringList>("savedIds");
    const QStringList all = {"7DF", "7E8", "100", "7E8"};
    QTest::newRow("only this id, save filtered")
        << QStringList{"只显示此 ID"} << QStringList{"7e8", "7e8"} << int(QMessageBox::Yes)
        << QStringList{"7E8", "7E8"};
    QTest::newRow("only this id, save everything")
        << QStringList{"只显示此 ID"} << QStringList{"7e8", "7e8"} << int(QMessageBox::No) << all;
    QTest::newRow("only this id, save cancelled")
        << QStringList{"只显示此 ID"} << QStringList{"7e8", "7e8"} << int(QMessageBox::Cancel)
        << QStringList{};
    QTest::newRow("hide this id") << QStringList{"隐藏此 ID"} << QStringList{"7df", "100"}
                                  << int(QMessageBox::Yes) << QStringList{"7DF", "100"};
    // Hiding another keeps the first hidden.
    QTest::newRow("hide two ids") << QStringList{"隐藏此 ID", "隐藏此 ID"} << QStringList{"7df"}
                                  << int(QMessageBox::Yes) << QStringList{"7DF"};
}

void TestCanReceive::rowActionsFilterHideAndSaveWhatIsShown()
{
    QFETCH(QStringList, actions);
    QFETCH(QStringList, shownIds);
    QFETCH(int, answer);
    QFETCH(QStringList, savedIds);
    for (const char *frame : {"df 07 01", "e8 07 02", "00 01 03", "e8 07 04"})
        deliver(hexBytes(frame));
    for (const QString &action : actions) {
        const int row = cell(0, CanRxModel::IdColumn) == "7e8" ? 0 : 1;
        m_table->setCurrentIndex(m_model->index(row, 0));
        chooseRowAction(m_table, action);
    }
    QStringList ids;
    for (int r = 0; r < rows(); ++r)
        ids << cell(r, CanRxModel::IdColumn);
    QCOMPARE(ids, shownIds);

    m_boxes->answers = {QMessageBox::StandardButton(answer)};
    saveTo(m_dir->file("capture.log"));
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown.at(0).kind, MessageBox::QuestionOrCancel);
    QCOMPARE(QFile::exists(m_dir->file("capture.log")), !savedIds.isEmpty());
    QStringList saved;
    for (const QString &line : m_dir->readFile("capture.log").split('\n', Qt::SkipEmptyParts))
        saved << line.section(' ', 2).section('#', 0, 0);
    QCOMPARE(saved, savedIds);
}

// The trace window follows the newest row as rows come and as it is
// resized, until the user scrolls up; "jump to newest" follows again.
void TestCanReceive::traceViewFollowsNewestUntilScrolledAway()
{
    m_window->findChild<QAction *>("action_trace_window")->trigger();
    auto *trace = m_window->findChild<CanTraceWindow *>();
    QVERIFY(trace && QTest::qWaitForWindowExposed(trace));
    auto *table = trace->findChild<QTableView *>("table");
    auto *jump = trace->findChild<QPushButton *>("pushButton_jump");
    const auto visible = [table](int row) {
        const QRect rect = table->visualRect(table->model()->index(row, 0));
        return rect.isValid() && table->viewport()->rect().contains(rect);
    };
    const auto deliverMany = [this](int count) {
        for (int n = 0; n < count; ++n)
            m_model->append(reportedFrames(hexBytes("df 07 01")));
        m_model->flush();
        QCoreApplication::processEvents();
    };
    trace->resize(900, 400);
    deliverMany(200);
    QVERIFY(visible(rows() - 1));
    QVERIFY(!jump->isVisible());
    trace->resize(900, 700);
    QCoreApplication::processEvents();
    QVERIFY(visible(rows() - 1));
    trace->resize(900, 300);
    QCoreApplication::processEvents();
    QVERIFY(visible(rows() - 1));
    deliverMany(50);
    QVERIFY(visible(rows() - 1));

    table->verticalScrollBar()->setValue(0);
    deliverMany(50);
    trace->resize(900, 500);
    QCoreApplication::processEvents();
    QVERIFY(visible(0));
    QVERIFY(!visible(rows() - 1));
    QVERIFY(jump->isVisible());
    jump->click();
    deliverMany(10);
    QVERIFY(visible(rows() - 1));
    QVERIFY(!jump->isVisible());
}

void TestCanReceive::menuOffersDeleteAndDeleteAll()
{
    deliver(hexBytes("01 00 aa"));
    QStringList texts;
    QVERIFY(chooseFromMenu(-1, &texts));
    QCOMPARE(texts,
             (QStringList{"删除", "全部删除", "", "复制", "发送此帧", "只显示此 ID", "隐藏此 ID"}));
    QCOMPARE(rows(), 1);
    // A new menu every time, with the same entries.
    QVERIFY(chooseFromMenu(1));
    QCOMPARE(rows(), 0);
}

void TestCanReceive::deleteWithoutSelectionRemovesNothing()
{
    for (int i = 0; i < 3; ++i)
        deliver(hexBytes("01 00"));
    m_table->clearSelection();
    LogCapture log;
    QVERIFY(chooseFromMenu(0));
    QCOMPARE(rows(), 3);
    QCOMPARE(ownLines(log), QStringList{"xxx"});
}

void TestCanReceive::deleteRemovesSelectedRowsOnly_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("menu") << false;
    QTest::newRow("Delete key") << true;
}

void TestCanReceive::deleteRemovesSelectedRowsOnly()
{
    QFETCH(bool, byKey);
    for (int i = 0; i < 8; ++i)
        deliver(QByteArray(1, char(i)) + QByteArray(1, '\0'));
    selectRows({2, 5});
    LogCapture log;
    if (byKey) {
        m_table->setFocus();
        QTest::keyClick(m_table, Qt::Key_Delete);
    } else {
        QVERIFY(chooseFromMenu(0));
    }
    QCOMPARE(ownLines(log), QStringList{"xxx"});
    QStringList ids;
    for (int r = 0; r < rows(); ++r)
        ids << cell(r, 1);
    QCOMPARE(ids, (QStringList{"0", "1", "3", "4", "6", "7"}));
}

void TestCanReceive::deleteRemovesRowOfEmptyDataCell()
{
    deliver(hexBytes("01 00 11"));
    deliver(hexBytes("02 00"));
    deliver(hexBytes("03 00 33"));
    // Only the empty data cell of the middle row is selected.
    m_table->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_table->selectionModel()->select(m_table->model()->index(1, 2),
                                      QItemSelectionModel::ClearAndSelect);
    QVERIFY(chooseFromMenu(0));
    QCOMPARE(rows(), 2);
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
    QCOMPARE(rows(), 1);
    QCOMPARE(cell(0, 1), QString::number(1500, 16));
}

void TestCanReceive::deleteAllEmptiesAndNextFrameIsRowZero()
{
    LogCapture log;
    QVERIFY(chooseFromMenu(1));
    QCOMPARE(rows(), 0);
    for (int i = 0; i < 4; ++i)
        deliver(hexBytes("01 00 11"));
    log.clear();
    QVERIFY(chooseFromMenu(1));
    QCOMPARE(rows(), 0);
    QVERIFY(ownLines(log).isEmpty());
    deliver(hexBytes("df 07 22"));
    QCOMPARE(rows(), 1);
    QCOMPARE(cell(0, 1), QStringLiteral("7df"));
    QCOMPARE(cell(0, 2), QStringLiteral("22 "));
}

void TestCanReceive::burstArrivesInOrderAndEndsAtNewestRow()
{
    const int count = 3000;
    QVERIFY(DeviceLink::instance()->exchange(CMD_CAN_RX_ENABLE, {1}).answered());
    m_sim->box.queueCanBurst(count);
    canRxThreadOf(*m_window).start();
    QTRY_COMPARE_WITH_TIMEOUT(rows(), count, 60000);
    canRxThreadOf(*m_window).stop();
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
    const QRect last = m_table->visualRect(m_model->index(count - 1, 0));
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
    canRxThreadOf(*m_window).stop();
    QCOMPARE(rows(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(cell(i, 1), QString::number(i));
}

// Away from the CAN tab with nothing else needing the frames, the views say
// receiving is paused; back on it, one row marks the gap, which is no frame.
void TestCanReceive::pausedCaptureLeavesOneGapRow()
{
    QTabWidget *tabs = m_window->findChild<QTabWidget *>("tabWidget");
    const auto show = [&](int index) {
        tabs->setCurrentIndex(index);
        return waitForBoxWork(m_window.get());
    };
    QVERIFY(show(0) && show(1));
    QVERIFY(canRxThreadOf(*m_window).isRunning());
    deliver(hexBytes("df 07 01"));
    deliver(hexBytes("e8 07 02"));
    auto *banner = m_window->findChild<QLabel *>("label_rx_paused");
    QVERIFY(banner->isHidden());
    // Two tabs away, one pause.
    QVERIFY(show(0) && show(2));
    QVERIFY(!banner->isHidden());
    QCOMPARE(banner->text(), QString("接收已暂停：CAN 页未显示"));
    QTest::qWait(120);
    QVERIFY(show(1));
    QVERIFY(banner->isHidden());
    deliver(hexBytes("df 07 03"));
    canRxThreadOf(*m_window).stop();
    m_model->flush();

    QCOMPARE(rows(), 4);
    QCOMPARE(cell(1, CanRxModel::IdColumn), QString("7e8"));
    QVERIFY2(QRegularExpression("^接收暂停 0\\.[1-9] s$")
                 .match(cell(2, CanRxModel::DataColumn))
                 .hasMatch(),
             qPrintable(cell(2, CanRxModel::DataColumn)));
    QCOMPARE(cell(3, CanRxModel::DataColumn), QString("03 "));
    QCOMPARE(m_model->received(), quint64(3));
    m_window->findChild<QAction *>("action_trace_window")->trigger();
    auto *trace = m_window->findChild<CanTraceWindow *>();
    QVERIFY(trace);
    QCOMPARE(trace->findChild<QLabel *>("label_count")->text(), QString("表中帧数: 3"));
    // The pause concerns every identifier: a filter keeps its row, which is
    // still no frame to count or copy.
    auto *filter = trace->findChild<QLineEdit *>("lineEdit_filter");
    filter->setText(QStringLiteral("7df"));
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(rows(), 3);
    QVERIFY(m_model->isGapShownAt(1));
    QCOMPARE(trace->findChild<QLabel *>("label_count")->text(), QString("表中帧数: 2 / 3"));
    m_table->selectAll();
    m_table->setFocus();
    QTest::keyClick(m_table, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text().count(QLatin1String("#")), 2);

    m_boxes->answers = {QMessageBox::No};
    saveTo(m_dir->file("capture.log"));
    QFile file(m_dir->file("capture.log"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 4); // three frames and the end of the last line
    QVERIFY(lines.at(2).endsWith("7DF#03"));
}

namespace {
// A frame whose identifier and first data bytes number it.
QVector<CanFrame> numbered(int n, qint64 timeUs = 0)
{
    const char payload[] = {char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
    return reportedFrames(QByteArray(payload, sizeof payload), timeUs);
}

QString numberedId(int n)
{
    return QString::number(n & 0xffff, 16);
}
} // namespace

void TestCanReceive::deleteOnLargeStore_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::newRow("one block") << QList<int>{0, 1, 2, 3};
    // More blocks than are removed one by one: the whole store is compacted.
    QList<int> scattered;
    for (int r = 10; r < 40; r += 3)
        scattered << r;
    scattered << 999999;
    QTest::newRow("scattered rows") << scattered;
}

void TestCanReceive::deleteOnLargeStore()
{
    QFETCH(QList<int>, selected);
    const int count = 1000000;
    for (int n = 0; n < count; ++n)
        m_model->append(numbered(n));
    m_model->flush();
    selectRows(selected);
    QVERIFY(chooseFromMenu(0));
    QCOMPARE(rows(), count - selected.size());
    // Every surviving row in order, checked at the edges of each hole.
    int row = 0;
    for (int n = 0; n < count && row < rows(); ++n) {
        if (selected.contains(n))
            continue;
        if (n < 50 || n > count - 3)
            QCOMPARE(cell(row, 1), numberedId(n));
        ++row;
    }
    QVERIFY(chooseFromMenu(1));
    QCOMPARE(rows(), 0);
    deliver(hexBytes("df 07 22"));
    QCOMPARE(cell(0, 1), QStringLiteral("7df"));
}

void TestCanReceive::rowLimitGivesWayOldestFirst()
{
    // The limit comes from the settings and applies to a running table.
    config()->set(Config::CanRxRowLimit, 1000);
    auto *dropped = m_window->findChild<QLabel *>("label_can_rx_dropped");
    auto *count = m_window->findChild<QLabel *>("label_can_rx_count");
    for (int n = 0; n < 1250; ++n)
        emit canRxThreadOf(*m_window).send_can_rx(numbered(n, frameReadTimeUs()));
    QTRY_COMPARE(rows(), 1000);
    QCOMPARE(cell(0, 1), numberedId(250));
    QCOMPARE(cell(999, 1), numberedId(1249));
    QCOMPARE(m_model->dropped(), quint64(250));
    QTRY_VERIFY2(dropped->text().endsWith(QLatin1String(" 250")), qPrintable(dropped->text()));
    QTRY_VERIFY2(count->text().endsWith(QLatin1String(" 1250")), qPrintable(count->text()));
    // Lowering it lets the oldest go at once.
    config()->set(Config::CanRxRowLimit, 1001);
    m_model->setRowLimit(10);
    QCOMPARE(rows(), 10);
    QCOMPARE(cell(0, 1), numberedId(1240));
    QCOMPARE(m_model->dropped(), quint64(1240));
}

void TestCanReceive::pauseKeepsStoringAndCounting()
{
    auto *pause = m_window->findChild<QPushButton *>("pushButton_can_rx_pause");
    auto *count = m_window->findChild<QLabel *>("label_can_rx_count");
    auto *rate = m_window->findChild<QLabel *>("label_can_rx_rate");
    QScrollBar *bar = m_table->verticalScrollBar();
    for (int n = 0; n < 200; ++n)
        deliver(QByteArray("\x01\x00", 2));
    QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
    pause->click();
    QVERIFY(pause->isChecked());
    QCOMPARE(pause->text(), QStringLiteral("解除冻结"));
    bar->setValue(0);
    for (int n = 0; n < 300; ++n)
        emit canRxThreadOf(*m_window).send_can_rx(numbered(n, frameReadTimeUs()));
    // The frozen view keeps its rows; the frames are stored and counted.
    QTRY_VERIFY2(count->text().endsWith(QLatin1String(" 500")), qPrintable(count->text()));
    QVERIFY2(!rate->text().contains(QLatin1String(": 0 ")), qPrintable(rate->text()));
    QTRY_COMPARE(m_model->heldBack(), 300);
    QCOMPARE(rows(), 200);
    QCOMPARE(bar->value(), 0);
    auto *held = m_window->findChild<QLabel *>("label_can_rx_held");
    QTRY_VERIFY2(held->text().endsWith(QLatin1String(" 300")), qPrintable(held->text()));
    pause->click();
    QCOMPARE(pause->text(), QStringLiteral("冻结视图"));
    QCOMPARE(rows(), 500);
    QCOMPARE(cell(499, 1), numberedId(299));
    QTRY_VERIFY(bar->value() == bar->maximum());

    // Frozen under a flood, the row limit still holds: the shown rows stay,
    // the oldest frames not shown give way and count as removed.
    config()->set(Config::CanRxRowLimit, 600);
    pause->click();
    for (int n = 0; n < 20000; ++n)
        emit canRxThreadOf(*m_window).send_can_rx(numbered(n, frameReadTimeUs()));
    QTRY_COMPARE(m_model->received(), quint64(20500));
    QTRY_COMPARE(m_model->stored(), 600);
    QCOMPARE(rows(), 500);
    QCOMPARE(m_model->heldBack(), 100);
    QCOMPARE(m_model->dropped(), quint64(19900));
    pause->click();
    QCOMPARE(rows(), 600);
    QCOMPARE(cell(499, 1), numberedId(299));
    QCOMPARE(cell(500, 1), numberedId(19900));
    QCOMPARE(cell(599, 1), numberedId(19999));
}

void TestCanReceive::saveTo(const QString &path, const QString &chosenType)
{
    saveFileChooser() = [path, chosenType](QWidget *, const QString &, const QString &,
                                           const QString &filter, QString *selected) {
        *selected = chosenType.isEmpty() ? filter.section(QLatin1String(";;"), 0, 0) : chosenType;
        return path;
    };
    m_window->findChild<QPushButton *>("pushButton_can_rx_save")->click();
}

// "Record to file…" writes every frame as it comes, past the row limit and a
// frozen view; a write that fails ends it with a message, and the table keeps
// its frames.
void TestCanReceive::recordingTakesEveryFrameUntilAWriteFails()
{
    auto *record = m_window->findChild<QAction *>("action_record");
    auto *stop = m_window->findChild<QAction *>("action_stop_recording");
    auto *status = m_window->findChild<QLabel *>("label_recording");
    QVERIFY(record && stop && status);
    config()->set(Config::CanRxRowLimit, 100);
    m_window->findChild<QPushButton *>("pushButton_can_rx_pause")->click();
    const auto recordTo = [&](const QString &name) {
        saveFileChooser() = [this, name](QWidget *, const QString &, const QString &,
                                         const QString &filter, QString *selected) {
            *selected = filter.section(QLatin1String(";;"), 0, 0);
            return m_dir->file(name);
        };
        record->trigger();
    };
    recordTo(QStringLiteral("drive.log"));
    QVERIFY(stop->isEnabled() && !record->isEnabled());
    QTRY_VERIFY2(status->isVisible() && status->text().contains(QLatin1String("drive.log")),
                 qPrintable(status->text()));
    for (int n = 0; n < 1000; ++n)
        emit canRxThreadOf(*m_window).send_can_rx(numbered(n, frameReadTimeUs()));
    QCoreApplication::sendPostedEvents(m_window.get(), QEvent::MetaCall);
    // Written out while the recording runs, not only at its end: a crash
    // would lose the rest.
    QTRY_VERIFY(QFileInfo(m_dir->file(QStringLiteral("drive.log"))).size() > 0);
    stop->trigger();
    QTRY_VERIFY(record->isEnabled());
    QVERIFY(!stop->isEnabled() && !status->isVisible());
    const CaptureFile recorded = parseCaptureFile(
        m_dir->readFile(QStringLiteral("drive.log")).toUtf8(), CanSaveFormat::CandumpLog);
    QCOMPARE(recorded.frames.size(), 1000);
    for (int n = 0; n < 1000; n += 111)
        QCOMPARE(QString::number(recorded.frames.at(n).id, 16), numberedId(n));
    QCOMPARE(m_boxes->shown.size(), 0);

    recordTo(QStringLiteral("full.log"));
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {rlim_t(4096), RLIM_INFINITY};
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    for (int n = 0; n < 1000; ++n)
        emit canRxThreadOf(*m_window).send_can_rx(numbered(n, frameReadTimeUs()));
    QTRY_COMPARE(m_boxes->shown.size(), 1);
    struct rlimit none = {RLIM_INFINITY, RLIM_INFINITY};
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &none), 0);
    QVERIFY2(m_boxes->texts().first().contains(QLatin1String("full.log")),
             qPrintable(m_boxes->texts().first()));
    QTRY_VERIFY(record->isEnabled() && !status->isVisible());
    QCOMPARE(QFileInfo(m_dir->file(QStringLiteral("full.log"))).size(), 4096);
    QTRY_COMPARE(m_model->received(), quint64(2000));
}

CanTraceWindow *TestCanReceive::openCapture(const QString &path)
{
    openFileChooser() = [path](QWidget *, const QString &, const QString &, const QString &,
                               QFileDialog::Options) { return path; };
    const QList<CanTraceWindow *> before = m_window->findChildren<CanTraceWindow *>();
    m_window->findChild<QAction *>("action_open_capture")->trigger();
    for (CanTraceWindow *w : m_window->findChildren<CanTraceWindow *>())
        if (!before.contains(w))
            return w;
    return nullptr;
}

// Every cell of every row, a row a line.
static QStringList rowTexts(const QAbstractItemModel *model)
{
    QStringList texts;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        texts << cells.join('|');
    }
    return texts;
}

void TestCanReceive::saveWritesFrames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("chosenType");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray csv("time,id,len,data,dir\n"
                         "1733580000.123456,7DF,8,02010C0000000000,Rx\n"
                         "1733580000.200000,234,0,,Rx\n"
                         "1733580002.999999,0000FFFF,1,0A,Rx\n"
                         "1733580003.000000,100,10,00112233445566778899,Rx\n"
                         "1733580003.500000,123,1,AA,Tx\n");
    QTest::newRow("candump log") << "capture.log" << QString() << "capture.log"
                                 << QByteArray("(1733580000.123456) can0 7DF#02010C0000000000\n"
                                               "(1733580000.200000) can0 234#\n"
                                               "(1733580002.999999) can0 0000FFFF#0A\n"
                                               "(1733580003.000000) can0 100#00112233445566778899\n"
                                               "(1733580003.500000) can0 123#AA T\n");
    QTest::newRow("csv") << "capture.CSV" << QString() << "capture.CSV" << csv;
    QTest::newRow("bare name, CSV chosen") << "capture"
                                           << "CSV 文件 (*.csv)"
                                           << "capture.csv" << csv;
    // Both CSVs end in ".csv": the type chosen tells which is written.
    QTest::newRow("csv name, python-can's CSV chosen")
        << "capture.csv"
        << "python-can CSV 文件 (*.csv)"
        << "capture.csv"
        << QByteArray("timestamp,arbitration_id,extended,remote,error,dlc,data\n"
                      "1733580000.123456,0x7df,0,0,0,8,AgEMAAAAAAA=\n"
                      "1733580000.200000,0x234,0,0,0,0,\n"
                      "1733580002.999999,0xffff,1,0,0,1,Cg==\n"
                      "1733580003.000000,0x100,0,0,0,10,ABEiM0RVZneImQ==\n"
                      "1733580003.500000,0x123,0,0,0,1,qg==\n");
}

// Frames read a millisecond apart and handled together are a millisecond
// apart in the table, in the saved file, and in both relative times.
void TestCanReceive::framesOfOneBatchKeepTheirReadTimes()
{
    const qint64 readUs = 1733580000123456;
    deliverBatch({{"df 07 01", readUs}, {"e8 07 02", readUs + 400}, {"df 07 03", readUs + 1000}});
    QCOMPARE(rows(), 3);
    QCOMPARE(cell(0, 0), canRxTimeText(readUs / 1000));
    QCOMPARE(cell(2, 0), canRxTimeText(readUs / 1000 + 1));
    auto *time = m_window->findChild<QComboBox *>("comboBox_can_rx_time");
    time->setCurrentIndex(1);
    QCOMPARE(cell(0, 0), QStringLiteral("0.000000 s"));
    QCOMPARE(cell(2, 0), QStringLiteral("0.001000 s"));
    time->setCurrentIndex(2);
    QCOMPARE(cell(0, 0), QString());
    QCOMPARE(cell(1, 0), QString());
    QCOMPARE(cell(2, 0), QStringLiteral("0.001000 s"));
    saveTo(m_dir->file("capture.log"));
    QFile file(m_dir->file("capture.log"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("(1733580000.123456) can0 7DF#01\n"
                                        "(1733580000.123856) can0 7E8#02\n"
                                        "(1733580000.124456) can0 7DF#03\n"));
}

// What the user sends shows in the trace, marked and coloured as sent, in
// its place between the frames the box reported before and after it.
void TestCanReceive::sentFrameIsARowBetweenReceivedOnes()
{
    DeviceLink *link = DeviceLink::instance();
    QVERIFY(link->isConnected());
    QVERIFY(link->exchange(CMD_CAN_RX_ENABLE, {1}).answered());
    m_sim->box.queueCanFrame(bytesVector(hexBytes("df 07 01")));
    QVERIFY(link->exchange(CMD_GET_CAN_TIME).answered());
    m_window->findChild<QLineEdit *>("lineEdit_can_id")->setText(QStringLiteral("123"));
    m_window->findChild<QLineEdit *>("lineEdit_can_data")->setText(QStringLiteral("aa bb"));
    m_window->findChild<QPushButton *>("pushButton_can_send")->click();
    m_sim->box.queueCanFrame(bytesVector(hexBytes("e8 07 02")));
    QVERIFY(link->exchange(CMD_GET_CAN_TIME).answered());
    showHandedOver();
    QCOMPARE(rows(), 3);
    QCOMPARE(cell(0, CanRxModel::IdColumn), QStringLiteral("7df"));
    QCOMPARE(cell(1, CanRxModel::IdColumn), QStringLiteral("123"));
    QCOMPARE(cell(1, CanRxModel::DataColumn), QStringLiteral("aa bb "));
    QCOMPARE(cell(2, CanRxModel::IdColumn), QStringLiteral("7e8"));
    const QStringList directions = {cell(0, CanRxModel::DirectionColumn),
                                    cell(1, CanRxModel::DirectionColumn),
                                    cell(2, CanRxModel::DirectionColumn)};
    QCOMPARE(directions, QStringList({"Rx", "Tx", "Rx"}));
    const auto colour = [this](int row) {
        return m_model->index(row, 0).data(Qt::BackgroundRole).value<QBrush>().color();
    };
    QVERIFY(colour(1) != colour(0) && colour(1) != colour(2));
    // What the box sends is counted as received; what the user sent is not.
    QCOMPARE(m_model->received(), quint64(2));
    QVERIFY(link->exchange(CMD_CAN_RX_ENABLE, {0}).answered());
}

// The filter is a view over the stored frames: new frames that pass appear,
// a deleted row is the frame it shows, the row limit takes the oldest, and
// the search walks the rows shown.
void TestCanReceive::filteredViewFollowsFramesDeletionsAndLimit()
{
    auto *filter = m_window->findChild<QLineEdit *>("lineEdit_can_rx_filter");
    auto *search = m_window->findChild<QLineEdit *>("lineEdit_can_rx_search");
    for (int n = 0; n < 6; ++n)
        deliver(QByteArray::fromHex(n % 2 ? "df07" : "e807") + char(n));
    // Refused input is told beside its field, without a dialog, and the view
    // stays as it was until the text is right.
    auto *filterError = m_window->findChild<QLabel *>("label_can_rx_filter_error");
    auto *searchError = m_window->findChild<QLabel *>("label_can_rx_search_error");
    filter->setText(QStringLiteral("7dx"));
    QTest::keyClick(filter, Qt::Key_Return);
    search->setText(QStringLiteral("0"));
    QTest::keyClick(search, Qt::Key_Return);
    QVERIFY(m_boxes->shown.isEmpty());
    QCOMPARE(rows(), 6);
    QVERIFY(filterError->isVisible() && !filterError->text().isEmpty());
    QVERIFY(searchError->isVisible());
    filter->setText(QStringLiteral("7df"));
    QVERIFY(!filterError->isVisible());
    QVERIFY(searchError->isVisible());
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(rows(), 3);
    QCOMPARE(cell(2, CanRxModel::DataColumn), QStringLiteral("05 "));
    deliver(QByteArray::fromHex("e80706"));
    deliver(QByteArray::fromHex("df0707"));
    QCOMPARE(rows(), 4);
    QCOMPARE(cell(3, CanRxModel::DataColumn), QStringLiteral("07 "));

    search->setText(QStringLiteral("03"));
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(m_table->currentIndex().row(), 1);
    search->setText(QStringLiteral("??"));
    m_window->findChild<QPushButton *>("pushButton_can_rx_prev")->click();
    QCOMPARE(m_table->currentIndex().row(), 0);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_table->setFocus();
    QTest::keyClick(m_table, Qt::Key_F3);
    QCOMPARE(m_table->currentIndex().row(), 1);
    QTest::keyClick(m_table, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(m_table->currentIndex().row(), 0);
    QTest::keyClick(m_table, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(search->hasFocus());

    selectRows({1});
    QVERIFY(chooseFromMenu(0));
    QCOMPARE(rows(), 3);
    // The search froze the view to keep its row in sight.
    auto *pause = m_window->findChild<QPushButton *>("pushButton_can_rx_pause");
    QVERIFY(pause->isChecked());
    pause->click();
    m_model->setRowLimit(4);
    QCOMPARE(m_model->stored(), 4);
    QStringList shown;
    for (int r = 0; r < rows(); ++r)
        shown << cell(r, CanRxModel::DataColumn);
    QCOMPARE(shown, QStringList({"05 ", "07 "}));

    m_window->findChild<QComboBox *>("comboBox_can_rx_filter_mode")->setCurrentIndex(1);
    shown.clear();
    for (int r = 0; r < rows(); ++r)
        shown << cell(r, CanRxModel::DataColumn);
    QCOMPARE(shown, QStringList({"04 ", "06 "}));
    filter->clear();
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(rows(), 4);

    // The trim cuts right before a row the filter shows: that row stays.
    m_window->findChild<QComboBox *>("comboBox_can_rx_filter_mode")->setCurrentIndex(0);
    filter->setText(QStringLiteral("7df"));
    QTest::keyClick(filter, Qt::Key_Return);
    deliver(QByteArray::fromHex("df0708"));
    shown.clear();
    for (int r = 0; r < rows(); ++r)
        shown << cell(r, CanRxModel::DataColumn);
    QCOMPARE(shown, QStringList({"05 ", "07 ", "08 "}));
}

// One row per identifier, updated as frames come: count, the time between
// its last two frames, the last data and the bytes that changed.
void TestCanReceive::perIdViewCountsPeriodsAndChangedBytes()
{
    const qint64 t0 = 1733580000000000;
    deliverBatch({{"df 07 01 02", t0},
                  {"e8 07 aa", t0 + 5000},
                  {"df 07 01 03", t0 + 10000},
                  {"df 07 01 03 04", t0 + 30000}});
    m_window->findChild<QPushButton *>("pushButton_can_rx_by_id")->click();
    QAbstractItemModel *byId = m_table->model();
    QVERIFY(byId != m_model);
    const auto row = [byId](int r) {
        QStringList texts;
        for (int c = 0; c < byId->columnCount(); ++c)
            texts << byId->index(r, c).data().toString();
        texts << QString::number(byId->index(r, CanIdSummaryModel::DataColumn)
                                     .data(CanIdSummaryModel::ChangedBytesRole)
                                     .toUInt(),
                                 2);
        return texts;
    };
    QCOMPARE(byId->rowCount(), 2);
    QCOMPARE(row(0), QStringList({"7df", "3", "0.020000 s", "01 03 04 ", "100"}));
    QCOMPARE(row(1), QStringList({"7e8", "1", "", "aa ", "0"}));
    deliverBatch({{"e8 07 bb", t0 + 40000}});
    QCOMPARE(row(1), QStringList({"7e8", "2", "0.035000 s", "bb ", "1"}));
    QCOMPARE(row(0).at(1), QStringLiteral("3"));
    m_window->findChild<QPushButton *>("pushButton_can_rx_by_id")->click();
    QCOMPARE(m_table->model(), m_model);
    QCOMPARE(rows(), 5);
}

void TestCanReceive::saveWritesFrames()
{
    QFETCH(QString, name);
    QFETCH(QString, chosenType);
    QFETCH(QString, written);
    QFETCH(QByteArray, expected);
    m_model->append(reportedFrames(hexBytes("df 07 02 01 0c 00 00 00 00 00"), 1733580000123456));
    m_model->append(reportedFrames(hexBytes("34 02"), 1733580000200000));
    m_model->append(reportedFrames(hexBytes("ff ff 0a"), 1733580002999999));
    m_model->append(
        reportedFrames(hexBytes("00 01 00 11 22 33 44 55 66 77 88 99"), 1733580003000000));
    m_model->append(reportedFrames(hexBytes("23 01 aa"), 1733580003500000, CanDirection::Sent));
    saveTo(m_dir->file(name), chosenType);
    QVERIFY2(m_boxes->shown.isEmpty(), qPrintable(m_boxes->texts().join('|')));
    QFile file(m_dir->file(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected);
    QCOMPARE(rows(), 5);

    // Opened again, the file is the same trace, in a window of its own.
    QStringList saved = rowTexts(m_model);
    // python-can's CSV keeps no direction: the sent frame reads as received.
    if (chosenType.startsWith(QLatin1String("python-can")))
        saved.last().replace(QLatin1String("|Tx"), QLatin1String("|Rx"));
    CanTraceWindow *trace = openCapture(m_dir->file(written));
    QVERIFY(trace);
    QCOMPARE(rowTexts(trace->findChild<QTableView *>("table")->model()), saved);
    QVERIFY2(m_boxes->shown.isEmpty(), qPrintable(m_boxes->texts().join('|')));
}

void TestCanReceive::saveRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<int>("sizeLimit"); // 0: none
    QTest::newRow("unwritable directory") << "missing/capture.log"
                                          << "No such file or directory" << 0;
    QTest::newRow("neither log nor csv") << "capture.txt" << QString() << 0;
    // A write that fails half-way, as on a full disk.
    QTest::newRow("write fails") << "capture.csv"
                                 << "File too large" << 4096;
}

void TestCanReceive::saveRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, cause);
    QFETCH(int, sizeLimit);
    deliver(hexBytes("df 07 02"));
    if (sizeLimit > 0) {
        for (int n = 0; n < 100000; ++n)
            m_model->append(numbered(n));
        m_model->flush();
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {rlim_t(sizeLimit), RLIM_INFINITY};
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    saveTo(m_dir->file(name));
    if (sizeLimit > 0) {
        struct rlimit none = {RLIM_INFINITY, RLIM_INFINITY};
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &none), 0);
    }
    QCOMPARE(m_boxes->shown.size(), 1);
    QVERIFY2(m_boxes->texts().first().contains(cause), qPrintable(m_boxes->texts().first()));
    QVERIFY(!QFile::exists(m_dir->file(name)));
    QCOMPARE(QDir(m_dir->path()).entryList({"capture*"}, QDir::Files), QStringList());
}

void TestCanReceive::saveCancelLeavesNoFile()
{
    for (int n = 0; n < 300000; ++n)
        m_model->append(numbered(n));
    m_dir->writeFile("capture.csv", "earlier capture\n");
    QTimer cancel;
    connect(&cancel, &QTimer::timeout, [&] {
        if (auto *progress = m_window->findChild<QProgressDialog *>())
            progress->cancel();
    });
    cancel.start(0);
    saveTo(m_dir->file("capture.csv"));
    cancel.stop();
    QVERIFY(m_boxes->shown.isEmpty());
    QCOMPARE(m_dir->readFile("capture.csv"), QStringLiteral("earlier capture\n"));
    QCOMPARE(QDir(m_dir->path()).entryList({"capture*"}, QDir::Files), QStringList{"capture.csv"});
    QCOMPARE(rows(), 300000);
}

void TestCanReceive::framesDuringSaveTrimNoRowBeingWritten()
{
    const int limit = 300000;
    m_model->setRowLimit(limit);
    for (int n = 0; n < limit; ++n)
        m_model->append(numbered(n));
    m_model->flush();
    // Frames keep coming while the save runs the event loop, enough to push
    // the table past its limit.
    bool arrived = false;
    QTimer arrivals;
    connect(&arrivals, &QTimer::timeout, [&] {
        if (arrived || !m_window->findChild<QProgressDialog *>())
            return;
        arrived = true;
        for (int n = limit; n < limit + 1000; ++n)
            m_model->append(numbered(n));
        m_model->flush();
    });
    arrivals.start(0);
    saveTo(m_dir->file("capture.csv"));
    arrivals.stop();
    QVERIFY(arrived);
    QVERIFY(m_boxes->shown.isEmpty());

    const QStringList lines = m_dir->readFile("capture.csv").split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + limit);
    QCOMPARE(lines.at(1).section(',', 1, 1).toUInt(nullptr, 16), 0u);
    QCOMPARE(lines.last().section(',', 1, 1).toUInt(nullptr, 16), uint((limit - 1) & 0xffff));
    // Once the save is done the rows give way to the limit as usual.
    QCOMPARE(rows(), limit);
    QCOMPARE(cell(0, 1), numberedId(1000));
}

// The trace window is a second view of the same frames: new frames reach it,
// and its filter and freeze are the CAN tab's too.
void TestCanReceive::traceWindowSharesFramesFilterAndFreeze()
{
    deliver(QByteArray::fromHex("df0700"));
    deliver(QByteArray::fromHex("e80701"));
    auto *open = m_window->findChild<QAction *>("action_trace_window");
    open->trigger();
    auto *trace = m_window->findChild<CanTraceWindow *>();
    QVERIFY(trace && trace->isVisible());
    QAbstractItemModel *large = trace->findChild<QTableView *>("table")->model();
    auto *filter = trace->findChild<QLineEdit *>("lineEdit_filter");
    filter->setText(QStringLiteral("7e8"));
    QTest::keyClick(filter, Qt::Key_Return);
    deliver(QByteArray::fromHex("e80702"));
    deliver(QByteArray::fromHex("df0703"));
    QCOMPARE(rowTexts(large), rowTexts(m_model));
    QCOMPARE(large->rowCount(), 2);
    QCOMPARE(m_window->findChild<QLineEdit *>("lineEdit_can_rx_filter")->text(), "7e8");
    // A row sent again from the trace window lands in the CAN tab's transmit area.
    auto *traceTable = trace->findChild<QTableView *>("table");
    traceTable->setCurrentIndex(large->index(1, 0));
    chooseRowAction(traceTable, QStringLiteral("发送此帧"));
    QCOMPARE(m_window->findChild<QLineEdit *>("lineEdit_can_id")->text(), QStringLiteral("7E8"));
    trace->findChild<QPushButton *>("pushButton_freeze")->click();
    QVERIFY(m_window->findChild<QPushButton *>("pushButton_can_rx_pause")->isChecked());
    // Asked for again, the same window comes forward.
    open->trigger();
    QCOMPARE(m_window->findChildren<CanTraceWindow *>().size(), 1);
}

// A damaged line is named and passed over; the rest of the capture loads.
void TestCanReceive::openedCaptureSkipsDamagedLine()
{
    QFile file(m_dir->file("damaged.log"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("(1.000000) can0 100#00\n(1.1 can0 100#01\n(1.200000) can0 200#02 T\n");
    file.close();
    CanTraceWindow *trace = openCapture(file.fileName());
    QVERIFY(trace);
    const QAbstractItemModel *opened = trace->findChild<QTableView *>("table")->model();
    QCOMPARE(opened->rowCount(), 2);
    QCOMPARE(opened->index(1, CanRxModel::DirectionColumn).data().toString(), "Tx");
    QCOMPARE(m_boxes->shown.size(), 1);
    QVERIFY2(m_boxes->texts().first().startsWith("第 2 行"), qPrintable(m_boxes->texts().first()));
}

// An extended frame of a capture is not the standard frame of its number:
// its own row and entry, never decoded as the standard message.
void TestCanReceive::openedCaptureKeepsExtendedFramesApart()
{
    loadedDbc()->load({QStringLiteral(VOTKBOX_SOURCE_DIR "/docs/examples/votkbox-demo.dbc")});
    QFile file(m_dir->file("mixed.log"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("(1.000000) can0 000002F1#0300000000000000\n(1.100000) can0 2F1#0300000000000000\n");
    file.close();
    CanTraceWindow *trace = openCapture(file.fileName());
    QVERIFY(trace);
    auto *table = trace->findChild<QTableView *>("table");
    const auto texts = [table](int column) {
        QStringList t;
        for (int r = 0; r < table->model()->rowCount(); ++r)
            t << table->model()->index(r, column).data().toString();
        return t;
    };
    QCOMPARE(texts(CanRxModel::IdColumn), QStringList({"000002f1", "2f1"}));
    QCOMPARE(texts(CanRxModel::MessageColumn), QStringList({"", "Transmission"}));
    trace->findChild<QPushButton *>("pushButton_by_id")->click();
    QCOMPARE(texts(CanIdSummaryModel::IdColumn).filter(QRegularExpression("^0*2f1$")),
             QStringList({"000002f1", "2f1"}));
    QCOMPARE(texts(CanIdSummaryModel::MessageColumn).filter("Transmission").size(), 1);
    loadedDbc()->clear();
}
// A FIFO may never be written or never end: the window would hang on it.
void TestCanReceive::openingAFifoWarnsAtOnce()
{
    const QString path = m_dir->file("capture.log");
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QVERIFY(!openCapture(path));
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown.at(0).kind, MessageBox::Warning);
    QVERIFY2(m_boxes->texts().first().startsWith("capture.log "),
             qPrintable(m_boxes->texts().first()));
}

// "视图 → 加载 DBC…": a file that cannot be read is told and left out, the
// others load and are kept; rows show their message and signals, and a
// message name filters as its identifier does.
void TestCanReceive::databaseNamesDecodesAndFiltersRows()
{
    deliver(QByteArray::fromHex("f1020300"));
    QCOMPARE(m_model->columnCount(), 5);
    const QString demo = QStringLiteral(VOTKBOX_SOURCE_DIR "/docs/examples/votkbox-demo.dbc");
    const QString gone = m_dir->file("gone.dbc");
    openFilesChooser() = [=](QWidget *, const QString &, const QString &, const QString &) {
        return QStringList{gone, demo};
    };
    m_window->findChild<QAction *>("action_load_dbc")->trigger();
    QCOMPARE(m_boxes->shown.size(), 1);
    QVERIFY2(m_boxes->shown.at(0).text.contains(gone), qPrintable(m_boxes->shown.at(0).text));
    QVERIFY(m_window->findChild<QStatusBar *>("statusbar")->currentMessage().contains(gone));
    QCOMPARE(config()->get(Config::DbcFiles).toStringList(),
             QStringList{QFileInfo(demo).absoluteFilePath()});

    // The row that came before the database is decoded too; a frame too short
    // for a signal shows it undecodable.
    QCOMPARE(m_model->columnCount(), int(CanRxModel::ColumnCount));
    deliver(QByteArray::fromHex("c90010e01700000000"));
    deliver(QByteArray::fromHex("2301aa"));
    deliver(QByteArray::fromHex("f1020300000000000000"));
    QCOMPARE(cell(0, CanRxModel::MessageColumn), QStringLiteral("Transmission"));
    QCOMPARE(cell(0, CanRxModel::SignalsColumn),
             QString("Gear=3 (DRIVE), ShiftCount=0, TorqueRequest=") + QChar(0x2014));
    QCOMPARE(cell(1, CanRxModel::MessageColumn), QStringLiteral("EngineStatus"));
    QCOMPARE(cell(1, CanRxModel::SignalsColumn),
             QStringLiteral("FrameCounter=16, EngineSpeed=1528 rpm, ThrottlePct=0 %"));
    QCOMPARE(cell(2, CanRxModel::MessageColumn), QString());
    QCOMPARE(cell(2, CanRxModel::SignalsColumn), QString());
    QCOMPARE(cell(3, CanRxModel::SignalsColumn),
             QStringLiteral("Gear=3 (DRIVE), ShiftCount=0, TorqueRequest=0 Nm"));

    auto *filter = m_window->findChild<QLineEdit *>("lineEdit_can_rx_filter");
    filter->setText(QStringLiteral("transmission 123"));
    QTest::keyClick(filter, Qt::Key_Return);
    QStringList ids;
    for (int r = 0; r < rows(); ++r)
        ids << cell(r, CanRxModel::IdColumn);
    QCOMPARE(ids, QStringList({"2f1", "123", "2f1"}));
    filter->setText(QStringLiteral("Gearbox"));
    QTest::keyClick(filter, Qt::Key_Return);
    QVERIFY(m_window->findChild<QLabel *>("label_can_rx_filter_error")->isVisible());
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(rows(), 3);

    // At the next start the remembered databases load again; a file gone
    // since is told in the status bar, not in a box.
    config()->set(Config::DbcFiles, QStringList{gone, demo});
    loadedDbc()->clear();
    m_window = std::make_unique<MainWindow>(*DeviceLink::instance());
    QVERIFY(loadedDbc()->database());
    QCOMPARE(m_boxes->shown.size(), 1);
    QVERIFY(m_window->findChild<QStatusBar *>("statusbar")->currentMessage().contains(gone));
    // Unloaded, nothing is decoded and nothing loads at the next start.
    m_window->findChild<QAction *>("action_unload_dbc")->trigger();
    QVERIFY(!loadedDbc()->database());
    QVERIFY(config()->get(Config::DbcFiles).toStringList().isEmpty());
    QVERIFY(!m_window->findChild<QAction *>("action_unload_dbc")->isEnabled());
}

// With a database, a message's row has its name and cycle time, a mark when
// its last period was too long, and one row per signal with the values seen.
void TestCanReceive::perIdViewShowsSignalsAndLateMessages()
{
    loadedDbc()->load({QStringLiteral(VOTKBOX_SOURCE_DIR "/docs/examples/votkbox-demo.dbc")});
    const qint64 t0 = 1733580000000000;
    deliverBatch({{"f1 02 03 00 00 00 00 00 00 00", t0},
                  {"f1 02 05 00 00 00 00 00 00 00", t0 + 100000},
                  {"23 01 aa", t0 + 200000},
                  {"f1 02 09 00 00 00 00 00 00 00", t0 + 600000}});
    m_window->findChild<QPushButton *>("pushButton_can_rx_by_id")->click();
    QAbstractItemModel *byId = m_table->model();
    const auto row = [byId](int r) {
        QStringList texts;
        for (int c = 0; c < byId->columnCount(); ++c)
            texts << byId->index(r, c).data().toString();
        return texts;
    };
    QCOMPARE(byId->rowCount(), 5);
    QCOMPARE(row(0), QStringList({"2f1", "3", "0.500000 s !", "09 00 00 00 00 00 00 00 ",
                                  "Transmission", "0.300000 s", ""}));
    QVERIFY(byId->index(0, 0).data(CanIdSummaryModel::LateRole).toBool());
    QCOMPARE(row(1), QStringList({"", "", "", "1 (REVERSE)", "    Gear", "", "1 … 5"}));
    QCOMPARE(row(2), QStringList({"", "", "", "1", "    ShiftCount", "", "0 … 1"}));
    QCOMPARE(row(4), QStringList({"123", "1", "", "aa ", "", "", ""}));
    deliverBatch({{"f1 02 09 00 00 00 00 00 00 00", t0 + 700000}});
    QVERIFY(!byId->index(0, 0).data(CanIdSummaryModel::LateRole).toBool());
}

QTEST_MAIN(TestCanReceive)
#include "tst_canreceive.moc"
