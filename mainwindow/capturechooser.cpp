#include "capturechooser.h"

#include "filechooser.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QFile>

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MessageBox::warning(parent, caption, text("无法打开文件：%1").arg(file.errorString()));
        return false;
    }
    chosen->text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        MessageBox::warning(parent, caption, text("无法打开文件：%1").arg(file.errorString()));
        return false;
    }
    chosen->path = path;
    return true;
}
