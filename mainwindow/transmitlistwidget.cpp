// The transmit list: its rows, the sending of them and the list file.
#include "transmitlistwidget.h"
#include "ui_transmitlistwidget.h"

#include "canframe.h"
#include "cantext.h"
#include "config.h"
#include "dbcframedialog.h"
#include "filechooser.h"
#include "loadeddbc.h"
#include "messagebox.h"
#include "transmitrowwidget.h"
#include "windowlog.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// How often the sent counts of running rows are shown.
constexpr int kCountsMs = 200;
// Typing is kept a moment after it stops, not at every key.
constexpr int kKeepMs = 1000;
// Far more than any list of rows typed by hand.
constexpr qint64 kMaxListBytes = 4 * 1024 * 1024;

// What a list starts as without one kept: the two rows the tab always had.
QVector<TransmitRow> defaultRows()
{
    return {TransmitRow(), TransmitRow()};
}
} // namespace

TransmitListWidget::TransmitListWidget(QWidget *parent)
    : QWidget(parent), ui(new Ui::TransmitListWidget)
{
    ui->setupUi(this);
    connect(ui->pushButton_tx_add, &QPushButton::clicked, this, &TransmitListWidget::addRow);
    connect(ui->pushButton_tx_remove, &QPushButton::clicked, this, &TransmitListWidget::removeRow);
    connect(ui->pushButton_tx_up, &QPushButton::clicked, this, [this] { moveRow(-1); });
    connect(ui->pushButton_tx_down, &QPushButton::clicked, this, [this] { moveRow(1); });
    connect(ui->pushButton_tx_save, &QPushButton::clicked, this, &TransmitListWidget::saveList);
    connect(ui->pushButton_tx_load, &QPushButton::clicked, this, &TransmitListWidget::loadList);
    connect(ui->pushButton_tx_send_selected, &QPushButton::clicked, this, [this] {
        if (TransmitRowWidget *row = m_current.data())
            send(row);
    });
    connect(ui->pushButton_tx_period_selected, &QPushButton::clicked, this, [this] {
        if (TransmitRowWidget *row = m_current.data())
            row->setPeriodicChecked(!row->periodicChecked());
    });
    // The row a field or button of which has the focus is the selected one.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        for (QWidget *w = now; w; w = w->parentWidget())
            if (auto *row = qobject_cast<TransmitRowWidget *>(w)) {
                if (row->parentWidget() == ui->widget_tx_rows)
                    setCurrentRow(indexOf(row));
                return;
            }
    });
    connect(&m_counts, &QTimer::timeout, this, &TransmitListWidget::showCounts);
    m_keep.setSingleShot(true);
    connect(&m_keep, &QTimer::timeout, this, &TransmitListWidget::keepInConfig);
    connect(loadedDbc(), &LoadedDbc::changed, this, [this] {
        for (int i = 0; rowAt(i); ++i)
            rowAt(i)->setDbcAvailable(loadedDbc()->database() != nullptr);
    });

    QVector<TransmitRow> kept;
    bool readable = true;
    const QStringList lines = config()->get(Config::CanTxList).toStringList();
    for (int i = 1; i < lines.size() && readable; ++i) {
        const std::optional<TransmitRow> row = readTransmitRowLine(lines.at(i));
        readable = row.has_value();
        if (row)
            kept.append(*row);
    }
    // A list edited by hand into something unreadable starts over.
    setRows(lines.isEmpty() || !readable ? defaultRows() : kept);
}

TransmitListWidget::~TransmitListWidget()
{
    stopAll();
    keepInConfig();
}

void TransmitListWidget::setUp(DeviceLink &link)
{
    m_link = &link;
}

void TransmitListWidget::setLinkChecks(std::function<bool()> connected,
                                       std::function<bool()> upgradeRunning)
{
    m_connectedCheck = std::move(connected);
    m_upgradeCheck = std::move(upgradeRunning);
}

TransmitRowWidget *TransmitListWidget::rowAt(int index) const
{
    // The last item of the layout is the stretch below the rows.
    if (index < 0 || index >= ui->rowsLayout->count() - 1)
        return nullptr;
    return qobject_cast<TransmitRowWidget *>(ui->rowsLayout->itemAt(index)->widget());
}

int TransmitListWidget::indexOf(const TransmitRowWidget *row) const
{
    return ui->rowsLayout->indexOf(const_cast<TransmitRowWidget *>(row));
}

QVector<TransmitRow> TransmitListWidget::rows() const
{
    QVector<TransmitRow> rows;
    for (int i = 0; rowAt(i); ++i)
        rows.append(rowAt(i)->row());
    return rows;
}

void TransmitListWidget::setRows(const QVector<TransmitRow> &rows)
{
    stopAll();
    while (TransmitRowWidget *row = rowAt(0))
        delete row;
    for (const TransmitRow &row : rows)
        insertRow(ui->rowsLayout->count() - 1, row);
    renumber();
    setCurrentRow(rows.isEmpty() ? -1 : 0);
    m_keep.start(kKeepMs);
}

TransmitRowWidget *TransmitListWidget::insertRow(int index, const TransmitRow &data)
{
    auto *row = new TransmitRowWidget(ui->widget_tx_rows);
    row->setRow(data);
    row->setDbcAvailable(loadedDbc()->database() != nullptr);
    ui->rowsLayout->insertWidget(index, row);
    connect(row, &TransmitRowWidget::sendRequested, this, [this, row] { send(row); });
    connect(row, &TransmitRowWidget::periodicToggled, this,
            [this, row](bool on) { togglePeriodic(row, on); });
    connect(row, &TransmitRowWidget::dbcRequested, this, [this, row] { fillFromDbc(row); });
    connect(row, &TransmitRowWidget::edited, this, [this] { m_keep.start(kKeepMs); });
    return row;
}

void TransmitListWidget::renumber()
{
    for (int i = 0; rowAt(i); ++i)
        rowAt(i)->setPlace(i);
    const int current = currentRow();
    ui->pushButton_tx_remove->setEnabled(current >= 0);
    ui->pushButton_tx_up->setEnabled(current > 0);
    ui->pushButton_tx_down->setEnabled(current >= 0 && rowAt(current + 1));
    ui->pushButton_tx_send_selected->setEnabled(current >= 0);
    ui->pushButton_tx_period_selected->setEnabled(current >= 0);
}

int TransmitListWidget::currentRow() const
{
    return m_current ? indexOf(m_current.data()) : -1;
}

void TransmitListWidget::setCurrentRow(int index)
{
    if (m_current)
        m_current->setCurrent(false);
    m_current = rowAt(index);
    if (m_current)
        m_current->setCurrent(true);
    renumber();
}

bool TransmitListWidget::anyRunning() const
{
    for (int i = 0; rowAt(i); ++i)
        if (rowAt(i)->periodic)
            return true;
    return false;
}

void TransmitListWidget::addRow()
{
    const int at = m_current ? currentRow() + 1 : ui->rowsLayout->count() - 1;
    TransmitRow row;
    // A new row is sent at the selected one's pace.
    if (m_current) {
        row.periodMs = m_current->row().periodMs;
        row.count = m_current->row().count;
    }
    insertRow(at, row);
    renumber();
    setCurrentRow(at);
    ui->scrollArea_tx->ensureWidgetVisible(rowAt(at));
    m_keep.start(kKeepMs);
}

void TransmitListWidget::removeRow()
{
    const int index = currentRow();
    if (index < 0)
        return;
    // A running row stops with it.
    delete rowAt(index);
    emit runningChanged(anyRunning());
    renumber();
    setCurrentRow(rowAt(index) ? index : index - 1);
    m_keep.start(kKeepMs);
}

void TransmitListWidget::moveRow(int by)
{
    const int index = currentRow();
    if (index < 0 || !rowAt(index + by))
        return;
    TransmitRowWidget *row = rowAt(index);
    ui->rowsLayout->removeWidget(row);
    ui->rowsLayout->insertWidget(index + by, row);
    renumber();
    setCurrentRow(index + by);
    m_keep.start(kKeepMs);
}

void TransmitListWidget::addTransmitFrame(const CanFrame &frame)
{
    TransmitRowWidget *target = m_current.data();
    if (!target || !target->row().id.isEmpty() || !target->row().data.isEmpty()) {
        const int at = m_current ? currentRow() + 1 : ui->rowsLayout->count() - 1;
        target = insertRow(at, TransmitRow());
        renumber();
    }
    // A running row keeps what it sends.
    if (target->periodic)
        target->setPeriodicChecked(false);
    TransmitRow row = target->row();
    row.id = QString::number(frame.id, 16).toUpper();
    row.data = hexBytesText(frame.data, qMin<int>(frame.length, 8)).trimmed();
    if (row.counterByte >= frame.length)
        row.counterByte = -1;
    row.enabled = true;
    target->setRow(row);
    setCurrentRow(indexOf(target));
    ui->scrollArea_tx->ensureWidgetVisible(target);
    m_keep.start(kKeepMs);
}

std::optional<TransmitFrame> TransmitListWidget::checkedFrame(TransmitRowWidget *row)
{
    if (!m_link || (m_connectedCheck && !m_connectedCheck()))
        return std::nullopt;
    // A transfer owns the link: a frame in between could corrupt it.
    if (m_upgradeCheck && m_upgradeCheck())
        return std::nullopt;
    qCDebug(lcWindow) << "send can";
    const TransmitRow typed = row->row();
    if (!typed.enabled)
        return std::nullopt;
    // On a live bus a frame the user did not mean is a hazard: refuse rather
    // than guess, at the field, without stopping the user with a dialog.
    const TransmitFrame frame = transmitFrame(typed);
    row->showProblem(frame.problem);
    if (frame.problem != TransmitProblem::None)
        return std::nullopt;
    return frame;
}

void TransmitListWidget::send(TransmitRowWidget *row)
{
    if (row->periodic)
        return;
    const std::optional<TransmitFrame> frame = checkedFrame(row);
    if (!frame)
        return;
    if (CanTxWorker::transmit(*m_link, frame->id, frame->data))
        row->advanceCounter(frame->data, 1);
}

void TransmitListWidget::togglePeriodic(TransmitRowWidget *row, bool on)
{
    if (!on) {
        if (row->periodic) {
            row->periodic->stop();
            const qint64 sent = row->periodic->sentCount();
            row->showSentCount(sent);
            const TransmitFrame frame = transmitFrame(row->row());
            row->periodic.reset();
            // The next frame carries on from the last one sent.
            row->advanceCounter(frame.data, sent);
        }
    } else if (!row->periodic) {
        const std::optional<TransmitFrame> frame = checkedFrame(row);
        if (!frame) {
            const QSignalBlocker quiet(row);
            row->setPeriodicChecked(false);
            return;
        }
        const TransmitRow typed = row->row();
        // Its own clock: a busy window does not stretch the period.
        row->periodic = std::make_unique<CanTxWorker>(
            *m_link, transmitSchedule(*frame, typed.counterByte, qint64(typed.periodMs) * 1000000,
                                      typed.count));
        // The count reached, or a frame that could not be written (the box
        // is gone), ends the row.
        connect(
            row->periodic.get(), &QThread::finished, row,
            [row, w = row->periodic.get()] {
                if (row->periodic.get() == w)
                    row->setPeriodicChecked(false);
            },
            Qt::QueuedConnection);
        row->showSentCount(0);
        row->periodic->start();
    }
    row->showRunning(row->periodic != nullptr);
    if (anyRunning())
        m_counts.start(kCountsMs);
    else
        m_counts.stop();
    emit runningChanged(anyRunning());
}

void TransmitListWidget::showCounts()
{
    for (int i = 0; rowAt(i); ++i)
        if (rowAt(i)->periodic)
            rowAt(i)->showSentCount(rowAt(i)->periodic->sentCount());
}

void TransmitListWidget::stopAll()
{
    for (int i = 0; rowAt(i); ++i)
        rowAt(i)->setPeriodicChecked(false);
}

void TransmitListWidget::fillFromDbc(TransmitRowWidget *row)
{
    DbcFrameDialog dialog(loadedDbc()->database(), this);
    if (dialog.exec() != QDialog::Accepted || dialog.bytes().isEmpty())
        return;
    const QByteArray bytes = dialog.bytes();
    TransmitRow typed = row->row();
    typed.id = QString::number(dialog.id(), 16).toUpper();
    typed.data =
        hexBytesText(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size()).trimmed();
    row->setRow(typed);
    m_keep.start(kKeepMs);
}

void TransmitListWidget::keepInConfig()
{
    m_keep.stop();
    const QVector<TransmitRow> now = rows();
    QStringList lines;
    // The list as it starts is not written: a configuration nobody changed
    // stays as it was.
    if (now != defaultRows()) {
        lines.append(QStringLiteral("# votkbox transmit list 1"));
        for (const TransmitRow &row : now)
            lines.append(transmitRowLine(row));
    }
    config()->set(Config::CanTxList, lines);
}

void TransmitListWidget::saveList()
{
    QString filter = tr("发送列表 (*.txlist)");
    const QString path =
        saveFileChooser()(window(), tr("保存发送列表"), QString(), filter, &filter);
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(transmitListText(rows())) < 0 ||
        !file.commit())
        MessageBox::warning(window(), tr("信息"),
                            tr("无法保存发送列表：%1").arg(file.errorString()));
}

void TransmitListWidget::loadList()
{
    const QString path =
        openFileChooser()(window(), tr("载入发送列表"), QString(),
                          tr("发送列表 (*.txlist);;所有文件 (*)"), QFileDialog::Options());
    if (path.isEmpty())
        return;
    // Only a regular file of list size: a FIFO would hold the window up, and
    // a cut read could pass as a shorter list.
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || info.size() > kMaxListBytes)) {
        MessageBox::warning(window(), tr("信息"), tr("无法载入发送列表：不是发送列表文件"));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MessageBox::warning(window(), tr("信息"), tr("无法打开文件：%1").arg(file.errorString()));
        return;
    }
    const TransmitListRead read = readTransmitList(file.readAll());
    QString why;
    switch (read.problem) {
    case TransmitListRead::None:
        break;
    case TransmitListRead::NotAList:
        why = tr("不是发送列表文件");
        break;
    case TransmitListRead::Fields:
        why = tr("应为以制表符分隔的7个字段");
        break;
    case TransmitListRead::OnOff:
        why = tr("第1个字段应为 on 或 off");
        break;
    case TransmitListRead::Id:
        why = tr("ID应为最多8位十六进制数");
        break;
    case TransmitListRead::Data:
        why = tr("数据应为十六进制数和空格，最多23个字符");
        break;
    case TransmitListRead::Period:
        why = tr("周期应为1~60000毫秒");
        break;
    case TransmitListRead::Count:
        why = tr("帧数应为0~1000000000");
        break;
    case TransmitListRead::Counter:
        why = tr("计数字节应为0~7或 -");
        break;
    }
    if (!why.isEmpty()) {
        // Nothing of a bad file is taken: the rows stay as they were.
        MessageBox::warning(window(), tr("信息"),
                            tr("无法载入发送列表，第%1行：%2").arg(read.line).arg(why));
        return;
    }
    setRows(read.rows);
}
