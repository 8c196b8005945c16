#include "tracesave.h"

#include "canrxmodel.h"
#include "capturechooser.h"
#include "config.h"
#include "filechooser.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QSaveFile>

namespace {
constexpr int kProgressSteps = 1000;
} // namespace

void saveTraceRows(QWidget *parent, CanRxModel *rows)
{
    QStringList filters;
    for (const CaptureFileType &type : captureSaveTypes())
        filters << type.filter;
    QString chosenFilter = filters.first();
    QString path = saveFileChooser()(parent, QCoreApplication::translate("CanTab", "保存"),
                                     QString(), filters.join(QLatin1String(";;")), &chosenFilter);
    if (path.isEmpty())
        return;
    // A bare name takes the extension of the type chosen in the dialog.
    CanSaveFormat format;
    if (!captureSaveFormat(&path, chosenFilter, &format)) {
        MessageBox::warning(
            parent, QCoreApplication::translate("CanTab", "保存"),
            QCoreApplication::translate("CanTab", "请使用 .log、.csv、.asc、.trc 或 .blf 文件名"));
        return;
    }
    // A filtered view may be what the user means to keep, or only a look
    // into everything recorded; the user may also think again.
    bool filtered = false;
    if (rows->isFiltered()) {
        const QMessageBox::StandardButton answer = MessageBox::questionOrCancel(
            parent, QCoreApplication::translate("CanTab", "保存"),
            QCoreApplication::translate("CanTab", "已设置 ID 过滤。只保存过滤后显示的帧？\n"
                                                  "选“否”保存全部帧。"));
        if (answer == QMessageBox::Cancel)
            return;
        filtered = answer == QMessageBox::Yes;
    }

    // Written beside the target and renamed over it only when complete, so
    // a failure or a cancel leaves no half file under the chosen name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        MessageBox::warning(
            parent, QCoreApplication::translate("CanTab", "保存"),
            QCoreApplication::translate("CanTab", "保存失败：%1").arg(file.errorString()));
        return;
    }
    rows->flush();
    // Everything stored is saved, frames a frozen view holds back too.
    const int count = rows->stored();
    // Frames keep arriving during the save; the rows being written must stay.
    rows->setTrimmingHeld(true);
    QProgressDialog progress(QCoreApplication::translate("CanTab", "正在保存..."),
                             QCoreApplication::translate("CanTab", "取消"), 0, kProgressSteps,
                             parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    const CanRxModel::WriteResult result = rows->write(
        file, format, count,
        [&](int done) {
            progress.setValue(int(qint64(done) * kProgressSteps / count));
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        },
        filtered);
    progress.reset();
    rows->setTrimmingHeld(false);
    rows->setRowLimit(config()->get(Config::CanRxRowLimit).toInt());

    if (result == CanRxModel::WriteResult::Cancelled) {
        file.cancelWriting();
        return;
    }
    if (result == CanRxModel::WriteResult::Failed || !file.commit())
        MessageBox::warning(
            parent, QCoreApplication::translate("CanTab", "保存"),
            QCoreApplication::translate("CanTab", "保存失败：%1").arg(file.errorString()));
}
