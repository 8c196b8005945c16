#include "plotwindow.h"
#include "ui_plotwindow.h"

#include "canrxmodel.h"
#include "capturechooser.h"
#include "capturefile.h"
#include "config.h"
#include "filechooser.h"
#include "loadeddbc.h"
#include "messagebox.h"
#include "plotpane.h"
#include "plotsignaltree.h"

#include <QColorDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QPixmap>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Frames decoded in one go when a whole store is read.
constexpr int kFillBatch = 4096;
constexpr double kKeyZoom = 0.8;
constexpr double kKeyPan = 0.1;
constexpr qint64 kMinSpanUs = 10;
constexpr qint64 kMaxSpanUs = qint64(1e6) * 3600 * 24 * 365;
constexpr qint64 kFarUs = qint64(1) << 61;

// A frame's time as the view takes it: a capture may hold any.
qint64 near(qint64 us)
{
    return std::clamp(us, -kFarUs, kFarUs);
}

QColor paletteColour(int i)
{
    static const QColor colours[] = {
        QColor(31, 119, 180),  QColor(214, 39, 40), QColor(44, 160, 44),   QColor(255, 127, 14),
        QColor(148, 103, 189), QColor(140, 86, 75), QColor(227, 119, 194), QColor(23, 190, 207)};
    return colours[i % int(std::size(colours))];
}

// Reads `rows` in batches, handing each to `take`.
template <typename Take> void readRows(const CanRxModel &rows, Take take)
{
    QVector<CanFrame> batch;
    batch.reserve(kFillBatch);
    const int n = rows.stored();
    for (int i = 0; i < n; ++i) {
        if (!rows.isGapAt(i))
            batch.append(rows.frameAt(i));
        if (batch.size() == kFillBatch || (i + 1 == n && !batch.isEmpty())) {
            take(batch);
            batch.clear();
        }
    }
}

// The value of `series` at `seconds`: its last sample at or before then.
std::optional<double> valueAt(const PlotSeries &series, qint64 us)
{
    const qint64 i = series.lowerBound(us + 1) - 1;
    if (i < 0)
        return std::nullopt;
    return series.value(i);
}
} // namespace

QStringList PlotSignalTree::mimeTypes() const
{
    return {QLatin1String(kPlotSignalMime)};
}

QMimeData *PlotSignalTree::mimeData(const QList<QTreeWidgetItem *> items) const
{
    if (items.isEmpty() || !items.first()->data(0, kSignalRole).isValid())
        return nullptr;
    auto *mime = new QMimeData;
    mime->setData(QLatin1String(kPlotSignalMime),
                  QByteArray::number(items.first()->data(0, kMessageRole).toInt()) + ' ' +
                      QByteArray::number(items.first()->data(0, kSignalRole).toInt()));
    return mime;
}

PlotWindow::PlotWindow(CanRxModel *store, QWidget *parent)
    : QWidget(parent, Qt::Window), ui(new Ui::PlotWindow), m_store(store)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->splitter_main->setStretchFactor(1, 1);
    ui->splitter_main->setSizes({240, 860});
    connect(ui->pushButton_follow, &QPushButton::toggled, this, &PlotWindow::setFollowing);
    connect(ui->pushButton_fit, &QPushButton::clicked, this, &PlotWindow::fitAll);
    connect(ui->pushButton_add_pane, &QPushButton::clicked, this, &PlotWindow::addPane);
    connect(ui->pushButton_remove_pane, &QPushButton::clicked, this, &PlotWindow::removePane);
    connect(ui->pushButton_store, &QPushButton::clicked, this, [this] {
        m_capture.reset();
        rebuild();
    });
    connect(ui->pushButton_capture, &QPushButton::clicked, this, &PlotWindow::openCapture);
    connect(ui->pushButton_png, &QPushButton::clicked, this, &PlotWindow::exportPng);
    connect(ui->pushButton_csv, &QPushButton::clicked, this, &PlotWindow::exportCsv);
    connect(ui->pushButton_save_layout, &QPushButton::clicked, this, &PlotWindow::saveLayout);
    connect(ui->pushButton_load_layout, &QPushButton::clicked, this, &PlotWindow::loadLayout);
    connect(ui->pushButton_adhoc_add, &QPushButton::clicked, this, &PlotWindow::addAdHoc);
    connect(ui->doubleSpinBox_window, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &PlotWindow::setWindowSeconds);
    connect(ui->treeWidget_signals, &QTreeWidget::itemDoubleClicked, this,
            &PlotWindow::addFromTree);
    connect(loadedDbc(), &LoadedDbc::changed, this, &PlotWindow::fillTree);
    fillTree();
    addPane();
    rebuild();
    // A new window starts with the layout last saved or loaded.
    const QString layoutFile = config()->get(Config::PlotLayoutFile).toString();
    if (!layoutFile.isEmpty() && QFileInfo(layoutFile).isFile())
        loadLayoutFile(layoutFile, false);
    m_redrawTimer.setInterval(kRedrawIntervalMs);
    connect(&m_redrawTimer, &QTimer::timeout, this, &PlotWindow::redraw);
    m_redrawTimer.start();
}

PlotWindow::~PlotWindow()
{
    delete ui;
}

CanRxModel *PlotWindow::source() const
{
    return m_capture ? m_capture.get() : m_store.data();
}

void PlotWindow::fillTree()
{
    QTreeWidget *tree = ui->treeWidget_signals;
    tree->clear();
    const std::shared_ptr<const DbcDatabase> db = loadedDbc()->database();
    if (!db)
        return;
    for (size_t m = 0; m < db->messages.size(); ++m) {
        const DbcMessage &message = db->messages[m];
        if (message.extended || !message.decoded)
            continue;
        auto *top = new QTreeWidgetItem(
            tree, {QStringLiteral("%1 (0x%2)")
                       .arg(message.name,
                            QString::number(message.id, 16).toUpper().rightJustified(3, '0'))});
        top->setFlags(Qt::ItemIsEnabled);
        for (size_t s = 0; s < message.signalList.size(); ++s) {
            const DbcSignal &signal = message.signalList[s];
            auto *item = new QTreeWidgetItem(
                top,
                {signal.unit.isEmpty() ? signal.name
                                       : QStringLiteral("%1 [%2]").arg(signal.name, signal.unit)});
            item->setData(0, PlotSignalTree::kMessageRole, int(m));
            item->setData(0, PlotSignalTree::kSignalRole, int(s));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        }
    }
}

int PlotWindow::currentPaneIndex() const
{
    const auto it = std::find(m_panes.begin(), m_panes.end(), m_currentPane);
    return it == m_panes.end() ? 0 : int(it - m_panes.begin());
}

void PlotWindow::addFromTree(QTreeWidgetItem *item)
{
    if (item && item->data(0, PlotSignalTree::kSignalRole).isValid())
        addDropped(m_panes[size_t(currentPaneIndex())],
                   QByteArray::number(item->data(0, PlotSignalTree::kMessageRole).toInt()) + ' ' +
                       QByteArray::number(item->data(0, PlotSignalTree::kSignalRole).toInt()));
}

void PlotWindow::addDropped(PlotPane *pane, const QByteArray &payload)
{
    const QList<QByteArray> parts = payload.split(' ');
    const std::shared_ptr<const DbcDatabase> db = loadedDbc()->database();
    if (!db || parts.size() != 2)
        return;
    const int m = parts[0].toInt();
    const int s = parts[1].toInt();
    if (m < 0 || size_t(m) >= db->messages.size() || s < 0 ||
        size_t(s) >= db->messages[size_t(m)].signalList.size())
        return;
    const auto it = std::find(m_panes.begin(), m_panes.end(), pane);
    addSignal(plotSignalOf(db->messages[size_t(m)], s), int(it - m_panes.begin()));
}

void PlotWindow::addAdHoc()
{
    bool idOk = false;
    const QString idText = ui->lineEdit_adhoc_id->text().trimmed();
    const uint id = idText.toUInt(&idOk, 16);
    bool factorOk = false;
    bool offsetOk = false;
    const double factor = ui->lineEdit_adhoc_factor->text().toDouble(&factorOk);
    const double offset = ui->lineEdit_adhoc_offset->text().toDouble(&offsetOk);
    QString error;
    std::optional<PlotSignal> signal;
    if (!idOk)
        error = tr("标识符须为十六进制数，如 0C9");
    else if (!factorOk || !offsetOk)
        error = tr("系数和偏移须为数字");
    else
        signal =
            adHocSignal(id, ui->spinBox_adhoc_start->value(), ui->spinBox_adhoc_length->value(),
                        ui->comboBox_adhoc_order->currentIndex() == 1 ? DbcByteOrder::Motorola
                                                                      : DbcByteOrder::Intel,
                        ui->checkBox_adhoc_signed->isChecked(), factor, offset, &error);
    if (!signal) {
        MessageBox::warning(this, tr("自定义信号"), error);
        return;
    }
    addSignal(*signal, currentPaneIndex());
}

PlotPane *PlotWindow::addPane()
{
    auto *pane = new PlotPane(&m_feed);
    ui->splitter_panes->addWidget(pane);
    m_panes.push_back(pane);
    m_currentPane = pane;
    connect(pane, &PlotPane::zoomRequested, this, &PlotWindow::zoom);
    connect(pane, &PlotPane::panRequested, this, &PlotWindow::pan);
    connect(pane, &PlotPane::cursorRequested, this, [this, pane](int which, double seconds) {
        m_currentPane = pane;
        setCursor(which, seconds);
    });
    connect(pane, &PlotPane::colourRequested, this,
            [this, pane](int handle) { chooseColour(pane, handle); });
    connect(pane, &PlotPane::signalDropped, this,
            [this, pane](const QByteArray &payload) { addDropped(pane, payload); });
    pane->setView(m_fromUs, m_toUs, m_originUs);
    pane->setCursors(m_cursor[0], m_cursor[1]);
    ui->pushButton_remove_pane->setEnabled(m_panes.size() > 1);
    return pane;
}

void PlotWindow::removePane()
{
    if (m_panes.size() < 2)
        return;
    PlotPane *pane = m_panes[size_t(currentPaneIndex())];
    for (int handle : pane->handles())
        m_feed.remove(handle);
    m_panes.erase(std::find(m_panes.begin(), m_panes.end(), pane));
    delete pane;
    m_currentPane = m_panes.back();
    ui->pushButton_remove_pane->setEnabled(m_panes.size() > 1);
    showView();
}

int PlotWindow::addSignal(const PlotSignal &signal, int paneIndex, QColor colour, bool visible)
{
    const int handle = addUnfilled(signal, paneIndex, colour, visible);
    if (handle >= 0)
        fill({handle});
    return handle;
}

void PlotWindow::fill(const std::vector<int> &handles)
{
    if (CanRxModel *rows = source())
        readRows(*rows, [&](const QVector<CanFrame> &batch) {
            for (int handle : handles)
                m_feed.fill(handle, batch.constData(), batch.size());
        });
    showView();
}

int PlotWindow::addUnfilled(const PlotSignal &signal, int paneIndex, QColor colour, bool visible)
{
    if (paneIndex < 0 || paneIndex >= paneCount())
        return -1;
    const int handle = m_feed.add(signal);
    if (!colour.isValid())
        colour = paletteColour(m_nextColour++);
    m_panes[size_t(paneIndex)]->addCurve(handle, colour, visible);
    return handle;
}

void PlotWindow::rebuild()
{
    m_feed.clearSamples();
    m_originSet = false;
    if (CanRxModel *rows = source()) {
        if (rows->stored() > 0) {
            m_originUs = near(rows->frameAt(0).timeUs);
            m_originSet = true;
        }
        if (m_feed.handles().empty()) {
            // Nothing to decode: the first and last frames give the times.
            if (rows->stored() > 0) {
                const CanFrame ends[2] = {rows->frameAt(0), rows->frameAt(rows->stored() - 1)};
                m_feed.append(ends, 2);
            }
        } else {
            readRows(*rows, [&](const QVector<CanFrame> &batch) {
                m_feed.append(batch.constData(), batch.size());
            });
        }
    }
    showSource();
    if (m_capture)
        fitAll();
    else
        setFollowing(true);
}

void PlotWindow::showSource()
{
    ui->label_source->setText(m_capture ? tr("记录：%1").arg(m_captureName) : tr("CAN 接收的帧"));
    ui->pushButton_follow->setEnabled(!m_capture);
}

void PlotWindow::showFrames(std::unique_ptr<CanRxModel> rows, const QString &name)
{
    m_capture = std::move(rows);
    m_captureName = name;
    rebuild();
}

void PlotWindow::openCapture()
{
    ChosenCapture chosen;
    if (!chooseCapture(this, tr("打开记录"), &chosen))
        return;
    auto rows = std::make_unique<CanRxModel>();
    rows->setRowLimit(CanRxModel::kMaxRowLimit);
    const CaptureFile capture = readCaptureFile(*chosen.file, chosen.format, CaptureUse::View,
                                                [&](const CanFrame &f) { rows->append(f); });
    if (capture.readFailed || rows->stored() == 0) {
        MessageBox::warning(this, tr("打开记录"),
                            tr("%1 中没有可读的帧").arg(QFileInfo(chosen.path).fileName()));
        return;
    }
    showFrames(std::move(rows), QFileInfo(chosen.path).fileName());
}

void PlotWindow::appendFrames(const QVector<CanFrame> &frames)
{
    if (m_capture || frames.isEmpty())
        return;
    if (!m_originSet) {
        m_originUs = near(frames.first().timeUs);
        m_originSet = true;
    }
    m_feed.append(frames.constData(), frames.size());
    m_dirty = true;
}

void PlotWindow::setFollowing(bool on)
{
    m_following = on && !m_capture;
    {
        const QSignalBlocker block(ui->pushButton_follow);
        ui->pushButton_follow->setChecked(m_following);
    }
    m_dirty = true;
    redraw();
}

void PlotWindow::setWindowSeconds(double seconds)
{
    m_windowUs = std::clamp(qint64(seconds * 1e6), kMinSpanUs, kMaxSpanUs);
    if (std::abs(ui->doubleSpinBox_window->value() - seconds) > 1e-9) {
        const QSignalBlocker block(ui->doubleSpinBox_window);
        ui->doubleSpinBox_window->setValue(seconds);
    }
    m_dirty = true;
    redraw();
}

void PlotWindow::redraw()
{
    if (!m_following || !m_dirty)
        return;
    m_dirty = false;
    const qint64 last = m_feed.hasFrames() ? near(m_feed.lastUs()) : m_originUs;
    setView(std::max(m_originUs, last - m_windowUs),
            std::max(m_originUs, last - m_windowUs) + m_windowUs);
}

void PlotWindow::setView(qint64 fromUs, qint64 toUs)
{
    // Far inside qint64, so that no pan or zoom can overflow a time.
    m_fromUs = std::clamp(fromUs, -kFarUs, kFarUs);
    m_toUs = std::clamp(toUs, m_fromUs + kMinSpanUs, m_fromUs + kMaxSpanUs);
    showView();
}

void PlotWindow::showView()
{
    int extent = 0;
    for (PlotPane *pane : m_panes) {
        pane->setView(m_fromUs, m_toUs, m_originUs);
        extent = std::max(extent, pane->valueAxisExtent());
    }
    for (PlotPane *pane : m_panes)
        pane->setValueAxisExtent(extent);
}

qint64 PlotWindow::toUs(double seconds) const
{
    const double us = std::clamp(seconds * 1e6, -double(kFarUs), double(kFarUs));
    return std::clamp(m_originUs + qint64(std::llround(us)), -kFarUs, kFarUs);
}

double PlotWindow::viewFrom() const
{
    return (double(m_fromUs) - double(m_originUs)) / 1e6;
}

double PlotWindow::viewTo() const
{
    return (double(m_toUs) - double(m_originUs)) / 1e6;
}

void PlotWindow::fitAll()
{
    qint64 first = std::numeric_limits<qint64>::max();
    qint64 last = std::numeric_limits<qint64>::min();
    for (int handle : m_feed.handles()) {
        const PlotSeries &s = m_feed.series(handle);
        if (s.isEmpty())
            continue;
        first = std::min(first, s.timeUs(0));
        last = std::max(last, s.timeUs(s.size() - 1));
    }
    if (first > last) {
        first = m_feed.hasFrames() ? m_feed.firstUs() : m_originUs;
        last = m_feed.hasFrames() ? m_feed.lastUs() : m_originUs;
    }
    // One past the last sample, so that it is inside the range.
    setFollowing(false);
    setView(near(first), near(last) + 1);
}

void PlotWindow::zoom(double factor, double centreSeconds)
{
    if (!std::isfinite(factor) || factor <= 0 || !std::isfinite(centreSeconds))
        return;
    setFollowing(false);
    const double from = double(m_fromUs);
    const double span = double(m_toUs - m_fromUs);
    const double centre = std::clamp(double(toUs(centreSeconds)), from, from + span);
    const double newSpan = std::clamp(span * factor, double(kMinSpanUs), double(kMaxSpanUs));
    const double newFrom = centre - (centre - from) * newSpan / span;
    setView(qint64(std::llround(newFrom)), qint64(std::llround(newFrom + newSpan)));
}

void PlotWindow::pan(double seconds)
{
    if (!std::isfinite(seconds) || std::abs(seconds) > double(kMaxSpanUs) / 1e6)
        return;
    setFollowing(false);
    const qint64 delta = qint64(std::llround(seconds * 1e6));
    setView(m_fromUs + delta, m_toUs + delta);
}

void PlotWindow::setCursor(int which, double seconds)
{
    if (which < 0 || which > 1 || !std::isfinite(seconds))
        return;
    m_cursor[which] = seconds;
    for (PlotPane *pane : m_panes)
        pane->setCursors(m_cursor[0], m_cursor[1]);
    ui->label_cursors->setText(cursorText());
}

QString PlotWindow::cursorText() const
{
    QStringList parts;
    for (int i = 0; i < 2; ++i)
        if (m_cursor[i])
            parts << tr("光标 %1: %2 s").arg(i + 1).arg(*m_cursor[i], 0, 'f', 6);
    if (m_cursor[0] && m_cursor[1]) {
        parts << tr("Δt = %1 s").arg(*m_cursor[1] - *m_cursor[0], 0, 'f', 6);
        for (PlotPane *pane : m_panes)
            for (int handle : pane->handles()) {
                if (!pane->curveVisible(handle))
                    continue;
                const PlotSeries &s = m_feed.series(handle);
                const std::optional<double> a = valueAt(s, toUs(*m_cursor[0]));
                const std::optional<double> b = valueAt(s, toUs(*m_cursor[1]));
                if (a && b)
                    parts << QStringLiteral("Δ%1 = %2 %3")
                                 .arg(m_feed.signal(handle).signal.name,
                                      QString::number(*b - *a, 'g', 10),
                                      m_feed.signal(handle).signal.unit)
                                 .trimmed();
            }
    }
    return parts.join(QLatin1String("   "));
}

void PlotWindow::keyPressEvent(QKeyEvent *event)
{
    const double span = viewTo() - viewFrom();
    const double centre = (viewFrom() + viewTo()) / 2;
    switch (event->key()) {
    case Qt::Key_Left:
        pan(-span * kKeyPan);
        break;
    case Qt::Key_Right:
        pan(span * kKeyPan);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoom(kKeyZoom, centre);
        break;
    case Qt::Key_Minus:
        zoom(1 / kKeyZoom, centre);
        break;
    case Qt::Key_Home:
        fitAll();
        break;
    case Qt::Key_Space:
        setFollowing(!m_following);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void PlotWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        showSource();
    }
    QWidget::changeEvent(event);
}

void PlotWindow::chooseColour(PlotPane *pane, int handle)
{
    const QColor colour = QColorDialog::getColor(pane->colour(handle), this, tr("信号颜色"));
    if (colour.isValid())
        pane->setColour(handle, colour);
}

bool PlotWindow::writeCsv(QIODevice &out) const
{
    std::vector<PlotCsvSignal> columns;
    for (PlotPane *pane : m_panes)
        for (int handle : pane->handles())
            if (pane->curveVisible(handle))
                columns.push_back({m_feed.signal(handle).name(), m_feed.signal(handle).signal.unit,
                                   &m_feed.series(handle)});
    return writePlotCsv(out, columns, m_fromUs, m_toUs, m_originUs);
}

void PlotWindow::exportPng()
{
    QString filter = tr("PNG 图片 (*.png)");
    const QString path = saveFileChooser()(this, tr("导出 PNG"), QString(), filter, &filter);
    if (path.isEmpty())
        return;
    if (!grab().save(path, "PNG"))
        MessageBox::warning(this, tr("导出 PNG"), tr("无法写入 %1").arg(path));
}

void PlotWindow::exportCsv()
{
    QString filter = tr("CSV 文件 (*.csv)");
    const QString path = saveFileChooser()(this, tr("导出 CSV"), QString(), filter, &filter);
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeCsv(file) || !file.commit())
        MessageBox::warning(this, tr("导出 CSV"),
                            tr("无法写入 %1：%2").arg(path, file.errorString()));
}

PlotLayout PlotWindow::layout() const
{
    PlotLayout out;
    for (PlotPane *pane : m_panes) {
        std::vector<PlotLayoutSignal> list;
        for (int handle : pane->handles()) {
            const PlotSignal &s = m_feed.signal(handle);
            PlotLayoutSignal l;
            l.message = s.message;
            l.signal = s.signal.name;
            l.id = s.id;
            l.startBit = s.signal.startBit;
            l.length = s.signal.length;
            l.order = s.signal.order;
            l.isSigned = s.signal.isSigned;
            l.factor = s.signal.factor;
            l.offset = s.signal.offset;
            l.colour = pane->colour(handle).name();
            l.hidden = !pane->curveVisible(handle);
            list.push_back(l);
        }
        out.push_back(std::move(list));
    }
    return out;
}

void PlotWindow::applyLayout(const PlotLayout &layout, QStringList *missing)
{
    while (m_panes.size() > 1)
        removePane();
    for (int handle : m_panes.front()->handles()) {
        m_panes.front()->removeCurve(handle);
        m_feed.remove(handle);
    }
    const std::shared_ptr<const DbcDatabase> db = loadedDbc()->database();
    std::vector<int> added;
    for (size_t p = 0; p < layout.size(); ++p) {
        if (p > 0)
            addPane();
        for (const PlotLayoutSignal &l : layout[p]) {
            std::optional<PlotSignal> signal;
            if (l.message.isEmpty()) {
                signal = adHocSignal(l.id, l.startBit, l.length, l.order, l.isSigned, l.factor,
                                     l.offset, nullptr);
            } else if (db) {
                for (const DbcMessage &m : db->messages)
                    if (m.name == l.message)
                        for (size_t s = 0; s < m.signalList.size(); ++s)
                            if (m.signalList[s].name == l.signal)
                                signal = plotSignalOf(m, int(s));
            }
            if (!signal) {
                if (missing)
                    *missing << (l.message.isEmpty() ? QStringLiteral("0x%1 %2|%3")
                                                           .arg(l.id, 0, 16)
                                                           .arg(l.startBit)
                                                           .arg(l.length)
                                                     : l.message + QLatin1Char('.') + l.signal);
                continue;
            }
            added.push_back(addUnfilled(*signal, int(p), QColor(l.colour), !l.hidden));
        }
    }
    // One pass over the frames for every signal of the layout.
    fill(added);
    m_currentPane = m_panes.front();
}

void PlotWindow::saveLayout()
{
    QString filter = tr("信号图布局 (*.plot.json)");
    const QString path = saveFileChooser()(
        this, tr("保存布局"), config()->get(Config::PlotLayoutFile).toString(), filter, &filter);
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(plotLayoutText(layout())) < 0 ||
        !file.commit()) {
        MessageBox::warning(this, tr("保存布局"),
                            tr("无法写入 %1：%2").arg(path, file.errorString()));
        return;
    }
    config()->set(Config::PlotLayoutFile, QFileInfo(path).absoluteFilePath());
}

void PlotWindow::loadLayout()
{
    const QString path = openFileChooser()(
        this, tr("加载布局"), config()->get(Config::PlotLayoutFile).toString(),
        tr("信号图布局 (*.plot.json);;所有文件 (*)"), QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty())
        loadLayoutFile(path, true);
}

bool PlotWindow::loadLayoutFile(const QString &path, bool tell)
{
    QFile file(path);
    QString error;
    std::optional<PlotLayout> parsed;
    if (!file.open(QIODevice::ReadOnly))
        error = file.errorString();
    else if (file.size() > (1 << 20))
        error = tr("文件过大");
    else
        parsed = parsePlotLayout(file.readAll(), &error);
    if (!parsed) {
        if (tell)
            MessageBox::warning(this, tr("加载布局"), tr("无法加载 %1：%2").arg(path, error));
        return false;
    }
    config()->set(Config::PlotLayoutFile, QFileInfo(path).absoluteFilePath());
    QStringList missing;
    applyLayout(*parsed, &missing);
    if (tell && !missing.isEmpty())
        MessageBox::warning(this, tr("加载布局"),
                            tr("已加载的 DBC 中没有这些信号：\n%1").arg(missing.join('\n')));
    return true;
}
