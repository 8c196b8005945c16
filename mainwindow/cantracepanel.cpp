#include "cantracepanel.h"

#include "canfilter.h"
#include "canidsummarymodel.h"
#include "canrxmodel.h"
#include "changedbytesdelegate.h"
#include "loadeddbc.h"
#include "messagebox.h"

#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolTip>

#include <algorithm>

CanTracePanel::CanTracePanel(const Widgets &widgets, CanRxModel *rows, CanIdSummaryModel *ids,
                             QWidget *owner)
    : QObject(owner), m_w(widgets), m_rows(rows), m_ids(ids),
      m_changedBytes(new ChangedBytesDelegate(this)), m_owner(owner)
{
    QTableView *table = m_w.table;
    table->setModel(m_rows);
    table->setAlternatingRowColors(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setStyleSheet(
        QStringLiteral("alternate-background-color:rgb(198, 247,217 );background-color: white;"));
    // Every row is as high as the first: the view then never measures rows.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    setColumns();

    connect(m_rows, &CanRxModel::flushed, this, [this] {
        followNewest();
        showHeld();
    });
    connect(m_rows, &CanRxModel::viewSettingsChanged, this, &CanTracePanel::syncWithRows);
    // A database loaded or gone adds or takes the decoded columns.
    connect(m_rows, &QAbstractItemModel::columnsInserted, this, [this] { setColumns(); });
    connect(m_rows, &QAbstractItemModel::columnsRemoved, this, [this] { setColumns(); });
    connect(m_w.freeze, &QPushButton::toggled, this, [this](bool frozen) {
        // Freezing holds the view still; frames are stored (up to the row
        // limit) and counted all the same and appear when it is unfrozen.
        m_rows->setViewHeld(frozen);
    });
    connect(m_w.time, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
        // The items are in the order of CanRxModel::TimeShown.
        m_rows->setTimeShown(CanRxModel::TimeShown(std::clamp(index, 0, 2)));
    });
    connect(m_w.filter, &QLineEdit::returnPressed, this, &CanTracePanel::applyFilter);
    connect(m_w.filterMode, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CanTracePanel::applyFilter);
    connect(m_w.search, &QLineEdit::returnPressed, this, [this] { find(true); });
    connect(m_w.next, &QPushButton::clicked, this, [this] { find(true); });
    connect(m_w.previous, &QPushButton::clicked, this, [this] { find(false); });
    connect(m_w.byId, &QPushButton::toggled, this, &CanTracePanel::showIds);
    syncWithRows();
}

bool CanTracePanel::showsIds() const
{
    return m_w.byId->isChecked();
}

void CanTracePanel::syncWithRows()
{
    const bool frozen = m_rows->isViewHeld();
    if (m_w.freeze->isChecked() != frozen) {
        const QSignalBlocker blocker(m_w.freeze);
        m_w.freeze->setChecked(frozen);
        if (!frozen)
            followNewest();
    }
    m_w.freeze->setText(frozen ? tr("解除冻结") : tr("冻结视图"));
    {
        const QSignalBlocker blocker(m_w.time);
        m_w.time->setCurrentIndex(int(m_rows->timeShown()));
    }
    // The field follows a filter set in another view; text being written
    // here and not applied yet stays.
    if (m_w.filter->text() == m_shownFilter)
        m_w.filter->setText(m_rows->idFilterText());
    m_shownFilter = m_rows->idFilterText();
    if (m_rows->isFiltered()) {
        const QSignalBlocker blocker(m_w.filterMode);
        m_w.filterMode->setCurrentIndex(m_rows->idFilter()->mode() == CanIdFilter::Mode::Hide);
    }
    showHeld();
}

void CanTracePanel::applyFilter()
{
    const QString text = m_w.filter->text();
    if (text.trimmed().isEmpty()) {
        if (m_rows->isFiltered())
            m_rows->setIdFilter(std::nullopt);
        return;
    }
    const auto mode =
        m_w.filterMode->currentIndex() == 1 ? CanIdFilter::Mode::Hide : CanIdFilter::Mode::ShowOnly;
    const std::optional<CanIdFilter> filter = CanIdFilter::parse(
        text, mode, [](const QString &name) { return loadedDbc()->messageId(name); });
    if (!filter) {
        // The view stays as it was: a filter half understood would hide frames unasked.
        if (loadedDbc()->database())
            MessageBox::warning(m_owner, tr("信息"),
                                tr("ID 过滤有误：应为十六进制 ID、范围（如 7DF, 100-1FF）"
                                   "或 DBC 中的报文名，以逗号或空格分隔"));
        else
            MessageBox::warning(m_owner, tr("信息"),
                                tr("ID 过滤有误：应为十六进制 ID 或范围（如 7DF, 100-1FF），"
                                   "以逗号或空格分隔"));
        return;
    }
    m_rows->setIdFilter(filter, text);
}

void CanTracePanel::find(bool forward)
{
    const std::optional<CanDataPattern> pattern = CanDataPattern::parse(m_w.search->text());
    if (!pattern) {
        MessageBox::warning(m_owner, tr("信息"),
                            tr("查找内容有误：应为两位十六进制字节或 ??，以空格分隔"));
        return;
    }
    QTableView *table = m_w.table;
    const QModelIndex current = table->currentIndex();
    const int from = current.isValid() ? current.row() : (forward ? -1 : m_rows->rowCount());
    const int found = m_rows->findData(*pattern, from, forward);
    if (found < 0) {
        QToolTip::showText(m_w.search->mapToGlobal(QPoint(0, 0)), tr("未找到"), m_w.search);
        return;
    }
    // A found row stays in sight: following the newest frame would scroll it away.
    if (!m_w.freeze->isChecked())
        m_w.freeze->setChecked(true);
    const QModelIndex index = m_rows->index(found, 0);
    table->setCurrentIndex(index);
    table->selectRow(found);
    table->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void CanTracePanel::showIds(bool byId)
{
    // One table, two views; deleting and searching belong to the trace.
    QTableView *table = m_w.table;
    QItemSelectionModel *oldSelection = table->selectionModel();
    table->setModel(byId ? static_cast<QAbstractItemModel *>(m_ids) : m_rows);
    delete oldSelection; // the view does not delete the one it no longer uses
    table->setItemDelegateForColumn(CanIdSummaryModel::DataColumn, byId ? m_changedBytes : nullptr);
    for (QWidget *w : {static_cast<QWidget *>(m_w.search), static_cast<QWidget *>(m_w.previous),
                       static_cast<QWidget *>(m_w.next)})
        w->setEnabled(!byId);
    setColumns();
    followNewest();
}

void CanTracePanel::setColumns()
{
    QHeaderView *header = m_w.table->horizontalHeader();
    if (showsIds()) {
        header->setStretchLastSection(true);
        return;
    }
    // The data stretches, or the signals when a database decodes them; the
    // direction takes no more than its two letters.
    const bool decoded = m_rows->columnCount() > CanRxModel::SignalsColumn;
    header->setStretchLastSection(false);
    header->setSectionResizeMode(CanRxModel::DataColumn,
                                 decoded ? QHeaderView::Interactive : QHeaderView::Stretch);
    header->setSectionResizeMode(CanRxModel::DirectionColumn, QHeaderView::Fixed);
    header->resizeSection(CanRxModel::DirectionColumn, 40);
    if (decoded) {
        // Eight bytes in full.
        header->resizeSection(
            CanRxModel::DataColumn,
            m_w.table->fontMetrics().horizontalAdvance(QStringLiteral("00 00 00 00 00 00 00 00 ")) +
                12);
        header->setSectionResizeMode(CanRxModel::SignalsColumn, QHeaderView::Stretch);
    }
}

void CanTracePanel::followNewest()
{
    if (!showsIds() && !m_rows->isViewHeld())
        m_w.table->scrollToBottom();
}

void CanTracePanel::showHeld()
{
    // A frozen view says how much it is not showing.
    const bool frozen = m_rows->isViewHeld();
    m_w.held->setVisible(frozen);
    if (frozen)
        m_w.held->setText(tr("未显示: %1").arg(m_rows->heldBack()));
}
