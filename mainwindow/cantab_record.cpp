// The CAN tab's recording to a file while frames come.
#include "cantab.h"

#include "capturechooser.h"
#include "capturerecorder.h"
#include "config.h"
#include "filechooser.h"
#include "messagebox.h"

#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {
constexpr int kShowIntervalMs = 500;
} // namespace

void CanTab::recordToFile()
{
    if (m_recorder)
        return;
    QStringList filters;
    for (const CaptureFileType &type : captureSaveTypes())
        filters << type.filter;
    QString chosenFilter = filters.first();
    QString path = saveFileChooser()(window(), tr("记录到文件"), QString(),
                                     filters.join(QLatin1String(";;")), &chosenFilter);
    if (path.isEmpty())
        return;
    RecordingPlan plan;
    if (!captureSaveFormat(&path, chosenFilter, &plan.format)) {
        MessageBox::warning(window(), tr("记录到文件"),
                            tr("请使用 .log、.csv、.asc、.trc 或 .blf 文件名"));
        return;
    }
    plan.path = path;
    plan.rotateBytes =
        std::max<qint64>(config()->get(Config::RecordRotateMb).toLongLong(), 0) * 1000000;
    plan.rotateUs =
        std::max<qint64>(config()->get(Config::RecordRotateS).toLongLong(), 0) * 1000000;
    auto recorder = std::make_unique<CaptureRecorder>();
    QString why;
    if (!recorder->start(plan, &why)) {
        MessageBox::warning(window(), tr("记录到文件"), tr("无法记录：%1").arg(why));
        return;
    }
    connect(recorder.get(), &CaptureRecorder::finished, this, &CanTab::recordingEnded);
    m_recorder = std::move(recorder);
    m_recordingStopped = false;
    m_recordingTicks.setInterval(kShowIntervalMs);
    connect(&m_recordingTicks, &QTimer::timeout, this, &CanTab::showRecording,
            Qt::UniqueConnection);
    m_recordingTicks.start();
    showRecording();
}

void CanTab::stopRecording()
{
    // The file is ended on the recorder's thread; finished() comes after.
    if (!m_recorder || m_recordingStopped)
        return;
    m_recordingStopped = true;
    m_recorder->stop();
    showRecording();
}

void CanTab::showRecording()
{
    if (!m_recorder) {
        emit recordingShown(QString());
        return;
    }
    const QString name = QFileInfo(m_recorder->fileName()).fileName();
    const QString size =
        locale().formattedDataSize(m_recorder->fileBytes(), 1, QLocale::DataSizeSIFormat);
    emit recordingShown(m_recordingStopped ? tr("正在结束记录：%1 (%2)").arg(name, size)
                                           : tr("记录中：%1 (%2)").arg(name, size));
}

void CanTab::recordingEnded(const QString &error)
{
    if (!m_recorder)
        return;
    // Its thread has ended; the table keeps every row either way.
    m_recorder.release()->deleteLater();
    m_recordingTicks.stop();
    showRecording();
    if (!error.isEmpty())
        MessageBox::warning(window(), tr("记录到文件"),
                            tr("记录已停止：%1\n接收表格中的帧都还在。").arg(error));
}
