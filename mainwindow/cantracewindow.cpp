#include "cantracewindow.h"
#include "ui_cantracewindow.h"

#include "canidsummarymodel.h"
#include "canrxmodel.h"
#include "cantracepanel.h"
#include "capturechooser.h"
#include "capturefile.h"
#include "config.h"
#include "messagebox.h"
#include "tracesave.h"

#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>

namespace {
// The wait cursor while a large capture loads.
struct BusyCursor
{
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};
} // namespace

CanTraceWindow::CanTraceWindow(CanRxModel *rows, CanIdSummaryModel *ids, QWidget *parent)
    : QWidget(parent, Qt::Window), ui(new Ui::CanTraceWindow), m_rows(rows)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    m_panel = new CanTracePanel({ui->table, ui->pushButton_freeze, ui->pushButton_by_id,
                                 ui->comboBox_time, ui->lineEdit_filter, ui->comboBox_filter_mode,
                                 ui->lineEdit_search, ui->pushButton_prev, ui->pushButton_next,
                                 ui->label_held, ui->pushButton_jump, ui->label_filter_error,
                                 ui->label_search_error},
                                rows, ids, this);
    connect(m_panel, &CanTracePanel::sendFrameRequested, this, &CanTraceWindow::sendFrameRequested);
    connect(ui->table, &QWidget::customContextMenuRequested, this, [this] {
        QMenu menu;
        m_panel->addRowActions(&menu);
        menu.exec(QCursor::pos());
    });
    connect(ui->pushButton_save, &QPushButton::clicked, this,
            [this] { saveTraceRows(this, m_rows); });
    connect(rows, &CanRxModel::flushed, this, &CanTraceWindow::showCount);
    connect(rows, &CanRxModel::viewSettingsChanged, this, &CanTraceWindow::showCount);
    const auto showPaused = [this] {
        const QString text = m_rows->pausedBannerText();
        ui->label_rx_paused->setText(text);
        ui->label_rx_paused->setVisible(!text.isEmpty());
    };
    connect(rows, &CanRxModel::pausedChanged, this, showPaused);
    showPaused();
    // A capture opens beside this window, which stays as it is.
    connect(ui->pushButton_open, &QPushButton::clicked, this, [this] {
        if (CanTraceWindow *opened = openCapture(parentWidget() ? parentWidget() : this))
            connect(opened, &CanTraceWindow::sendFrameRequested, this,
                    &CanTraceWindow::sendFrameRequested);
    });
    showCount();
}

CanTraceWindow::~CanTraceWindow()
{
    delete ui;
}

void CanTraceWindow::showCount()
{
    // A filtered view says how many of the stored frames it shows.
    if (m_rows->isFiltered())
        ui->label_count->setText(
            tr("表中帧数: %1 / %2").arg(m_rows->filteredFrames()).arg(m_rows->storedFrames()));
    else
        ui->label_count->setText(tr("表中帧数: %1").arg(m_rows->storedFrames()));
}

CaptureFile loadCaptureRows(QIODevice &file, CanSaveFormat format, CanRxModel *rows,
                            CanIdSummaryModel *ids)
{
    const CaptureFile capture =
        readCaptureFile(file, format, CaptureUse::View, [&](const CanFrame &frame) {
            rows->append(frame);
            ids->add(frame);
        });
    rows->flush();
    ids->flush();
    return capture;
}

QString CanTraceWindow::problemText(CaptureProblem problem)
{
    switch (problem) {
    case CaptureProblem::None:
        break;
    case CaptureProblem::IdTooHigh:
        return tr("标识符大于 FFFF");
    case CaptureProblem::TooManyBytes:
        return tr("数据超过 64 个字节");
    case CaptureProblem::RemoteFrame:
        return tr("远程帧");
    case CaptureProblem::ErrorFrame:
        return tr("错误帧");
    case CaptureProblem::FdFrame:
        return tr("CAN FD 帧");
    case CaptureProblem::Unreadable:
    case CaptureProblem::ExtendedId: // a view takes extended frames
        break;
    }
    return tr("不是帧的格式");
}

QString CanTraceWindow::placeText(qint64 place, bool atByte)
{
    return atByte ? tr("第 %1 字节处的对象").arg(place) : tr("第 %1 行").arg(place);
}

CanTraceWindow *CanTraceWindow::openCapture(QWidget *parent)
{
    const QString caption = tr("打开");
    ChosenCapture chosen;
    if (!chooseCapture(parent, caption, &chosen))
        return nullptr;
    // The capture's own rows, gone with its window.
    auto *rows = new CanRxModel;
    auto *ids = new CanIdSummaryModel;
    rows->setRowLimit(config()->get(Config::CanRxRowLimit).toInt());
    CaptureFile capture;
    {
        const BusyCursor busy;
        capture = loadCaptureRows(*chosen.file, chosen.format, rows, ids);
    }
    if (capture.readFailed) {
        delete rows;
        delete ids;
        MessageBox::warning(parent, caption,
                            tr("无法打开文件：%1").arg(chosen.file->errorString()));
        return nullptr;
    }
    chosen.file.reset();
    if (capture.frameCount == 0) {
        delete rows;
        delete ids;
        if (capture.problem != CaptureProblem::None)
            MessageBox::warning(parent, caption,
                                tr("%1无法读取（%2），文件中没有可显示的帧")
                                    .arg(placeText(capture.line, capture.atByte))
                                    .arg(problemText(capture.problem)));
        else
            MessageBox::warning(parent, caption, tr("文件中没有帧"));
        return nullptr;
    }
    auto *window = new CanTraceWindow(rows, ids, parent);
    rows->setParent(window);
    ids->setParent(window);
    window->setWindowTitle(tr("接收窗口 - %1").arg(QFileInfo(chosen.path).fileName()));
    window->show();
    if (capture.skipped > 0)
        MessageBox::warning(window, caption,
                            tr("%1无法读取（%2），已跳过；共跳过 %3 处，其余已载入")
                                .arg(placeText(capture.line, capture.atByte))
                                .arg(problemText(capture.problem))
                                .arg(capture.skipped));
    if (rows->dropped() > 0)
        MessageBox::warning(window, caption,
                            tr("文件有 %1 帧，超过行数上限，只显示最后 %2 帧")
                                .arg(capture.frameCount)
                                .arg(rows->stored()));
    return window;
}
