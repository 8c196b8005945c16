#include "cantracepanel.h"

#include "canfilter.h"
#include "canidsummarymodel.h"
#include "canrxmodel.h"
#include "cansaveformat.h"
#include "changedbytesdelegate.h"
#include "loadeddbc.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolTip>

#include <algorithm>

namespace {
const QString kRefusedField = QStringLiteral("QLineEdit { border: 1px solid red; }");
} // namespace

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
    // On the header, not the rows: a tip over every cell would hide the data.
    table->horizontalHeader()->setToolTip(
        tr("右键单击行：复制 (Ctrl+C)、发送此帧、只显示或隐藏此 ID"));
    setColumns();

    connect(m_rows, &CanRxModel::flushed, this, [this] {
        followNewest();
        showHeld();
    });
    // A resize or new rows change the range; a view that follows stays at
    // the newest row, and one the user scrolled away from stays put.
    QScrollBar *bar = table->verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this] { followNewest(); });
    connect(bar, &QScrollBar::valueChanged, this, &CanTracePanel::scrolled);
    m_w.jump->setVisible(false);
    connect(m_w.jump, &QPushButton::clicked, this, &CanTracePanel::jumpToNewest);

    connect(m_rows, &CanRxModel::viewSettingsChanged, this, &CanTracePanel::syncWithRows);
    // A database loaded or gone adds or takes the decoded columns.
    connect(m_rows, &QAbstractItemModel::columnsInserted, this, [this] { setColumns(); });
    connect(m_rows, &QAbstractItemModel::columnsRemoved, this, [this] { setColumns(); });
    connect(m_w.freeze, &QPushButton::toggled, this, [this](bool frozen) {
        // Freezing holds the view still; frames are stored (up to the row
        // limit) and counted all the same and appear when it is unfrozen,
        // followed again.
        m_rows->setViewHeld(frozen);
        if (!frozen)
            jumpToNewest();
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
    // A refusal goes as soon as the field holds something that would be taken.
    connect(m_w.filter, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_w.filterError->isVisible() &&
            (text.trimmed().isEmpty() ||
             CanIdFilter::parse(text, CanIdFilter::Mode::ShowOnly,
                                [](const QString &name) { return loadedDbc()->messageId(name); })))
            showRefusal(m_w.filter, m_w.filterError, QString());
    });
    connect(m_w.search, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_w.searchError->isVisible() &&
            (text.trimmed().isEmpty() || CanDataPattern::parse(text)))
            showRefusal(m_w.search, m_w.searchError, QString());
    });
    showRefusal(m_w.filter, m_w.filterError, QString());
    showRefusal(m_w.search, m_w.searchError, QString());

    // The keys of the menu's entries and of the search; the owner's keys
    // (save, open) are on its buttons.
    const auto key = [this](const QKeySequence &sequence, QWidget *on, Qt::ShortcutContext context,
                            auto slot) {
        auto *shortcut = new QShortcut(sequence, on);
        shortcut->setContext(context);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    key(QKeySequence::Copy, table, Qt::WidgetShortcut, [this] { copyRows(); });
    key(QKeySequence::Find, m_owner, Qt::WidgetWithChildrenShortcut, [this] {
        m_w.search->setFocus(Qt::ShortcutFocusReason);
        m_w.search->selectAll();
    });
    key(QKeySequence::FindNext, m_owner, Qt::WidgetWithChildrenShortcut, [this] {
        if (m_w.search->isEnabled())
            find(true);
    });
    key(QKeySequence::FindPrevious, m_owner, Qt::WidgetWithChildrenShortcut, [this] {
        if (m_w.search->isEnabled())
            find(false);
    });
    syncWithRows();
}

bool CanTracePanel::showsIds() const
{
    return m_w.byId->isChecked();
}

void CanTracePanel::addRowActions(QMenu *menu)
{
    const bool trace = !showsIds();
    const bool hasRows = trace && m_w.table->selectionModel()->hasSelection();
    // A gap row marks a pause: there is no frame in it to send or filter by.
    const bool hasCurrent = trace && m_w.table->currentIndex().isValid() &&
                            !m_rows->isGapShownAt(m_w.table->currentIndex().row());
    QAction *copy = menu->addAction(tr("复制"), this, &CanTracePanel::copyRows);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(hasRows);
    QAction *send = menu->addAction(tr("发送此帧"), this, [this] {
        const QModelIndex current = m_w.table->currentIndex();
        if (!showsIds() && current.isValid() && !m_rows->isGapShownAt(current.row()))
            emit sendFrameRequested(m_rows->frameShownAt(current.row()));
    });
    send->setEnabled(hasCurrent);
    const bool hasId = currentId() >= 0;
    menu->addAction(tr("只显示此 ID"), this, [this] { filterCurrentId(false); })->setEnabled(hasId);
    menu->addAction(tr("隐藏此 ID"), this, [this] { filterCurrentId(true); })->setEnabled(hasId);
}

QString CanTracePanel::selectedRowsText(int *left) const
{
    if (left)
        *left = 0;
    if (showsIds())
        return QString();
    QVector<std::pair<int, int>> spans;
    for (const QItemSelectionRange &range : m_w.table->selectionModel()->selection())
        if (range.isValid())
            spans.append({range.top(), range.bottom()});
    std::sort(spans.begin(), spans.end());
    // A few million lines would hold the window for seconds and take
    // hundreds of megabytes; a save suits so many.
    QByteArray lines;
    int selected = 0;
    int copied = 0;
    int next = 0;
    for (const auto &span : spans) {
        const int first = std::max(span.first, next);
        const int last = std::min(span.second, m_rows->rowCount() - 1);
        if (last < first)
            continue;
        selected += last - first + 1;
        for (int r = first; r <= last && copied < kMaxCopiedRows; ++r) {
            if (m_rows->isGapShownAt(r)) {
                --selected;
                continue;
            }
            appendCanSaveLine(lines, CanSaveFormat::CandumpLog, m_rows->frameShownAt(r));
            ++copied;
        }
        next = last + 1;
    }
    if (left)
        *left = selected - copied;
    return QString::fromLatin1(lines);
}

void CanTracePanel::copyRows()
{
    int left = 0;
    const QString text = selectedRowsText(&left);
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
    if (left > 0)
        QToolTip::showText(m_w.table->mapToGlobal(QPoint(0, 0)),
                           tr("只复制了前 %1 行").arg(kMaxCopiedRows), m_w.table);
}

int CanTracePanel::currentId() const
{
    const QModelIndex current = m_w.table->currentIndex();
    if (!current.isValid())
        return -1;
    if (!showsIds())
        return m_rows->isGapShownAt(current.row()) ? -1
                                                   : int(m_rows->frameShownAt(current.row()).id);
    // A signal's row in the per-identifier view has no identifier.
    bool ok = false;
    const int id =
        m_ids->index(current.row(), CanIdSummaryModel::IdColumn).data().toString().toInt(&ok, 16);
    return ok ? id : -1;
}

void CanTracePanel::filterCurrentId(bool hide)
{
    const int id = currentId();
    if (id < 0)
        return;
    const QString idText = QString::number(id, 16).toUpper();
    // Hiding one more keeps the ones already hidden.
    const bool hiding =
        m_rows->isFiltered() && m_rows->idFilter()->mode() == CanIdFilter::Mode::Hide;
    const QString text =
        hide && hiding ? m_rows->idFilterText() + QStringLiteral(", ") + idText : idText;
    m_w.filter->setText(text);
    {
        const QSignalBlocker blocker(m_w.filterMode);
        m_w.filterMode->setCurrentIndex(hide ? 1 : 0);
    }
    applyFilter();
}

void CanTracePanel::syncWithRows()
{
    const bool frozen = m_rows->isViewHeld();
    if (m_w.freeze->isChecked() != frozen) {
        const QSignalBlocker blocker(m_w.freeze);
        m_w.freeze->setChecked(frozen);
        // Unfrozen, the view follows the newest again.
        if (!frozen)
            jumpToNewest();
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

void CanTracePanel::showRefusal(QLineEdit *field, QLabel *label, const QString &text)
{
    field->setStyleSheet(text.isEmpty() ? QString() : kRefusedField);
    label->setStyleSheet(QStringLiteral("color: red;"));
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

void CanTracePanel::applyFilter()
{
    const QString text = m_w.filter->text();
    if (text.trimmed().isEmpty()) {
        showRefusal(m_w.filter, m_w.filterError, QString());
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
        showRefusal(m_w.filter, m_w.filterError, tr("ID 过滤有误"));
        m_w.filterError->setToolTip(
            loadedDbc()->database() ? tr("ID 过滤有误：应为十六进制 ID、范围（如 7DF, 100-1FF）"
                                         "或 DBC 中的报文名，以逗号或空格分隔")
                                    : tr("ID 过滤有误：应为十六进制 ID 或范围（如 7DF, 100-1FF），"
                                         "以逗号或空格分隔"));
        return;
    }
    showRefusal(m_w.filter, m_w.filterError, QString());
    m_rows->setIdFilter(filter, text);
}

void CanTracePanel::find(bool forward)
{
    const std::optional<CanDataPattern> pattern = CanDataPattern::parse(m_w.search->text());
    if (!pattern) {
        showRefusal(m_w.search, m_w.searchError, tr("查找内容有误"));
        m_w.searchError->setToolTip(tr("查找内容有误：应为两位十六进制字节或 ??，以空格分隔"));
        return;
    }
    showRefusal(m_w.search, m_w.searchError, QString());
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
    jumpToNewest();
}

void CanTracePanel::setColumns()
{
    QTableView *table = m_w.table;
    QHeaderView *header = table->horizontalHeader();
    const QFontMetrics metrics = table->fontMetrics();
    const auto room = [&metrics](const char *text) {
        return metrics.horizontalAdvance(QLatin1String(text)) + 16;
    };
    header->setStretchLastSection(true);
    if (showsIds())
        return;
    // Eight bytes in full, whatever the width: the last column takes the
    // rest, so the short ones stay beside the data.
    for (int c = 0; c < m_rows->columnCount() - 1; ++c)
        header->setSectionResizeMode(c, QHeaderView::Interactive);
    header->resizeSection(CanRxModel::TimeColumn, room("00:00:00.000"));
    header->resizeSection(CanRxModel::IdColumn, room("FFFF"));
    header->resizeSection(CanRxModel::DataColumn, room("00 11 22 33 44 55 66 77"));
    header->resizeSection(CanRxModel::DlcColumn, room("DLC"));
    header->resizeSection(CanRxModel::DirectionColumn, room("Dir"));
    if (m_rows->columnCount() > CanRxModel::MessageColumn)
        header->resizeSection(CanRxModel::MessageColumn, room("EngineStatusMsg"));
}

void CanTracePanel::scrolled(int value)
{
    if (m_scrolling || showsIds())
        return;
    m_following = value >= m_w.table->verticalScrollBar()->maximum();
    m_w.jump->setVisible(!m_following);
}

void CanTracePanel::followNewest()
{
    if (showsIds() || !m_following)
        return;
    m_scrolling = true;
    m_w.table->scrollToBottom();
    m_scrolling = false;
}

void CanTracePanel::jumpToNewest()
{
    m_following = true;
    m_w.jump->setVisible(false);
    followNewest();
}

void CanTracePanel::showHeld()
{
    // A frozen view says how much it is not showing.
    const bool frozen = m_rows->isViewHeld();
    m_w.held->setVisible(frozen);
    if (frozen)
        m_w.held->setText(tr("未显示: %1").arg(m_rows->heldBack()));
}
