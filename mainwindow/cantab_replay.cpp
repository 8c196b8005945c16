// The CAN tab's replay: a saved capture sent again with its recorded gaps.
#include "cantab.h"
#include "ui_cantab.h"

#include "cantracewindow.h"
#include "capturechooser.h"
#include "messagebox.h"
#include "replaytimeline.h"

#include <QLabel>
#include <QPushButton>

#include <limits>

namespace {
// How often the replay's progress is shown.
constexpr int kReplayCountsMs = 200;
} // namespace

QVector<ReplayFrame> CanTab::chooseReplayCapture()
{
    ChosenCapture chosen;
    if (!chooseCapture(window(), tr("回放"), &chosen))
        return {};
    // The whole file is checked before a frame goes out; the frames are sent
    // in file order, a time that goes back counting as no gap. The frames
    // the box reported were on the bus already: sent again only when asked.
    const ReplayCapture capture = readReplayCapture(
        *chosen.file, chosen.format, qint64(ui->doubleSpinBox_can_replay_start->value() * 1e6),
        ui->checkBox_can_replay_received->isChecked());
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
    case CaptureProblem::ExtendedId:
        problem = tr("扩展帧（29 位标识符）");
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
        MessageBox::warning(window(), tr("回放"),
                            ui->checkBox_can_replay_received->isChecked()
                                ? tr("文件中（起始时间之后）没有帧")
                                : tr("文件中（起始时间之后）没有记录为发送的帧；"
                                     "要回放接收的帧，请勾选“也发送接收的帧”"));
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
        m_replayCounts.stop();
        showReplayRunning(false);
        reportSenders();
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
    // The same speeds and rounds as votkbox-cli replay's --speed and --loop.
    static const double speeds[] = {0.5, 1, 2, 5, 0};
    const double speed = speeds[qBound(0, ui->comboBox_can_replay_speed->currentIndex(), 4)];
    const int loops = ui->spinBox_can_replay_loops->value();
    const int rounds = loops > 0 ? loops : std::numeric_limits<int>::max();
    m_replayTotal = loops > 0 ? qint64(frames.size()) * loops : 0;
    m_replay = std::make_unique<CanTxWorker>(*m_link, replaySchedule(frames, speed, rounds));
    // The end of the capture, or a frame that could not be written, ends it.
    connect(
        m_replay.get(), &QThread::finished, m_replay.get(),
        [this] { ui->pushButton_can_replay->setChecked(false); }, Qt::QueuedConnection);
    showReplayProgress();
    m_replay->start();
    connect(&m_replayCounts, &QTimer::timeout, this, &CanTab::showReplayProgress,
            Qt::UniqueConnection);
    m_replayCounts.start(kReplayCountsMs);
    showReplayRunning(true);
    reportSenders();
}

void CanTab::showReplayRunning(bool running)
{
    ui->pushButton_can_replay->setText(running ? tr("停止") : tr("回放…"));
    // A running replay keeps the options it started with.
    for (QWidget *option : std::initializer_list<QWidget *>{
             ui->comboBox_can_replay_speed, ui->spinBox_can_replay_loops,
             ui->doubleSpinBox_can_replay_start, ui->checkBox_can_replay_received})
        option->setEnabled(!running);
}

void CanTab::showReplayProgress()
{
    const qint64 sent = m_replay ? m_replay->sentCount() : 0;
    ui->label_can_replay->setText(m_replayTotal > 0
                                      ? QStringLiteral("%1 / %2").arg(sent).arg(m_replayTotal)
                                      : QStringLiteral("%1 / ∞").arg(sent));
}
