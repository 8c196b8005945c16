// The CAN tab's replay: a saved capture sent again with its recorded gaps.
#include "cantab.h"
#include "ui_cantab.h"

#include "cantracewindow.h"
#include "capturechooser.h"
#include "messagebox.h"
#include "replaytimeline.h"

#include <QLabel>
#include <QPushButton>

QVector<ReplayFrame> CanTab::chooseReplayCapture()
{
    ChosenCapture chosen;
    if (!chooseCapture(window(), tr("回放"), &chosen))
        return {};
    // The whole file is checked before a frame goes out; every frame is sent,
    // in file order, a time that goes back counting as no gap.
    const ReplayCapture capture = readReplayCapture(*chosen.file, chosen.format);
    if (capture.readFailed) {
        MessageBox::warning(window(), tr("回放"),
                            tr("无法打开文件：%1").arg(chosen.file->errorString()));
        return {};
    }
    QString problem;
    switch (capture.problem) {
    case CaptureProblem::None:
        break;
    case CaptureProblem::Unreadable:
        problem = tr("无法读取");
        break;
    case CaptureProblem::IdTooHigh:
        problem = tr("标识符大于7FF");
        break;
    case CaptureProblem::TooManyBytes:
        problem = tr("数据超过8个字节");
        break;
    case CaptureProblem::RemoteFrame:
        problem = tr("远程帧");
        break;
    case CaptureProblem::ErrorFrame:
        problem = tr("错误帧");
        break;
    case CaptureProblem::FdFrame:
        problem = tr("CAN FD 帧");
        break;
    }
    if (!problem.isEmpty()) {
        MessageBox::warning(window(), tr("回放"),
                            tr("%1无法回放：%2")
                                .arg(CanTraceWindow::placeText(capture.line, capture.atByte))
                                .arg(problem));
        return {};
    }
    if (capture.tooMany) {
        MessageBox::warning(window(), tr("回放"),
                            tr("文件超过 %1 帧，无法回放").arg(ReplayTimeline::kMaxFrames));
        return {};
    }
    if (capture.frames.isEmpty()) {
        MessageBox::warning(window(), tr("回放"), tr("文件中没有帧"));
        return {};
    }
    return capture.frames;
}

void CanTab::on_pushButton_can_replay_toggled(bool on)
{
    if (!on) {
        if (m_replay) {
            m_replay->stop();
            showReplayProgress();
            m_replay.reset();
        }
        syncSendCounts();
        return;
    }
    if (m_replay)
        return;
    QVector<ReplayFrame> frames;
    if (m_link && (!m_connectedCheck || m_connectedCheck()) &&
        !(m_upgradeCheck && m_upgradeCheck()))
        frames = chooseReplayCapture();
    if (frames.isEmpty()) {
        const QSignalBlocker quiet(ui->pushButton_can_replay);
        ui->pushButton_can_replay->setChecked(false);
        return;
    }
    m_replayTotal = frames.size();
    m_replay = std::make_unique<CanTxWorker>(*m_link, replaySchedule(frames, 1, 1));
    // The end of the capture, or a frame that could not be written, ends it.
    connect(
        m_replay.get(), &QThread::finished, m_replay.get(),
        [this] { ui->pushButton_can_replay->setChecked(false); }, Qt::QueuedConnection);
    showReplayProgress();
    m_replay->start();
    syncSendCounts();
}

void CanTab::showReplayProgress()
{
    ui->label_can_replay->setText(
        QStringLiteral("%1 / %2").arg(m_replay ? m_replay->sentCount() : 0).arg(m_replayTotal));
}
