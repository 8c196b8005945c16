#include "capturechooser.h"

#include "capturefile.h"
#include "filechooser.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <utility>

namespace {
QString text(const char *source)
{
    // The replay asked for captures first; its texts are the window's.
    return QCoreApplication::translate("MainWindow", source);
}
} // namespace

bool chooseCapture(QWidget *parent, const QString &caption, ChosenCapture *chosen)
{
    const QString path = openFileChooser()(parent, caption, QString(),
                                           text("candump 日志 (*.log)") + QLatin1String(";;") +
                                               text("CSV 文件 (*.csv)"),
                                           QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return false;
    if (!canSaveFormatFor(path, &chosen->format)) {
        MessageBox::warning(parent, caption, text("请使用 .log 或 .csv 文件名"));
        return false;
    }
    auto file = std::make_unique<QFile>();
    QString why;
    switch (openCaptureFile(path, file.get(), &why)) {
    case CaptureOpen::Opened:
        break;
    case CaptureOpen::NotAFile:
        MessageBox::warning(
            parent, caption,
            QCoreApplication::translate("MainWindow",
                                        "%1 不是普通文件（管道、设备或目录），不能作为记录打开")
                .arg(QFileInfo(path).fileName()));
        return false;
    case CaptureOpen::Failed:
        MessageBox::warning(parent, caption, text("无法打开文件：%1").arg(why));
        return false;
    }
    chosen->path = path;
    chosen->file = std::move(file);
    return true;
}
