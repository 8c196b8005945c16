// The CAN tab's receive table: storing frames, following them, deleting,
// pausing, counting and saving.
#include "cantab.h"
#include "ui_cantab.h"

#include "canframe.h"
#include "canidsummarymodel.h"
#include "canrxmodel.h"
#include "cantracepanel.h"
#include "capturerecorder.h"
#include "config.h"
#include "devicelog.h"
#include "tracesave.h"
#include "windowlog.h"

#include <QCursor>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QMenu>
#include <QShortcut>

#include <algorithm>
#include <utility>

namespace {
constexpr int kStatsIntervalMs = 200;
// Samples a second apart: the rate is over the last second.
constexpr int kRateSamples = 1000 / kStatsIntervalMs + 1;
// Frames stored in one pass of the event loop, about a millisecond's work: a
// flood then waits its turn behind timers and input instead of stalling them.
constexpr int kRxFramesPerPass = 4096;
} // namespace

void CanTab::setUpCanRxTable()
{
    m_rxModel = new CanRxModel(this);
    m_rxModel->setRowLimit(config()->get(Config::CanRxRowLimit).toInt());
    // A limit changed in the settings dialog applies at once, or after a save.
    connect(config(), &Config::changed, this, [this](Config::Key key) {
        if (key == Config::CanRxRowLimit && !m_rxSaving)
            m_rxModel->setRowLimit(config()->get(Config::CanRxRowLimit).toInt());
    });
    m_rxIdModel = new CanIdSummaryModel(this);
    connect(m_rxModel, &CanRxModel::flushed, m_rxIdModel, &CanIdSummaryModel::flush);
    m_rxPanel = new CanTracePanel(
        {ui->table_can_rx, ui->pushButton_can_rx_pause, ui->pushButton_can_rx_by_id,
         ui->comboBox_can_rx_time, ui->lineEdit_can_rx_filter, ui->comboBox_can_rx_filter_mode,
         ui->lineEdit_can_rx_search, ui->pushButton_can_rx_prev, ui->pushButton_can_rx_next,
         ui->label_can_rx_held, ui->pushButton_can_rx_jump, ui->label_can_rx_filter_error,
         ui->label_can_rx_search_error},
        m_rxModel, m_rxIdModel, this);
    connect(m_rxPanel, &CanTracePanel::sendFrameRequested, this, &CanTab::addTransmitFrame);
    QTableView *table = ui->table_can_rx;
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, &QWidget::customContextMenuRequested, this, &CanTab::show_table_can_rx_menu);
    // The Delete key does what the menu's "删除" does.
    auto *deleteKey = new QShortcut(QKeySequence::Delete, table);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, &CanTab::table_can_rx_delete);

    const auto showPaused = [this] {
        const QString text = m_rxModel->pausedBannerText();
        ui->label_rx_paused->setText(text);
        ui->label_rx_paused->setVisible(!text.isEmpty());
    };
    connect(m_rxModel, &CanRxModel::pausedChanged, this, showPaused);
    showPaused();

    m_rxStatsTimer.setInterval(kStatsIntervalMs);
    connect(&m_rxStatsTimer, &QTimer::timeout, this, &CanTab::showCanRxCounts);
    m_rxStatsTimer.start();
    showCanRxCounts();
}

void CanTab::receive_can_rx(QVector<CanFrame> frames)
{
    qCDebug(lcCanFrames) << "receive can rx";
    // Recorded as they come, before the table's pacing, row limit or filter.
    if (m_recorder)
        m_recorder->add(frames);
    m_rxBacklog.push_back(std::move(frames));
    takeCanRxBacklog();
}

void CanTab::takeCanRxBacklog()
{
    while (!m_rxBacklog.empty() && m_rxTakenThisPass < kRxFramesPerPass) {
        const QVector<CanFrame> frames = std::move(m_rxBacklog.front());
        m_rxBacklog.pop_front();
        m_rxModel->append(frames);
        m_rxIdModel->add(frames);
        m_rxTakenThisPass += frames.size();
        emit framesStored(frames);
    }
    // Queued behind what is posted now, so it runs in the next pass.
    if (!m_rxPassMarked && m_rxTakenThisPass > 0) {
        m_rxPassMarked = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_rxPassMarked = false;
                m_rxTakenThisPass = 0;
                takeCanRxBacklog();
            },
            Qt::QueuedConnection);
    }
}

void CanTab::showCanRxCounts()
{
    const quint64 received = m_rxModel->received();
    if (!m_rxReceivedSamples.isEmpty() && received < m_rxReceivedSamples.last())
        m_rxReceivedSamples.clear(); // the counts were reset
    m_rxReceivedSamples.append(received);
    if (m_rxReceivedSamples.size() > kRateSamples)
        m_rxReceivedSamples.removeFirst();
    const quint64 rate = received - m_rxReceivedSamples.first();
    ui->label_can_rx_count->setText(tr("已接收: %1").arg(received));
    ui->label_can_rx_rate->setText(tr("速率: %1 帧/秒").arg(rate));
    ui->label_can_rx_dropped->setText(tr("超限移除: %1").arg(m_rxModel->dropped()));
}

void CanTab::table_can_rx_delete()
{
    qCDebug(lcWindow) << "xxx";
    // A save, here or in a trace window, reads the rows by index.
    if (m_rxSaving || m_rxModel->isTrimmingHeld() || m_rxPanel->showsIds())
        return;
    // Every row holding a selected cell goes, taken as row spans so that a
    // large selection costs one pass.
    QVector<std::pair<int, int>> spans;
    for (const QItemSelectionRange &range : ui->table_can_rx->selectionModel()->selection())
        if (range.isValid())
            spans.append({range.top(), range.bottom()});
    m_rxModel->removeRowSpans(spans);
}

void CanTab::table_can_rx_delete_all()
{
    if (m_rxSaving || m_rxModel->isTrimmingHeld())
        return;
    m_rxModel->clear();
    m_rxIdModel->clear();
    m_rxReceivedSamples.clear();
    showCanRxCounts();
}

void CanTab::show_table_can_rx_menu()
{
    // A fresh menu for every request, gone once it has closed.
    QMenu *menu = new QMenu();
    menu->addAction(tr("删除"), this, &CanTab::table_can_rx_delete);
    menu->addAction(tr("全部删除"), this, &CanTab::table_can_rx_delete_all);
    menu->addSeparator();
    m_rxPanel->addRowActions(menu);
    menu->exec(QCursor::pos());
    delete menu;
}

void CanTab::on_pushButton_can_rx_save_clicked()
{
    if (m_rxSaving)
        return;
    // Nothing is deleted and no limit applied while the rows are written.
    m_rxSaving = true;
    saveTraceRows(window(), m_rxModel);
    m_rxSaving = false;
}
